// Building TMiniForm's components: the status bar, the page control and its items and
// confirmation pages, the item toolbar and grid, the main and popup menus, the non-visual
// components (cell editors, file dialogs, folder picker, window placement, timers), the widening
// of controls to their captions and the change notifications. The first page is built in
// MiniFormChannelPage.cpp.

#include "app/MiniForm.h"
#include "app/MiniFormSupport.h"

#include "app/FileClaim.h"
#include "app/FileDialog.h"
#include "app/L_CtlSize.h"
#include "app/RadioGroup.h"
#include "app/ToolGlyphs.h"
#include "widgets/Cp932Edit.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_EdtPos.h"
#include "widgets/L_Theme.h"
#include "widgets/SHBFFEX.h"
#include "widgets/StatusNotice.h"
#include "widgets/XStringGrid.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int StartupDelay = 100;    // ms from showing the window to the start-up work
constexpr int PasteButtonPoll = 500; // ms between looks at the clipboard
constexpr int PageTabWidth = 80;

// A page that shows `sheet` whole where there is room and scrolls it where there is not, also to
// a control that takes the focus (by a click, a key or a finding of the feed check).
QScrollArea* ScrollingPage(TTabSheetEx* sheet) {
    auto* area = new QScrollArea;
    area->setObjectName(sheet->objectName() + u"Scroll"_s);
    area->setFrameShape(QFrame::NoFrame);
    // The page follows the focus; the area itself is no stop for Tab.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->setWidget(sheet);
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* focused) {
        if (focused && area->widget()->isAncestorOf(focused)) area->ensureWidgetVisible(focused);
    });
    return area;
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

} // namespace

void TMiniForm::CreateComponents() {
    CreateStatusBar();
    Panel2 = ClientPanel(this, u"Panel2"_s, 5);
    setCentralWidget(Panel2);
    PageControl = new TPageControl(Panel2);
    PageControl->setObjectName(u"PageControl"_s);
    Panel2->layout()->addWidget(PageControl);
    CreatePages();
    CreateMainMenu();
    CreatePopupMenu();
    CreateNonVisual();
    CreateHistory();
    ConnectChangeNotifications();
    CreateFeedCheck();
    WidenControlsToCaptions();
    KeepChannelControlsReachable();
    connect(PageControl, &QTabWidget::currentChanged, this, &TMiniForm::PageControlChange);
    // Wheel turns over the grid and clicks on some labels and boxes are watched here.
    qApp->installEventFilter(this);
}

// The three pages in the order of their tabs (TPage), each filled as soon as it exists. The
// channel page's controls keep their places and scroll in a window smaller than they need; the
// other pages shrink, and their grid and feed text scroll.
void TMiniForm::CreatePages() {
    struct TPageSheet {
        TTabSheetEx* TMiniForm::*sheet;
        QString name;
        QString caption;
        void (TMiniForm::*fill)();
        bool scrolls;
    };
    const TPageSheet pages[] = {
        {&TMiniForm::TabSheet1, u"TabSheet1"_s, u"基本設定"_s, &TMiniForm::CreateChannelPage, true},
        {&TMiniForm::TabSheet2, u"TabSheet2"_s, u"項目"_s, &TMiniForm::CreateItemsPage, false},
        {&TMiniForm::TabSheet3, u"TabSheet3"_s, u"確認"_s, &TMiniForm::CreateConfirmPage, false},
    };
    for (const TPageSheet& page : pages) {
        auto* sheet = new TTabSheetEx(PageControl);
        sheet->setObjectName(page.name);
        QWidget* tab = page.scrolls ? ScrollingPage(sheet) : static_cast<QWidget*>(sheet);
        PageControl->addTab(tab, page.caption);
        this->*page.sheet = sheet;
        (this->*page.fill)();
    }
}

// The channel page is as large as its controls need, so that its scroll area scrolls to them.
void TMiniForm::KeepChannelControlsReachable() {
    QRect placed;
    for (QWidget* control : TabSheet1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control != Label10 && control != Label7) placed |= control->geometry();
    const int margin = placed.left();
    TabSheet1->setMinimumSize(placed.right() + margin,
                              placed.bottom() + margin + Label10->height() + Label7->height());
}

void TMiniForm::CreateStatusBar() {
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(u"StatusBar"_s);
    // 20 pixels, or what the font needs so that an underscore in a shown address stays visible.
    StatusBar->setFixedHeight(std::max(20, StatusBar->fontMetrics().lineSpacing() + 6));
    const std::array<Qt::Alignment, 2> alignments{Qt::AlignHCenter, Qt::AlignLeft};
    // The messages' panel also speaks to a screen reader.
    StatusPanels = {new QLabel(StatusBar), new TStatusNotice(StatusBar)};
    for (size_t panel = 0; panel < StatusPanels.size(); ++panel) {
        QLabel* label = StatusPanels[panel];
        label->setObjectName(u"StatusPanel%1"_s.arg(panel));
        label->setAlignment(alignments[panel] | Qt::AlignVCenter);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(50);
    }
    StatusPanels[0]->setFixedWidth(50);
    // The last panel reaches to the size grip.
    StatusBar->addWidget(StatusPanels[0]);
    StatusBar->addWidget(StatusPanels[1], 1);
    setStatusBar(StatusBar);
}
void TMiniForm::CreateItemsPage() {
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
        {SB_Publish, u"SB_Publish", 60, u"公開"_s, u"フィードをサイトに公開します"_s,
         TToolGlyph::Publish, &TMiniForm::Mn_PublishClick},
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
    // In a narrow window (200% on a small screen) the notice gives up its room to the buttons.
    Label9 =
        new TElidedLabel(u"RSSファイルには項目の新しいものから１５件のみ出力されます "_s, Panel1);
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
    connect(XStringGrid, &TXStringGrid::OnDrawCell, this, &TMiniForm::XStringGridDrawCell);
    connect(XStringGrid, &TXStringGrid::OnKeyDown, this, &TMiniForm::XStringGridKeyDown);
    connect(XStringGrid, &TXStringGrid::OnMouseDown, this, &TMiniForm::XStringGridMouseDown);
    connect(XStringGrid, &TXStringGrid::OnSelectCell, this, &TMiniForm::XStringGridSelectCell);
    connect(XStringGrid, &TXStringGrid::OnSetEditText, this, &TMiniForm::XStringGridSetEditText);
    connect(XStringGrid, &TXStringGrid::OnEditorStarted, this,
            &TMiniForm::XStringGridEditorStarted);
}

void TMiniForm::CreateConfirmPage() {
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
    SetFieldColors(Memo);
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
    Mn_LineRedo2 = AddMenuItem(Edit1, u"Mn_LineRedo2"_s, u"やり直し(&R)"_s,
                               &TMiniForm::Mn_LineRedoClick, QKeySequence(Qt::CTRL | Qt::Key_Y));
    Mn_LineRedo2->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
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
    Mn_PublishTo = AddMenuItem(Commands1, u"Mn_PublishTo"_s, u"公開先の設定(&S)..."_s,
                               &TMiniForm::Mn_PublishToClick);
    AddMenuItem(Commands1, u"Mn_NewsPage"_s, u"お知らせページの設定(&N)..."_s,
                &TMiniForm::Mn_NewsPageClick);
    Mn_Publish =
        AddMenuItem(Commands1, u"Mn_Publish"_s, u"サイトに公開(&U)"_s, &TMiniForm::Mn_PublishClick);
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
        item->setShortcuts(mainItem->shortcuts());
        item->setShortcutContext(Qt::WidgetShortcut);
        return item;
    };
    Mn_LineUndo = twin(u"Mn_LineUndo"_s, Mn_LineUndo2, &TMiniForm::Mn_LineUndoClick);
    Mn_LineRedo = twin(u"Mn_LineRedo"_s, Mn_LineRedo2, &TMiniForm::Mn_LineRedoClick);
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

    FileClaim = new TFileClaim(this);
    FileClaim->setObjectName(u"FileClaim"_s);
    connect(FileClaim, &TFileClaim::RaiseRequested, this, &TMiniForm::BringForward);

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
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TMiniForm::LookAtClipboard);
    LookAtClipboard();
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
