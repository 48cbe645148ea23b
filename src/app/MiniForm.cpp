#include "MiniForm.h"

#include "Cp932Edit.h"
#include "Cp932Text.h"
#include "FeedWriter.h"
#include "FileDialog.h"
#include "FilePaths.h"
#include "L_CCmbo.h"
#include "L_CtlSize.h"
#include "L_Dialog.h"
#include "L_EdtPos.h"
#include "L_Theme.h"
#include "Messages.h"
#include "RadioGroup.h"
#include "SHBFFEX.h"
#include "S_string.h"
#include "Settings.h"
#include "Startup.h"
#include "TableFile.h"
#include "ToolGlyphs.h"
#include "UserPlaces.h"
#include "XStringGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QStatusBar>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

const QColor FieldYellow(0xFF, 0xFF, 0xF4);
const QColor HeaderBlue(0x00, 0x00, 0x88);
const QColor LinkBlue(Qt::blue);

constexpr int StartupDelay = 100;      // ms from showing the window to the start-up work
constexpr int HtmlQuestionDelay = 300; // ms before the HTML question
constexpr int PasteButtonPoll = 500;   // ms between looks at the clipboard
constexpr int PageTabWidth = 80;
constexpr int TitleLabelPixels = 13; // the labels of the two title fields stand out a little
constexpr int WheelNotch = 120;      // angle delta of one notch of a mouse wheel

const QStringList HtmlExtensions{u"htm"_s, u"html"_s, u"shtm"_s, u"shtml"_s};

QFont PixelFont(int pixels, bool bold = false) {
    QFont font = QApplication::font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont PointFont(int points) {
    QFont font = QApplication::font();
    font.setPointSize(points);
    return font;
}

// The title plate's fonts are Arial (the desktop's substitute where Arial is missing).
QFont PlateFont(int pixels, bool bold) {
    QFont font(u"Arial"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

void SetBaseColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
}

// Paints `window` completely and at once, its layouts brought up to date first. Only the pending
// layout requests are dispatched, not the whole event queue, so no timer, input or queued call
// runs in the middle of the caller's work.
void PaintNow(QWidget& window) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    window.repaint();
}

// A panel without bevel whose children fill it inside `border` pixels.
TNoPaintPanel* ClientPanel(QWidget* parent, const QString& name, int border) {
    auto* panel = new TNoPaintPanel(parent);
    panel->setObjectName(name);
    panel->SetBevelOuter(bvNone);
    panel->SetBorderWidth(border);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(border, border, border, border);
    layout->setSpacing(0);
    return panel;
}

// A tab bar whose tabs are at least a given width, so that short page captions get room. With
// the keyboard's focus it marks the current tab, which not every style does.
class TPageTabBar : public QTabBar {
public:
    explicit TPageTabBar(int tabWidth, QWidget* parent) : QTabBar(parent), tabWidth_(tabWidth) {}

protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        size.setWidth(std::max(size.width(), tabWidth_));
        return size;
    }

    void paintEvent(QPaintEvent* event) override {
        QTabBar::paintEvent(event);
        if (!hasFocus() || currentIndex() < 0) return;
        QStylePainter painter(this);
        QStyleOptionFocusRect mark;
        mark.initFrom(this);
        // The tab bar takes the focus from the keyboard only (Tab), so the mark is always due.
        mark.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
        mark.rect = tabRect(currentIndex()).adjusted(4, 4, -4, -3);
        mark.backgroundColor = palette().color(QPalette::Window);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, mark);
    }

private:
    int tabWidth_;
};

class TPageControl : public QTabWidget {
public:
    explicit TPageControl(QWidget* parent) : QTabWidget(parent) {
        setTabBar(new TPageTabBar(PageTabWidth, this));
    }
};

// Each text field of the channel and the edit box that holds it, in the order of the table file.
struct TChannelTextField {
    TPaintEdit* TMiniForm::*edit;
    std::string TChannelInfo::*text;
};
const std::array<TChannelTextField, 9> ChannelTextFields{{
    {&TMiniForm::ED_Informer_Title, &TChannelInfo::Title},
    {&TMiniForm::ED_Informer_Address, &TChannelInfo::HomeAddress},
    {&TMiniForm::ED_Informer_Setumei, &TChannelInfo::Description},
    {&TMiniForm::ED_Informer_RssAddress, &TChannelInfo::FeedAddress},
    {&TMiniForm::Edit_Logo_Title, &TChannelInfo::LogoTitle},
    {&TMiniForm::Edit_Logo_Address, &TChannelInfo::LogoImageAddress},
    {&TMiniForm::Edit_Logo_Setumei, &TChannelInfo::LogoLinkAddress},
    {&TMiniForm::Edit_RssSave, &TChannelInfo::SaveFolder},
    {&TMiniForm::Edit_StyleSheet, &TChannelInfo::StyleSheet},
}};

bool IsFile(const std::string& path) {
    const QFileInfo info(ShownPath(path));
    return info.exists() && !info.isDir();
}

} // namespace

TMiniForm::TMiniForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(u"MiniForm"_s);
    setGeometry(184, 149, 819, 602);
    setFont(PixelFont(12));
    CommandLineParams = QCoreApplication::arguments().mid(1);
    CreateComponents();
    FormCreate();
    ControlSize->OwnerCreated();
}

TMiniForm::~TMiniForm() {
    // The base class closes the window as it goes, and the focus leaving an open cell editor
    // commits it; by then this object is no longer a TMiniForm, so the grid reports to nobody.
    XStringGrid->OnDrawCell = nullptr;
    XStringGrid->OnKeyDown = nullptr;
    XStringGrid->OnMouseDown = nullptr;
    XStringGrid->OnSelectCell = nullptr;
    XStringGrid->OnSetEditText = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Components

void TMiniForm::CreateComponents() {
    CreateStatusBar();
    Panel2 = ClientPanel(this, u"Panel2"_s, 5);
    setCentralWidget(Panel2);
    PageControl = new TPageControl(Panel2);
    PageControl->setObjectName(u"PageControl"_s);
    Panel2->layout()->addWidget(PageControl);
    CreateChannelPage();
    CreateItemsPage();
    CreateConfirmPage();
    CreateMainMenu();
    CreatePopupMenu();
    CreateNonVisual();
    ConnectChangeNotifications();
    CreateFeedCheck();
    WidenControlsToCaptions();
    connect(PageControl, &QTabWidget::currentChanged, this, &TMiniForm::PageControlChange);
    // Wheel turns over the grid and clicks on some labels and boxes are watched here.
    qApp->installEventFilter(this);
}

void TMiniForm::CreateStatusBar() {
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(u"StatusBar"_s);
    StatusBar->setFixedHeight(20);
    const std::array<Qt::Alignment, 2> alignments{Qt::AlignHCenter, Qt::AlignLeft};
    for (size_t panel = 0; panel < StatusPanels.size(); ++panel) {
        auto* label = new QLabel(StatusBar);
        label->setObjectName(u"StatusPanel%1"_s.arg(panel));
        label->setAlignment(alignments[panel] | Qt::AlignVCenter);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(50);
        StatusPanels[panel] = label;
    }
    StatusPanels[0]->setFixedWidth(50);
    // The last panel reaches to the size grip.
    StatusBar->addWidget(StatusPanels[0]);
    StatusBar->addWidget(StatusPanels[1], 1);
    setStatusBar(StatusBar);
}

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
    TabSheet1 = new TTabSheetEx(PageControl);
    TabSheet1->setObjectName(u"TabSheet1"_s);
    PageControl->addTab(TabSheet1, u"基本設定"_s);
    CreateChannelFields();
    CreateTitlePlate();
    CreateChannelOptions();
    SetChannelTabOrder();
}

void TMiniForm::CreateChannelFields() {
    GroupBox1 = AddGroupBox(u"GroupBox1"_s, u"提供者情報"_s, {16, 20, 353, 217});
    ED_Informer_Title = AddField(GroupBox1, u"ED_Informer_Title"_s, {16, 40, 236, 21}, 40,
                                 u"一般的にホームページの名前を簡素に入力します"_s);
    LB_Informer_Name = AddFieldLabel(GroupBox1, u"LB_Informer_Name"_s, {16, 24},
                                     u"タイトル(必須)"_s, ED_Informer_Title, TitleLabelPixels);
    ED_Informer_Address =
        AddField(GroupBox1, u"ED_Informer_Address"_s, {16, 88, 321, 21}, 255,
                 u"ホームページのトップページか新着情報ページのアドレスを入力します"_s);
    LB_Informer_Mail =
        AddFieldLabel(GroupBox1, u"LB_Informer_Mail"_s, {16, 72},
                      u"ホームページアドレス(必須) http:// から入力します"_s, ED_Informer_Address);
    ED_Informer_Setumei = AddField(GroupBox1, u"ED_Informer_Setumei"_s, {16, 136, 321, 21}, 500,
                                   u"ホームページに関する説明文を入力します。"_s);
    LB_Informer_HomePage = AddFieldLabel(GroupBox1, u"LB_Informer_HomePage"_s, {16, 120},
                                         u"説明文(任意)"_s, ED_Informer_Setumei);
    ED_Informer_RssAddress = AddField(
        GroupBox1, u"ED_Informer_RssAddress"_s, {16, 180, 321, 21}, 255,
        u"ファイル名を除くアドレスのパスのみを入力してください(この機能を使用する場合はファイル名の変更は厳禁です)"_s);
    Label6 = AddFieldLabel(GroupBox1, u"Label6"_s, {16, 164},
                           u"RSSファイルを設置するアドレス(必須) http:// から入力します"_s,
                           ED_Informer_RssAddress);

    GroupBox2 = AddGroupBox(u"GroupBox2"_s, u"ロゴ(任意)"_s, {380, 20, 353, 173});
    Edit_Logo_Title = AddField(GroupBox2, u"Edit_Logo_Title"_s, {16, 40, 236, 21}, 40,
                               u"一般的にホームページの名前を入力します"_s);
    Label1 = AddFieldLabel(GroupBox2, u"Label1"_s, {16, 24},
                           u"タイトル(必須) ロゴのタイトルを入力します"_s, Edit_Logo_Title,
                           TitleLabelPixels);
    Edit_Logo_Address = AddField(GroupBox2, u"Edit_Logo_Address"_s, {16, 88, 321, 21}, 255,
                                 u"ロゴ(画像)の存在するアドレス(ファイル名を含む)を入力します"_s);
    Label2 = AddFieldLabel(GroupBox2, u"Label2"_s, {16, 72},
                           u"ロゴのあるアドレス(必須) http:// から入力します"_s, Edit_Logo_Address);
    Edit_Logo_Setumei =
        AddField(GroupBox2, u"Edit_Logo_Setumei"_s, {16, 136, 321, 21}, 255,
                 u"ロゴ(画像)をクリックしたときにジャンプするアドレス(一般的にトップページ)"_s);
    Label3 = AddFieldLabel(GroupBox2, u"Label3"_s, {16, 120},
                           u"ロゴをクリックしたときのアドレス(必須) http:// から入力します"_s,
                           Edit_Logo_Setumei);

    Edit_StyleSheet =
        AddField(TabSheet1, u"Edit_StyleSheet"_s, {380, 216, 353, 21}, 255,
                 u"スタイルシートを使用する場合は相対アドレスか絶対アドレスで指定します"_s);
    Label8 = AddFieldLabel(TabSheet1, u"Label8"_s, {380, 200},
                           u"スタイルシートのアドレスと名前(任意) "_s, Edit_StyleSheet);
    Edit_RssSave = AddField(
        TabSheet1, u"Edit_RssSave"_s, {248, 316, 369, 21}, 255,
        u"ローカルに保存されているホームページのフォルダを指定すればアップロードを一元管理できます(ファイル名を除くパスのみ)"_s);
    Label4 = AddFieldLabel(
        TabSheet1, u"Label4"_s, {248, 300},
        u"RSSファイルのローカル保存先(必須) 指定しない場合はプログラムと同じ場所です"_s,
        Edit_RssSave);
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

void TMiniForm::CreateItemsPage() {
    TabSheet2 = new TTabSheetEx(PageControl);
    TabSheet2->setObjectName(u"TabSheet2"_s);
    PageControl->addTab(TabSheet2, u"項目"_s);
    auto* layout = new QVBoxLayout(TabSheet2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateItemToolbar(TabSheet2);
    CreateItemGrid(TabSheet2);
}

void TMiniForm::CreateItemToolbar(QWidget* page) {
    Panel1 = new TNoPaintPanel(page);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->SetBevelOuter(bvNone);
    Panel1->setFixedHeight(24);
    page->layout()->addWidget(Panel1);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    struct TButton {
        TAlignSpeedButton*& button;
        const char16_t* name;
        int width;
        QString caption;
        QString hint;
        TToolGlyph glyph;
        void (TMiniForm::*handler)();
    };
    // The first two buttons take their captions from SetRowButtonCaptions: they follow the row
    // mode.
    const TButton buttons[] = {
        {SB_LineIns, u"SB_LineIns", 85, {}, {}, TToolGlyph::InsertRow, &TMiniForm::SB_LineInsClick},
        {SB_LineDelete,
         u"SB_LineDelete",
         85,
         {},
         {},
         TToolGlyph::DeleteRow,
         &TMiniForm::SB_LineDeleteClick},
        {SB_LinePaste, u"SB_LinePaste", 85, u"行貼付"_s, u"現在の行に貼り付けます"_s,
         TToolGlyph::PasteRow, &TMiniForm::Mn_LinePasteClick},
        {SB_LineDown, u"SB_LineDown", 34, u"↓"_s, u"下へ移動"_s, TToolGlyph::MoveDown,
         &TMiniForm::SB_LineDownClick},
        {SB_LineUp, u"SB_LineUp", 34, u"↑"_s, u"上へ移動"_s, TToolGlyph::MoveUp,
         &TMiniForm::SB_LineUpClick},
    };
    for (const TButton& entry : buttons) {
        auto* button = new TAlignSpeedButton(Panel1);
        button->setObjectName(QString::fromUtf16(entry.name));
        button->setText(entry.caption);
        button->setToolTip(entry.hint);
        button->setIcon(ToolGlyph(entry.glyph));
        button->setIconSize({ToolGlyphSize, ToolGlyphSize});
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setCursor(Qt::PointingHandCursor);
        // Like the menus, the buttons act on the control that has the focus and never take it.
        button->setFocusPolicy(Qt::NoFocus);
        button->setFont(PixelFont(12, true));
        SetTextColor(button, Qt::black);
        button->setFixedSize(entry.width, 24);
        connect(button, &QToolButton::clicked, this, entry.handler);
        row->addWidget(button);
        entry.button = button;
    }
    SetRowButtonCaptions();

    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName(u"Bevel1"_s);
    Bevel1->setFrameShape(QFrame::VLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setFixedWidth(2);
    row->addSpacing(2);
    row->addWidget(Bevel1);
    row->addSpacing(5);
    Label9 = new QLabel(u"RSSファイルには項目の新しいものから１５件のみ出力されます "_s, Panel1);
    Label9->setObjectName(u"Label9"_s);
    Label9->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    row->addWidget(Label9);
    row->addStretch();
}

void TMiniForm::CreateItemGrid(QWidget* page) {
    Panel4 = ClientPanel(page, u"Panel4"_s, 3);
    page->layout()->addWidget(Panel4);
    XStringGrid = new TXStringGrid(Panel4);
    XStringGrid->setObjectName(u"XStringGrid"_s);
    Panel4->layout()->addWidget(XStringGrid);
    XStringGrid->setFont(PixelFont(12));
    XStringGrid->SetCtl3D(true);
    XStringGrid->SetFixedCols(0);
    XStringGrid->SetFixedRows(1);
    XStringGrid->SetOptions(GridEditingOptions);
    XStringGrid->SetFixedLineColor(Qt::black);
    XStringGrid->SetMultiLine(false);
    XStringGrid->SetImmediateEditMode(true);
    XStringGrid->OnDrawCell = [this](TXStringGrid* sender, QPainter& canvas, int col, int row,
                                     const QRect& rect, TGridDrawState state) {
        XStringGridDrawCell(sender, canvas, col, row, rect, state);
    };
    XStringGrid->OnKeyDown = [this](TXStringGrid* sender, int& key, Qt::KeyboardModifiers shift) {
        XStringGridKeyDown(sender, key, shift);
    };
    XStringGrid->OnMouseDown = [this](TXStringGrid* sender, Qt::MouseButton button,
                                      Qt::KeyboardModifiers shift, int x,
                                      int y) { XStringGridMouseDown(sender, button, shift, x, y); };
    XStringGrid->OnSelectCell = [this](TXStringGrid* sender, int col, int row, bool& canSelect) {
        XStringGridSelectCell(sender, col, row, canSelect);
    };
    XStringGrid->OnSetEditText = [this](TXStringGrid* sender, int col, int row,
                                        const std::string& value) {
        XStringGridSetEditText(sender, col, row, value);
    };
}

void TMiniForm::CreateConfirmPage() {
    TabSheet3 = new TTabSheetEx(PageControl);
    TabSheet3->setObjectName(u"TabSheet3"_s);
    PageControl->addTab(TabSheet3, u"確認"_s);
    auto* layout = new QVBoxLayout(TabSheet3);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel3 = ClientPanel(TabSheet3, u"Panel3"_s, 6);
    layout->addWidget(Panel3);
    Memo = new QPlainTextEdit(Panel3);
    Memo->setObjectName(u"Memo"_s);
    Memo->setFont(PixelFont(13));
    Memo->setReadOnly(true);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetBaseColor(Memo, FieldYellow);
    Panel3->layout()->addWidget(Memo);
}

QAction* TMiniForm::AddMenuItem(QMenu* menu, const QString& name, const QString& caption,
                                void (TMiniForm::*handler)(), const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void TMiniForm::AddSeparator(QMenu* menu, const QString& name) {
    menu->addSeparator()->setObjectName(name);
}

void TMiniForm::CreateMainMenu() {
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(u"MainMenu1"_s);

    File1 = MainMenu1->addMenu(u"ファイル(&F)"_s);
    File1->setObjectName(u"File1"_s);
    connect(File1, &QMenu::aboutToShow, this, &TMiniForm::File1Click);
    // 上書き保存 is greyed only while the menu shows it: its key also saves a document without a
    // name, asking for one.
    connect(File1, &QMenu::aboutToHide, this, [this] { Save2->setEnabled(true); });
    // The desktop's usual keys for the file commands.
    N2 = AddMenuItem(File1, u"N2"_s, u"新規(&N)"_s, &TMiniForm::N2Click, Qt::CTRL | Qt::Key_N);
    AddSeparator(File1, u"N3"_s);
    R1 = AddMenuItem(File1, u"R1"_s, u"開く(&R)..."_s, &TMiniForm::R1Click, Qt::CTRL | Qt::Key_O);
    Save2 = AddMenuItem(File1, u"Save2"_s, u"上書き保存(&S)"_s, &TMiniForm::Save2Click,
                        Qt::CTRL | Qt::Key_S);
    Save1 = AddMenuItem(File1, u"Save1"_s, u"名前を付けて保存(&A)..."_s, &TMiniForm::Save1Click,
                        Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    AddSeparator(File1, u"N1"_s);
    Exit1 =
        AddMenuItem(File1, u"Exit1"_s, u"終了(&X)"_s, &TMiniForm::Exit1Click, Qt::CTRL | Qt::Key_Q);

    Edit1 = MainMenu1->addMenu(u"編集(&E)"_s);
    Edit1->setObjectName(u"Edit1"_s);
    connect(Edit1, &QMenu::aboutToShow, this, &TMiniForm::Edit1Click);
    Mn_LineUndo2 = AddMenuItem(Edit1, u"Mn_LineUndo2"_s, u"元に戻す(&U)"_s,
                               &TMiniForm::Mn_LineUndoClick, QKeySequence(Qt::CTRL | Qt::Key_Z));
    AddSeparator(Edit1, u"N77"_s);
    Mn_LineCut2 = AddMenuItem(Edit1, u"Mn_LineCut2"_s, u"切り取り(&T)"_s,
                              &TMiniForm::Mn_LineCutClick, QKeySequence(Qt::CTRL | Qt::Key_X));
    Mn_LineCopy2 = AddMenuItem(Edit1, u"Mn_LineCopy2"_s, u"コピー(&C)"_s,
                               &TMiniForm::Mn_LineCopyClick, QKeySequence(Qt::CTRL | Qt::Key_C));
    Mn_LinePaste2 = AddMenuItem(Edit1, u"Mn_LinePaste2"_s, u"貼り付け(&P)"_s,
                                &TMiniForm::Mn_LinePasteClick, QKeySequence(Qt::CTRL | Qt::Key_V));
    Mn_LineDelete2 =
        AddMenuItem(Edit1, u"Mn_LineDelete2"_s, u"削除(&D)"_s, &TMiniForm::Mn_LineDeleteClick);
    AddSeparator(Edit1, u"N66"_s);
    Mn_LineSelect2 =
        AddMenuItem(Edit1, u"Mn_LineSelect2"_s, u"全て選択(&A)"_s, &TMiniForm::Mn_LineSelectClick);

    Commands1 = MainMenu1->addMenu(u"機能(&C)"_s);
    Commands1->setObjectName(u"Commands1"_s);
    connect(Commands1, &QMenu::aboutToShow, this, &TMiniForm::Commands1Click);
    // The captions name what opens on this desktop: its web browser, and the validation service.
    InternetExplorer1 = AddMenuItem(Commands1, u"InternetExplorer1"_s, u"ブラウザで確認(&E)..."_s,
                                    &TMiniForm::InternetExplorer1Click);
    Mn_feedAnalyzer =
        AddMenuItem(Commands1, u"Mn_feedAnalyzer"_s, u"フィード検証サービスで構文チェック(&F)..."_s,
                    &TMiniForm::Mn_feedAnalyzerClick);
    Mn_FeedCheck = AddMenuItem(Commands1, u"Mn_FeedCheck"_s, u"フィードを検査(&K)..."_s,
                               &TMiniForm::Mn_FeedCheckClick);
    AddSeparator(Commands1, u"N4"_s);
    Mn_LastOpen =
        AddMenuItem(Commands1, u"Mn_LastOpen"_s, u"起動時に最後に編集したファイルを開く(&O)"_s,
                    &TMiniForm::Mn_LastOpenClick);
    Mn_LastOpen->setCheckable(true);

    Help1 = MainMenu1->addMenu(u"ヘルプ(&H)"_s);
    Help1->setObjectName(u"Help1"_s);
    M1 = AddMenuItem(Help1, u"M1"_s, u"オンラインマニュアル(&M)..."_s, &TMiniForm::M1Click);
    ReadmeR1 =
        AddMenuItem(Help1, u"ReadmeR1"_s, u"Readmeを参照する(&R)..."_s, &TMiniForm::ReadmeR1Click);
    AddSeparator(Help1, u"N5"_s);
    N9 =
        AddMenuItem(Help1, u"N9"_s, u"Orvane 高機能版もご検討下さい(&S)..."_s, &TMiniForm::N9Click);
    N8 = AddMenuItem(Help1, u"N8"_s, u"ホームページ(&H)..."_s, &TMiniForm::ImageClick);
}

void TMiniForm::CreatePopupMenu() {
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(u"PopupMenu"_s);
    connect(PopupMenu, &QMenu::aboutToShow, this, &TMiniForm::PopupMenuPopup);
    // The same items as the edit menu, which owns their shortcuts; here they are only shown.
    const auto twin = [this](const QString& name, QAction* mainItem, void (TMiniForm::*handler)()) {
        QAction* item = AddMenuItem(PopupMenu, name, mainItem->text(), handler);
        item->setShortcut(mainItem->shortcut());
        item->setShortcutContext(Qt::WidgetShortcut);
        return item;
    };
    Mn_LineUndo = twin(u"Mn_LineUndo"_s, Mn_LineUndo2, &TMiniForm::Mn_LineUndoClick);
    AddSeparator(PopupMenu, u"N7"_s);
    Mn_LineCut = twin(u"Mn_LineCut"_s, Mn_LineCut2, &TMiniForm::Mn_LineCutClick);
    Mn_LineCopy = twin(u"Mn_LineCopy"_s, Mn_LineCopy2, &TMiniForm::Mn_LineCopyClick);
    Mn_LinePaste = twin(u"Mn_LinePaste"_s, Mn_LinePaste2, &TMiniForm::Mn_LinePasteClick);
    Mn_LineDelete = twin(u"Mn_LineDelete"_s, Mn_LineDelete2, &TMiniForm::Mn_LineDeleteClick);
    AddSeparator(PopupMenu, u"N6"_s);
    Mn_LineSelect = twin(u"Mn_LineSelect"_s, Mn_LineSelect2, &TMiniForm::Mn_LineSelectClick);
    XStringGrid->SetPopupMenu(PopupMenu);
}

void TMiniForm::CreateNonVisual() {
    ComboCellEditor_Title = new TComboCellEditor(this);
    ComboCellEditor_Title->setObjectName(u"ComboCellEditor_Title"_s);
    ComboCellEditor_Title->SetEditStyle(esPickList);
    ComboCellEditor_Date = new TComboCellEditor(this);
    ComboCellEditor_Date->setObjectName(u"ComboCellEditor_Date"_s);
    ComboCellEditor_Date->SetEditStyle(esDate);

    const QString tableFilter = u"テーブルファイル(*.tbl)|*.tbl"_s;
    OpenDialog = new TFileDialog(fdOpen, this);
    OpenDialog->setObjectName(u"OpenDialog"_s);
    OpenDialog->DefaultExt = u"tbl"_s;
    OpenDialog->Filter = tableFilter;
    SaveDialog = new TFileDialog(fdSave, this);
    SaveDialog->setObjectName(u"SaveDialog"_s);
    SaveDialog->DefaultExt = u"tbl"_s;
    SaveDialog->Filter = tableFilter;
    SaveDialog->Options = {ofOverwritePrompt, ofHideReadOnly, ofNoReadOnlyReturn, ofEnableSizing};

    SHBrowseForFolderEx = new TSHBrowseForFolderEx(this);
    SHBrowseForFolderEx->setObjectName(u"SHBrowseForFolderEx"_s);
    SHBrowseForFolderEx->SelectFolder = sfManual;
    SHBrowseForFolderEx->Caption = ToCp932(u"RSSファイルの保存先"_s);

    ControlSize = new TControlSize(this);
    ControlSize->setObjectName(u"ControlSize"_s);
    ControlSize->SetControl(this);
    ControlSize->SetSizeOnShow(false);
    ControlSize->SetScreenSenter(false);
    ControlSize->SetStyle(cssAll);
    ControlSize->SetManual(false);

    Timer_Start = new QTimer(this);
    Timer_Start->setObjectName(u"Timer_Start"_s);
    Timer_Start->setInterval(StartupDelay);
    connect(Timer_Start, &QTimer::timeout, this, &TMiniForm::Timer_StartTimer);
    Timer_Paste = new QTimer(this);
    Timer_Paste->setObjectName(u"Timer_Paste"_s);
    Timer_Paste->setInterval(PasteButtonPoll);
    connect(Timer_Paste, &QTimer::timeout, this, &TMiniForm::Timer_PasteTimer);
    Timer_Paste->start();
}

// The design's sizes suit the font it was drawn with; with the desktop's Japanese fonts some
// captions are wider. Such a control is widened to its caption and keeps its place; a group box
// grows to the labels inside it.
void TMiniForm::WidenControlsToCaptions() {
    const auto widen = [](QWidget* control, int width) {
        if (control->width() < width) control->resize(width, control->height());
    };
    for (QWidget* control :
         std::initializer_list<QWidget*>{RadioGroup_Ext, CB_AutoData, CB_AutoAddress, SB_Sansyo})
        widen(control, control->sizeHint().width());
    for (QToolButton* button : std::initializer_list<QToolButton*>{
             SB_LineIns, SB_LineDelete, SB_LinePaste, SB_LineDown, SB_LineUp})
        button->setFixedWidth(std::max(button->width(), button->sizeHint().width()));
    for (QGroupBox* group : {GroupBox1, GroupBox2}) {
        // The labels start as far from the left edge as they should end from the right one.
        int width = group->width();
        for (const QLabel* label : group->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
            width = std::max(width, 2 * label->x() + label->width());
        widen(group, width);
    }
}

std::array<TPaintEdit*, 9> TMiniForm::ChannelEdits() const {
    std::array<TPaintEdit*, 9> edits{};
    for (size_t i = 0; i < edits.size(); ++i)
        edits[i] = this->*ChannelTextFields[i].edit;
    return edits;
}

void TMiniForm::ConnectChangeNotifications() {
    for (TPaintEdit* edit : ChannelEdits())
        connect(edit, &QLineEdit::textChanged, this, &TMiniForm::ED_Informer_TitleChange);
    connect(RadioGroup_Ext, &TRadioGroup::Click, this, &TMiniForm::ED_Informer_TitleChange);
    for (QCheckBox* box : {CB_AutoData, CB_AutoAddress})
        connect(box, &QCheckBox::toggled, this, &TMiniForm::ED_Informer_TitleChange);
    // What an edit box left out of an input is explained in the status bar until the next edit.
    for (TCp932Edit* edit : findChildren<TCp932Edit*>()) {
        connect(edit, &TCp932Edit::InputRefused, this,
                [this](const QString& message) { SetStatusText(1, message); });
        connect(edit, &QLineEdit::textEdited, this, [this] { SetStatusText(1, QString()); });
    }
}

// ---------------------------------------------------------------------------------------------
// The document in the controls

TChannelInfo TMiniForm::ChannelFromControls() const {
    TChannelInfo channel;
    for (const TChannelTextField& field : ChannelTextFields)
        channel.*field.text = (this->*field.edit)->TextCp932();
    channel.ExtensionIndex = RadioGroup_Ext->ItemIndex() == 1 ? 1 : 0;
    channel.AutoDate = CB_AutoData->isChecked();
    channel.AutoAddress = CB_AutoAddress->isChecked();
    return channel;
}

TFeedDocument TMiniForm::DocumentFromControls() {
    // A conversion still open in a field belongs to the document that is read now.
    if (auto* edit = qobject_cast<TCp932Edit*>(QApplication::focusWidget()))
        edit->CommitComposition();
    XStringGrid->EndCellEdit(false);
    TFeedDocument document;
    document.Channel = ChannelFromControls();
    for (int row = 1; row <= MaxItemRows; ++row) {
        for (int col = 0; col < ItemColumns; ++col)
            document.Row(row).Cell(col) = XStringGrid->Cells(col, row);
    }
    document.FileName = FileName;
    document.Modified = Modified;
    return document;
}

void TMiniForm::DocumentToControls(const TFeedDocument& document) {
    const TChannelInfo& channel = document.Channel;
    for (const TChannelTextField& field : ChannelTextFields) {
        TPaintEdit* edit = this->*field.edit;
        edit->SetTextCp932(channel.*field.text);
        // A long text is shown from its start.
        edit->setCursorPosition(0);
    }
    RadioGroup_Ext->SetItemIndex(channel.ExtensionIndex);
    CB_AutoData->setChecked(channel.AutoDate);
    CB_AutoAddress->setChecked(channel.AutoAddress);
    ApplyItemRows(document);
    FileName = document.FileName;
    Modified = document.Modified;
}

void TMiniForm::ApplyItemRows(const TFeedDocument& document) {
    XStringGrid->EndCellEdit(false);
    XStringGrid->BeginUpdate();
    for (int row = 1; row <= MaxItemRows; ++row) {
        for (int col = 0; col < ItemColumns; ++col)
            XStringGrid->SetCells(col, row, document.Row(row).Cell(col));
    }
    XStringGrid->EndUpdate();
    XStringGrid->RestartCellEdit();
}

void TMiniForm::ClearItemRows() {
    ApplyItemRows(TFeedDocument());
}

bool TMiniForm::LoadTableFile(const std::string& path) {
    XStringGrid->EndCellEdit(false);
    TFeedDocument document;
    const TResult loaded = ::LoadTableFile(document, path);
    if (loaded) {
        DocumentToControls(document);
        RecordTableFileState();
        FocusGrid();
        UpdateGridStatus(-1);
        UpdateCaption();
    } else {
        ShowMsg(loaded.Describe(MsgTableLoadFailed()));
    }
    RefreshConfirmationPage();
    return loaded.Ok();
}

void TMiniForm::ResetDocument(bool keepTab) {
    for (TPaintEdit* edit : ChannelEdits())
        edit->clear();
    RadioGroup_Ext->SetItemIndex(0);
    CB_AutoData->setChecked(true);
    CB_AutoAddress->setChecked(true);
    ClearItemRows();
    Modified = false;
    FileName.clear();
    tableFileState_.reset();
    UpdateCaption();
    if (!keepTab) PageControlChange();
}

void TMiniForm::UpdateCaption() {
    QString caption = u"Orvane Lite版"_s;
    if (!FileName.empty())
        caption += u" ["_s + QFileInfo(ShownPath(FileName)).completeBaseName() + u']';
    setWindowTitle(caption);
}

void TMiniForm::CheckCommandLine() {
    QString tableFile;
    for (const QString& param : std::as_const(CommandLineParams)) {
        const QFileInfo info(param);
        if (!HtmlExtensions.contains(info.suffix(), Qt::CaseInsensitive)) {
            // Options of the toolkit or the desktop are no file names.
            if (tableFile.isEmpty() && !param.startsWith(u'-')) tableFile = param;
            continue;
        }
        if (!info.exists() || info.isDir()) continue;
        ImportFileName = FileSystemPath(param);
        FileName = UserPlaces().DefaultTableFile;
        return;
    }
    OpenFileName = FileSystemPath(tableFile);
}

void TMiniForm::LoadSaveSettings(char mode) {
    TEditorSettings settings{OpenLastFile, FileName, {}};
    for (int col = 0; col < XStringGrid->ColCount(); ++col)
        settings.ColWidths.push_back(XStringGrid->ColWidths(col));
    if (const std::optional<std::string> message = ::LoadSaveSettings(mode, settings))
        ShowMsg(*message);
    if (mode != 'R') return;
    OpenLastFile = settings.OpenLastFile;
    FileName = settings.FileName;
    for (int col = 0; col < XStringGrid->ColCount(); ++col) {
        // A column of no width could not be found again to widen it.
        const int width = settings.ColWidths[static_cast<size_t>(col)];
        if (width > 0) XStringGrid->SetColWidths(col, width);
    }
}

QString TMiniForm::StatusText(int panel) const {
    return StatusPanels.at(static_cast<size_t>(panel))->text();
}

void TMiniForm::SetStatusText(int panel, const QString& text) {
    StatusPanels.at(static_cast<size_t>(panel))->setText(text);
}

void TMiniForm::FillConfirmationPage() {
    const TFeedDocument document = DocumentFromControls();
    std::vector<std::string> lines;
    BuildFeed(lines, document, {FeedFileName(document), {}, CurrentFeedTime(), VersionText});
    ShowFeedText(lines);
}

// The confirmation page, when it is shown, follows the document and its file name.
void TMiniForm::RefreshConfirmationPage() {
    if (PageControl->currentIndex() == pgConfirm) FillConfirmationPage();
}

void TMiniForm::ShowFeedText(const std::vector<std::string>& lines) {
    Memo->setUpdatesEnabled(false);
    const auto endUpdate = qScopeGuard([this] { Memo->setUpdatesEnabled(true); });
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    Memo->setPlainText(FromCp932(text));
    Memo->moveCursor(QTextCursor::Start);
}

void TMiniForm::FocusGrid() {
    if (XStringGrid->isVisible()) XStringGrid->setFocus(Qt::OtherFocusReason);
}

void TMiniForm::AskHtmlImport() {
    if (AskYesNo(u"HTMLファイルから新着情報を抽出しますか？"_s)) ClearItemRows();
}

// ---------------------------------------------------------------------------------------------
// Window handlers

void TMiniForm::FormCreate() {
    XStringGrid->SetDefaultRowHeight(std::abs(XStringGrid->font().pixelSize()) + 8);
    XStringGrid->SetColCount(ItemColumns);
    struct TColumn {
        QString caption;
        int width;
        Qt::Alignment alignment;
        TComboCellEditor* editor;
    };
    const std::array<TColumn, ItemColumns> columns{{
        {u"タイトル(必須 100バイト以内)"_s, 400, Qt::AlignLeft, ComboCellEditor_Title},
        {u"日付(任意)"_s, 90, Qt::AlignHCenter, ComboCellEditor_Date},
        {u"アドレス(必須 http://から入力)"_s, 400, Qt::AlignLeft, ComboCellEditor_Title},
        {u"説明文(任意 400バイト以内)"_s, 400, Qt::AlignLeft, ComboCellEditor_Title},
    }};
    for (int col = 0; col < ItemColumns; ++col) {
        const TColumn& setting = columns[static_cast<size_t>(col)];
        TXStringColumnItem* item = XStringGrid->Columns()->Items(col);
        item->SetColor(Qt::white);
        item->SetFont(PointFont(10));
        item->SetFontColor(Qt::black);
        item->SetHeaderColor(HeaderBlue);
        item->SetHeaderFont(PointFont(9));
        item->SetHeaderFontColor(Qt::white);
        item->SetHeaderAlignment(Qt::AlignHCenter);
        item->SetCaptionQString(setting.caption);
        item->SetWidth(setting.width);
        item->SetAlignment(setting.alignment);
        item->SetEditor(setting.editor);
    }
    XStringGrid->SetRowCount(MaxItemRows + 1);
    ResetDocument(true);
    XStringGrid->setToolTip(u"○タイトルにはヘッドラインのタイトルを入力\r\n"
                            u"○日付は任意ですが記入されることを推奨します\r\n"
                            u"○アドレスはヘッドラインの本文があるアドレス\r\n"
                            u"○説明文は任意です、本文の要約などを記入します\r\n"
                            u"\r\n"
                            u"項目の記入は昇順(古いものから)に行ってください\r\n"
                            u"RSSに保存するときには自動的に降順に変換します"_s);
    ComboCellEditor_Title->SetItems({std::string()});
    if (TComboInplace* combo = ComboCellEditor_Title->ComboControl()) {
        connect(combo, &TXComboEdit::OnDropDown, this, &TMiniForm::FillPickList);
        combo->SetDropDownRows(15);
    }
    const QString dialogFolder = ShownPath(UserPlaces().DialogFolder);
    OpenDialog->InitialDir = dialogFolder;
    SaveDialog->InitialDir = dialogFolder;
}

void TMiniForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    FormShow();
}

void TMiniForm::FormShow() {
    OpenLastFile = true;
    LoadSaveSettings('R');
    PageControl->setCurrentIndex(pgItems);
    Version->setText(u"ver."_s + FromCp932(VersionText));
    Timer_Start->start();
}

void TMiniForm::Timer_StartTimer() {
    Timer_Start->stop();
    CheckCommandLine();
    if (!OpenFileName.empty()) {
        // The file named on the command line takes the last file's place; when it cannot be read
        // the window starts empty, not on a name it did not load.
        FileName.clear();
        LoadTableFile(OpenFileName);
    } else {
        // Started for an HTML page, the program works on the default table file, so it is read
        // even when the last file is not reopened: a save must never replace it with a document
        // that did not come from it.
        const bool openTableFile = OpenLastFile || !ImportFileName.empty();
        if (openTableFile && !FileName.empty() && IsFile(FileName)) LoadTableFile(FileName);
    }
    if (!ImportFileName.empty()) {
        // The window shows the loaded file for a moment before the question covers it. The wait
        // blocks the event loop, which would otherwise paint it, so it is painted first.
        PaintNow(*this);
        QThread::msleep(HtmlQuestionDelay);
        AskHtmlImport();
    }
    FocusGrid();
    UpdateGridStatus(-1);
    UpdateCaption();
    emit StartupFinished();
}

void TMiniForm::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

bool TMiniForm::FormCloseQuery() {
    XStringGrid->EndCellEdit(false);
    if (Modified && !AskYesNo(u"内容が変更されていますが保存せずに終了しますか？"_s)) return false;
    LoadSaveSettings('W');
    return true;
}

void TMiniForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

// The status bar lays its panels and size grip out again for the new width.
void TMiniForm::FormResize() {
    if (QLayout* layout = StatusBar->layout()) layout->invalidate();
}

void TMiniForm::PageControlChange() {
    XStringGrid->EndCellEdit(false);
    RefreshConfirmationPage();
    // The items page is for typing entries: the keyboard goes to the grid at once.
    if (PageControl->currentIndex() == pgItems) XStringGrid->setFocus(Qt::OtherFocusReason);
}

bool TMiniForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride)
        return EditShortcutOverride(watched, *static_cast<QKeyEvent*>(event));
    // The page keys reach the window before a grid, cell editor or text box can keep them.
    if (event->type() == QEvent::KeyPress && watched == QApplication::focusWidget() &&
        QApplication::focusWidget()->window() == this)
        return PageKey(*static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::Wheel) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this)
            return FormMouseWheel(*static_cast<QWheelEvent*>(event));
        return false;
    }
    if (event->type() != QEvent::MouseButtonRelease) return false;
    const auto& mouse = *static_cast<QMouseEvent*>(event);
    if (mouse.button() != Qt::LeftButton) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->rect().contains(mouse.position().toPoint())) return false;
    if (widget == Edit_StyleSheet || widget == Edit_RssSave) {
        ED_Informer_TitleChange();
        return false;
    }
    // A click on a label of the title plate would go on to the plate as well; taking it here
    // opens the page once.
    if (widget == ThemePanelExt1 || widget == Label5 || widget == Version ||
        widget == LB_MakerNotice || widget == Label10) {
        ImageClick();
        return true;
    }
    if (widget == Label7) {
        N9Click();
        return true;
    }
    return false;
}

bool TMiniForm::PageKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    if ((modifiers & ~Qt::ShiftModifier) != Qt::ControlModifier) return false;
    int step = 0;
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        step = shift || key.key() == Qt::Key_Backtab ? -1 : 1;
    else if (!shift && key.key() == Qt::Key_PageDown)
        step = 1;
    else if (!shift && key.key() == Qt::Key_PageUp)
        step = -1;
    if (step == 0) return false;
    const int pages = PageControl->count();
    PageControl->setCurrentIndex((PageControl->currentIndex() + step + pages) % pages);
    return true;
}

TXStringGrid* TMiniForm::GridUnderPointer() const {
    const QWidget* widget = QApplication::widgetAt(QCursor::pos());
    if (!widget) return nullptr;
    if (const auto* combo = qobject_cast<const TComboInplace*>(widget)) return combo->Grid();
    if (widget == XStringGrid->viewport()) return XStringGrid;
    return qobject_cast<TXStringGrid*>(const_cast<QWidget*>(widget));
}

// One row per notch of the wheel, over the grid's body or its cell editor only.
bool TMiniForm::FormMouseWheel(const QWheelEvent& event) {
    TXStringGrid* grid = GridUnderPointer();
    const int delta = event.angleDelta().y();
    if (!grid || delta == 0) return false;
    const bool up = delta > 0;
    const int row = grid->Row();
    if (up ? row <= grid->FixedRows() : row >= grid->RowCount() - 1) return false;
    // A fine-grained wheel (a touchpad) moves a row once its turns add up to a notch.
    if (std::abs(delta) < WheelNotch) {
        wheelRemainder_ = (wheelRemainder_ > 0) == (delta > 0) ? wheelRemainder_ + delta : delta;
        if (std::abs(wheelRemainder_) < WheelNotch) return true;
    }
    wheelRemainder_ = 0;
    grid->EndCellEdit(false);
    grid->BeginUpdate();
    grid->SetRow(up ? row - 1 : row + 1);
    grid->EndUpdate();
    grid->RestartCellEdit();
    return true;
}

void TMiniForm::File1Click() {
    Save2->setEnabled(!FileName.empty());
}

void TMiniForm::Commands1Click() {
    Mn_LastOpen->setChecked(OpenLastFile);
    TFeedDocument document;
    document.Channel = ChannelFromControls();
    document.FileName = FileName;
    Mn_feedAnalyzer->setEnabled(!document.Channel.FeedAddress.empty() &&
                                !FeedFileName(document).empty());
}

void TMiniForm::Mn_LastOpenClick() {
    OpenLastFile = !OpenLastFile;
    Mn_LastOpen->setChecked(OpenLastFile);
}

void TMiniForm::Exit1Click() {
    close();
}
