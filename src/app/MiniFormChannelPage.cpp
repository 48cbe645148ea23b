// TMiniForm's first page, the channel: the provider's and the logo's fields, the style sheet and
// the save folder with their labels, the title plate, the extension and auto-fill options, the
// two notices at the bottom, the page's tab order, and the change of any of its fields.

#include "app/MiniForm.h"
#include "app/MiniFormSupport.h"

#include "app/RadioGroup.h"
#include "document/ChannelFields.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_EdtPos.h"
#include "widgets/L_Theme.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include <span>

using namespace Qt::StringLiterals;

namespace {

const QColor LinkBlue(Qt::blue);

constexpr int TitleLabelPixels = 13; // the labels of the two title fields stand out a little

// The title plate's fonts are Arial (the desktop's substitute where Arial is missing).
QFont PlateFont(int pixels, bool bold) {
    QFont font(u"Arial"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

const QPoint LabelAbove(0, 16); // from a field's top left corner to its label's

} // namespace

// A text field of the page and the label above it; its caption and limit are the field's own
// (ChannelFields.h).
struct TMiniForm::TLabelledField {
    TChannelField field;
    TPaintEdit* TMiniForm::*edit;
    QString name;
    QRect box;
    QString hint;
    QLabel* TMiniForm::*label;
    QString labelName;
    int labelPixels; // the label's font height; 0 for the window's font
};

// Each group's fields from the top; their order is the order of creation.
const TMiniForm::TLabelledField TMiniForm::ProviderFields[] = {
    {TChannelField::Title,
     &TMiniForm::ED_Informer_Title,
     u"ED_Informer_Title"_s,
     {16, 40, 236, 21},
     u"一般的にホームページの名前を簡素に入力します"_s,
     &TMiniForm::LB_Informer_Name,
     u"LB_Informer_Name"_s,
     TitleLabelPixels},
    {TChannelField::HomeAddress,
     &TMiniForm::ED_Informer_Address,
     u"ED_Informer_Address"_s,
     {16, 88, 321, 21},
     u"ホームページのトップページか新着情報ページのアドレスを入力します"_s,
     &TMiniForm::LB_Informer_Mail,
     u"LB_Informer_Mail"_s,
     0},
    {TChannelField::Description,
     &TMiniForm::ED_Informer_Setumei,
     u"ED_Informer_Setumei"_s,
     {16, 136, 321, 21},
     u"ホームページに関する説明文を入力します。"_s,
     &TMiniForm::LB_Informer_HomePage,
     u"LB_Informer_HomePage"_s,
     0},
    {TChannelField::FeedAddress,
     &TMiniForm::ED_Informer_RssAddress,
     u"ED_Informer_RssAddress"_s,
     {16, 180, 321, 21},
     u"ファイル名を除くアドレスのパスのみを入力してください(この機能を使用する場合はファイル名の変更は厳禁です)"_s,
     &TMiniForm::Label6,
     u"Label6"_s,
     0},
};
const TMiniForm::TLabelledField TMiniForm::LogoFields[] = {
    {TChannelField::LogoTitle,
     &TMiniForm::Edit_Logo_Title,
     u"Edit_Logo_Title"_s,
     {16, 40, 236, 21},
     u"一般的にホームページの名前を入力します"_s,
     &TMiniForm::Label1,
     u"Label1"_s,
     TitleLabelPixels},
    {TChannelField::LogoImageAddress,
     &TMiniForm::Edit_Logo_Address,
     u"Edit_Logo_Address"_s,
     {16, 88, 321, 21},
     u"ロゴ(画像)の存在するアドレス(ファイル名を含む)を入力します"_s,
     &TMiniForm::Label2,
     u"Label2"_s,
     0},
    {TChannelField::LogoLinkAddress,
     &TMiniForm::Edit_Logo_Setumei,
     u"Edit_Logo_Setumei"_s,
     {16, 136, 321, 21},
     u"ロゴ(画像)をクリックしたときにジャンプするアドレス(一般的にトップページ)"_s,
     &TMiniForm::Label3,
     u"Label3"_s,
     0},
};
const TMiniForm::TLabelledField TMiniForm::PageFields[] = {
    {TChannelField::StyleSheet,
     &TMiniForm::Edit_StyleSheet,
     u"Edit_StyleSheet"_s,
     {380, 216, 353, 21},
     u"スタイルシートを使用する場合は相対アドレスか絶対アドレスで指定します"_s,
     &TMiniForm::Label8,
     u"Label8"_s,
     0},
    {TChannelField::SaveFolder,
     &TMiniForm::Edit_RssSave,
     u"Edit_RssSave"_s,
     {248, 316, 369, 21},
     u"ローカルに保存されているホームページのフォルダを指定すればアップロードを一元管理できます(ファイル名を除くパスのみ)"_s,
     &TMiniForm::Label4,
     u"Label4"_s,
     0},
};

TPaintEdit* TMiniForm::AddField(QWidget* parent, const QString& name, const QRect& box,
                                int maxLength, const QString& hint) {
    auto* edit = new TPaintEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(box);
    edit->setFont(PixelFont(13));
    edit->SetMaxLength(maxLength);
    edit->setToolTip(hint);
    edit->SetFocusColorChange(false);
    edit->SetNoFocusColor(FieldYellow);
    edit->SetFocusColor(Qt::black);
    edit->SetNoFocusFontColor(Qt::black);
    edit->SetFocusFontColor(Qt::white);
    edit->SetColor(FieldYellow);
    edit->SetFontColor(Qt::black);
    return edit;
}

QGroupBox* TMiniForm::AddGroupBox(const QString& name, const QString& caption, const QRect& box) {
    auto* group = new QGroupBox(caption, TabSheet1);
    group->setObjectName(name);
    group->setGeometry(box);
    return group;
}

QLabel* TMiniForm::AddFieldLabel(QWidget* parent, const QString& name, QPoint at,
                                 const QString& caption, QWidget* field, int fontPixels) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    if (fontPixels > 0) label->setFont(PixelFont(fontPixels));
    SetTextColor(label, Qt::red);
    label->setBuddy(field);
    label->move(at);
    label->adjustSize();
    return label;
}

void TMiniForm::CreateChannelPage() {
    CreateChannelFields();
    CreateTitlePlate();
    CreateChannelOptions();
    SetChannelTabOrder();
}

void TMiniForm::CreateChannelFields() {
    const auto addFields = [this](QWidget* parent, std::span<const TLabelledField> fields) {
        for (const TLabelledField& field : fields) {
            const TChannelTextField& text = ChannelTextField(field.field);
            TPaintEdit* edit = AddField(parent, field.name, field.box, text.MaxLength, field.hint);
            this->*field.edit = edit;
            channelEdits_.at(static_cast<size_t>(field.field)) = edit;
            this->*field.label =
                AddFieldLabel(parent, field.labelName, field.box.topLeft() - LabelAbove,
                              FromCp932(text.Caption), edit, field.labelPixels);
        }
    };
    GroupBox1 = AddGroupBox(u"GroupBox1"_s, u"提供者情報"_s, {16, 20, 353, 217});
    addFields(GroupBox1, ProviderFields);
    GroupBox2 = AddGroupBox(u"GroupBox2"_s, u"ロゴ(任意)"_s, {380, 20, 353, 173});
    addFields(GroupBox2, LogoFields);
    addFields(TabSheet1, PageFields);
    SB_Sansyo = new QToolButton(TabSheet1);
    SB_Sansyo->setObjectName(u"SB_Sansyo"_s);
    SB_Sansyo->setText(u"参照..."_s);
    SB_Sansyo->setAutoRaise(true);
    SB_Sansyo->setGeometry(620, 316, 49, 22);
    connect(SB_Sansyo, &QToolButton::clicked, this, &TMiniForm::SB_SansyoClick);
}

void TMiniForm::CreateTitlePlate() {
    ThemePanelExt1 = new TThemePanelExt(TabSheet1);
    ThemePanelExt1->setObjectName(u"ThemePanelExt1"_s);
    ThemePanelExt1->setGeometry(16, 248, 217, 89);
    ThemePanelExt1->SetBevelOuter(bvLowered);
    ThemePanelExt1->setCursor(Qt::PointingHandCursor);
    auto* layout = new QVBoxLayout(ThemePanelExt1);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    Label5 = new QLabel(u"Orvane (Lite)"_s, ThemePanelExt1);
    Label5->setObjectName(u"Label5"_s);
    Label5->setFont(PlateFont(18, true));
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setFixedHeight(44);
    layout->addWidget(Label5);
    layout->addStretch();
    LB_MakerNotice = new QLabel(u"Copyright (C) Brenwick"_s, ThemePanelExt1);
    LB_MakerNotice->setObjectName(u"LB_MakerNotice"_s);
    LB_MakerNotice->setFont(PlateFont(12, false));
    LB_MakerNotice->setAlignment(Qt::AlignCenter);
    LB_MakerNotice->setFixedHeight(24);
    layout->addWidget(LB_MakerNotice);

    Version = new QLabel(u"ver.0.00"_s, ThemePanelExt1);
    Version->setObjectName(u"Version"_s);
    Version->setFont(PlateFont(13, true));
    Version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Right-aligned near the plate's right edge, so a longer version grows to the left.
    Version->setGeometry(8, 40, 200, 17);
    for (QLabel* label : {Label5, Version, LB_MakerNotice})
        label->setCursor(Qt::PointingHandCursor);
}

void TMiniForm::CreateChannelOptions() {
    RadioGroup_Ext = new TRadioGroup(TabSheet1);
    RadioGroup_Ext->setObjectName(u"RadioGroup_Ext"_s);
    RadioGroup_Ext->setTitle(u"拡張子"_s);
    RadioGroup_Ext->setToolTip(u"保存するRSSファイルの拡張子を選択してください(推奨は rdf です)"_s);
    RadioGroup_Ext->setGeometry(248, 248, 109, 41);
    RadioGroup_Ext->SetColumns(2);
    RadioGroup_Ext->SetItems({u"rdf"_s, u"xml"_s});
    RadioGroup_Ext->SetItemIndex(0);

    CB_AutoData = new QCheckBox(u"項目に日付を自動的にセットする"_s, TabSheet1);
    CB_AutoData->setObjectName(u"CB_AutoData"_s);
    CB_AutoData->setToolTip(u"項目を入力するときに日付が空欄の場合は自動的にセットします"_s);
    CB_AutoData->setGeometry(372, 252, 241, 17);
    CB_AutoAddress = new QCheckBox(u"項目にホームページアドレスを自動的にセットする"_s, TabSheet1);
    CB_AutoAddress->setObjectName(u"CB_AutoAddress"_s);
    CB_AutoAddress->setToolTip(u"項目を入力するときにアドレスが空欄の場合は自動的にセットします"_s);
    CB_AutoAddress->setGeometry(372, 272, 289, 17);

    // The two notices at the bottom of the page, the maker's first.
    Label10 =
        new QLabel(u"最新版については Brenwickのホームページでご確認ください     "_s, TabSheet1);
    Label10->setObjectName(u"Label10"_s);
    Label10->setToolTip(u"ホームページへ"_s);
    Label10->setFixedHeight(20);
    Label7 = new QLabel(
        u"業務でご使用になられる方は高機能な上位バージョンの導入もご検討下さい     "_s, TabSheet1);
    Label7->setObjectName(u"Label7"_s);
    Label7->setToolTip(u"上位バージョンのお知らせ"_s);
    Label7->setFixedHeight(23);
    auto* bottom = new QVBoxLayout(TabSheet1);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    bottom->addStretch();
    for (QLabel* label : {Label10, Label7}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        SetTextColor(label, LinkBlue);
        label->setCursor(Qt::PointingHandCursor);
        bottom->addWidget(label);
    }
}

void TMiniForm::SetChannelTabOrder() {
    // The title plate ends the order on paper, but a panel shows no focus and has nothing to
    // do with keys: it takes no focus, so Tab never stops on it unseen.
    const std::array<QWidget*, 13> order{
        ED_Informer_Title, ED_Informer_Address, ED_Informer_Setumei, ED_Informer_RssAddress,
        Edit_Logo_Title,   Edit_Logo_Address,   Edit_Logo_Setumei,   Edit_StyleSheet,
        RadioGroup_Ext,    CB_AutoData,         CB_AutoAddress,      Edit_RssSave,
        SB_Sansyo};
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// Typing in a field becomes a step when the field is left; any other change is one at once.
void TMiniForm::ED_Informer_TitleChange() {
    if (showingStep_) return;
    if (IsChannelEdit(QApplication::focusWidget()))
        SyncModified();
    else
        RecordChannelEdit();
}
