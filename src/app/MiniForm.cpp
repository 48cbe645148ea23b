// TMiniForm's start-up and shutdown, the document in the controls (moving it to and from a
// TFeedDocument, loading, emptying, the caption, the settings, the confirmation page) and the
// window's handlers: showing, closing, resizing, page changes, page keys, the mouse wheel over the
// grid, clicks on the title plate and notices, and the menus as they open.

#include "app/MiniForm.h"

#include "app/FormAccessibility.h"
#include "app/MiniFormSupport.h"

#include "app/FileClaim.h"
#include "app/FileDialog.h"
#include "app/FilePaths.h"
#include "app/L_CtlSize.h"
#include "app/RadioGroup.h"
#include "app/RecoveryKeeper.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "app/UserPlaces.h"
#include "dialogs/L_Dialog.h"
#include "document/FeedWriter.h"
#include "document/Messages.h"
#include "document/TableFile.h"
#include "widgets/Cp932Edit.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_EdtPos.h"
#include "widgets/StatusNotice.h"
#include "widgets/XStringGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

const QColor HeaderBlue(0x00, 0x00, 0x88);

constexpr int HtmlQuestionDelay = 300; // ms before the HTML question
constexpr int WheelNotch = 120;        // angle delta of one notch of a mouse wheel

const QStringList HtmlExtensions{u"htm"_s, u"html"_s, u"shtm"_s, u"shtml"_s};

QFont PointFont(int points) {
    QFont font = QApplication::font();
    font.setPointSize(points);
    return font;
}

bool IsFile(const std::string& path) {
    const QFileInfo info(ShownPath(path));
    return info.exists() && !info.isDir();
}

} // namespace

TMiniForm::TMiniForm(QStringList commandLineParams, QWidget* parent)
    : QMainWindow(parent), commandLineParams_(std::move(commandLineParams)) {
    setObjectName(u"MiniForm"_s);
    setGeometry(184, 149, 819, 602);
    setFont(PixelFont(12));
    CreateComponents();
    CreateRecoveryKeeper();
    NameUnlabelledControls(*XStringGrid, *Memo, [this](int row) { return MarksDateCell(row); });
    FormCreate();
    ControlSize->OwnerCreated();
}

TMiniForm::~TMiniForm() {
    // The base class closes the window as it goes, and the focus leaving an open cell editor
    // commits it; by then this object is no longer a TMiniForm, so it hears nothing more from the
    // grid or its cells (the feed check's status listens to those).
    disconnect(XStringGrid, nullptr, this, nullptr);
    disconnect(XStringGrid->model(), nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
}

// ---------------------------------------------------------------------------------------------
// The document in the controls

TPaintEdit* TMiniForm::ChannelEdit(TChannelField field) const {
    return channelEdits_.at(static_cast<size_t>(field));
}

TChannelInfo TMiniForm::ChannelFromControls() const {
    TChannelInfo channel;
    for (const TChannelTextField& field : ChannelTextFields())
        channel.*field.Text = ChannelEdit(field.Field)->TextCp932();
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
    return DocumentAsShown();
}

TFeedDocument TMiniForm::DocumentAsShown() const {
    TFeedDocument document;
    document.Items = EntriesFromGrid();
    document.Channel = ChannelFromControls();
    document.FileName = fileName_;
    document.Modified = modified_;
    const auto* editor = qobject_cast<const TComboCellEditor*>(XStringGrid->ActiveCellEditor());
    const TGridCoord cell = XStringGrid->EditCell();
    if (editor && cell.Y >= 1 && cell.Y <= MaxItemRows && cell.X >= 0 && cell.X < ItemColumns) {
        std::string& shown = document.Row(cell.Y).Cell(cell.X);
        const std::string typed = editor->ComboControl()->TextCp932();
        document.Modified = document.Modified || typed != shown;
        shown = typed;
    }
    return document;
}

void TMiniForm::DocumentToControls(const TFeedDocument& document) {
    ChannelToControls(document.Channel);
    ApplyItemRows(document);
    fileName_ = document.FileName;
    StartHistory(document.Modified);
}

void TMiniForm::ChannelToControls(const TChannelInfo& channel) {
    for (const TChannelTextField& field : ChannelTextFields()) {
        TPaintEdit* edit = ChannelEdit(field.Field);
        if (edit->TextCp932() == channel.*field.Text) continue;
        edit->SetTextCp932(channel.*field.Text);
        // A long text is shown from its start.
        edit->setCursorPosition(0);
    }
    if (RadioGroup_Ext->ItemIndex() != channel.ExtensionIndex)
        RadioGroup_Ext->SetItemIndex(channel.ExtensionIndex);
    CB_AutoData->setChecked(channel.AutoDate);
    CB_AutoAddress->setChecked(channel.AutoAddress);
}

bool TMiniForm::IsChannelEdit(const QWidget* control) const {
    return control &&
           std::find(channelEdits_.begin(), channelEdits_.end(), control) != channelEdits_.end();
}

std::optional<std::string> TMiniForm::CommittedText(const QWidget* control) const {
    for (const TChannelTextField& field : ChannelTextFields())
        if (ChannelEdit(field.Field) == control) return channel_.*field.Text;
    const auto* cellEditor = qobject_cast<const TComboInplace*>(control);
    if (!cellEditor || cellEditor->Grid() != XStringGrid) return std::nullopt;
    const TGridCoord cell = XStringGrid->EditCell();
    return XStringGrid->Cells(cell.X, cell.Y);
}

void TMiniForm::ApplyItemRows(const TFeedDocument& document) {
    XStringGrid->EndCellEdit(false);
    autoFilled_.clear();
    XStringGrid->BeginUpdate();
    WriteRows(1, {document.Items.begin(), document.Items.end()});
    XStringGrid->EndUpdate();
    XStringGrid->RestartCellEdit();
}

void TMiniForm::ClearItemRows() {
    ApplyItemRows(TFeedDocument());
}

bool TMiniForm::LoadTableFile(const std::string& path) {
    XStringGrid->EndCellEdit(false);
    if (FileClaim->HeldElsewhere(path) && !OpenClaimedFile(path)) return false;
    TFeedDocument document;
    const TResult loaded = ::LoadTableFile(document, path);
    if (loaded) {
        DocumentToControls(document);
        RecordTableFileState();
        RememberFile();
        SetStatusText(1, {}); // nothing said about the document before still holds
        ShowFeedStep(document);
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
    StartHistory(false);
    fileName_.clear();
    FileClaim->Release();
    tableFileState_.reset();
    SetStatusText(1, {});
    UpdateCaption();
    if (!keepTab) PageControlChange();
}

void TMiniForm::UpdateCaption() {
    const QString changed = modified_ ? u"*"_s : QString();
    if (fileName_.empty()) {
        setWindowTitle(changed + u"Orvane Lite版"_s);
        return;
    }
    setWindowTitle(u"Orvane Lite版 ["_s + changed + DocumentName(fileName_) + u']');
}

void TMiniForm::SetModified(bool modified) {
    modified_ = modified;
    // Back at the state on disk, however it got there: a copy would only bring back the past.
    if (!modified) RecoveryKeeper->DocumentSettled();
    UpdateCaption();
}

void TMiniForm::CheckCommandLine() {
    QString tableFile;
    for (const QString& param : std::as_const(commandLineParams_)) {
        const QFileInfo info(param);
        if (!HtmlExtensions.contains(info.suffix(), Qt::CaseInsensitive)) {
            // Options of the toolkit or the desktop are no file names.
            if (tableFile.isEmpty() && !param.startsWith(u'-')) tableFile = param;
            continue;
        }
        if (!info.exists() || info.isDir()) continue;
        importFileName_ = FileSystemPath(param);
        fileName_ = UserPlaces().DefaultTableFile;
        return;
    }
    // Kept as the last file, the name must still lead to it from another working folder.
    if (!tableFile.isEmpty())
        openFileName_ = FileSystemPath(QFileInfo(tableFile).absoluteFilePath());
}

void TMiniForm::LoadSaveSettings(TIniMode mode) {
    TEditorSettings settings{openLastFile_, fileName_, {}};
    for (int col = 0; col < XStringGrid->ColCount(); ++col)
        settings.ColWidths.push_back(XStringGrid->ColWidths(col));
    // The window's placement goes into the same save: closing writes the settings file once.
    const TIniWriter placement = [this](TIniFile& ini) { ControlSize->WritePlacement(ini); };
    if (const std::optional<std::string> message =
            ::LoadSaveSettings(mode, settings, IniFileName, placement))
        ShowMsg(*message);
    recordedFileName_ = settings.FileName;
    if (mode != imRead) return;
    openLastFile_ = settings.OpenLastFile;
    fileName_ = settings.FileName;
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
    QLabel* label = StatusPanels.at(static_cast<size_t>(panel));
    if (auto* notice = qobject_cast<TStatusNotice*>(label))
        notice->Show(text);
    else
        label->setText(text);
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

// Every change of the document is announced by DocumentChanged. The recovery copy follows it, and
// also the text typed into a cell that is not committed yet.
void TMiniForm::CreateRecoveryKeeper() {
    for (TPaintEdit* edit : ChannelEdits())
        connect(edit, &QLineEdit::textChanged, this, &TMiniForm::DocumentChanged);
    connect(RadioGroup_Ext, &TRadioGroup::Click, this, &TMiniForm::DocumentChanged);
    for (QCheckBox* box : {CB_AutoData, CB_AutoAddress})
        connect(box, &QCheckBox::toggled, this, &TMiniForm::DocumentChanged);
    connect(XStringGrid->model(), &QAbstractItemModel::dataChanged, this,
            &TMiniForm::DocumentChanged);

    RecoveryKeeper = new TRecoveryKeeper(
        [this] {
            return TRecoveryCopy{DocumentAsShown(), tableFileState_};
        },
        this);
    RecoveryKeeper->setObjectName(u"RecoveryKeeper"_s);
    connect(this, &TMiniForm::DocumentChanged, RecoveryKeeper, &TRecoveryKeeper::DocumentChanged);
    for (TComboCellEditor* editor : {ComboCellEditor_Title, ComboCellEditor_Date})
        connect(editor->ComboControl(), &QLineEdit::textEdited, RecoveryKeeper,
                &TRecoveryKeeper::DocumentChanged);
    connect(RecoveryKeeper, &TRecoveryKeeper::DiskFailed, this,
            [this](const QString& message) { SetStatusText(1, message); });
}

// The file the window now works on is where the file dialogs start, other editors are told it
// is open here, and the settings name it at once, so that the next start reopens it even when
// this one does not end as it should.
void TMiniForm::RememberFile() {
    OpenDialog->InitialDir = SaveDialog->InitialDir =
        QFileInfo(ShownPath(fileName_)).absolutePath();
    FileClaim->Claim(fileName_);
    if (fileName_ != recordedFileName_) LoadSaveSettings(imWrite);
}

bool TMiniForm::OpenClaimedFile(const std::string& path) {
    if (AskYesNo(u"このファイルは別のウィンドウで開かれています。\r\n「%1」\r\n\r\n"
                 u"このウィンドウでも開きますか？"_s.arg(DocumentName(path)),
                 mtConfirmation, true))
        return true;
    FileClaim->RaiseHolder(path);
    return false;
}

void TMiniForm::BringForward() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

// A document taken back from a recovery copy: unsaved, under its own table file's name, and
// compared at its first save with the table file as it was when the copy's editor had it.
void TMiniForm::RestoreDocument(const TRecoveryCopy& copy) {
    LeaveRowMode(0);
    DocumentToControls(copy.Document);
    if (copy.TableFileState)
        tableFileState_ = copy.TableFileState;
    else
        RecordTableFileState();
    if (!fileName_.empty()) FileClaim->Claim(fileName_);
    UpdateGridStatus(-1);
    UpdateCaption();
    RefreshConfirmationPage();
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
    openLastFile_ = true;
    LoadSaveSettings(imRead);
    PageControl->setCurrentIndex(pgItems);
    Version->setText(u"ver."_s + FromCp932(VersionText));
    Timer_Start->start();
}

void TMiniForm::Timer_StartTimer() {
    Timer_Start->stop();
    CheckCommandLine();
    if (!openFileName_.empty()) {
        // The file named on the command line takes the last file's place; when it cannot be read
        // the window starts empty, not on a name it did not load.
        fileName_.clear();
        LoadTableFile(openFileName_);
    } else {
        // Started for an HTML page, the program works on the default table file, so it is read
        // even when the last file is not reopened: a save must never replace it with a document
        // that did not come from it.
        if (!importFileName_.empty() && IsFile(fileName_)) LoadTableFile(fileName_);
        if (importFileName_.empty() && openLastFile_ && !fileName_.empty()) ReopenLastFile();
    }
    RecoveryKeeper->OfferLeftCopies([this](const TRecoveryCopy& copy) { RestoreDocument(copy); });
    if (importFileName_.empty()) return FinishStartup();
    // The window shows the loaded file for a moment before the question covers it.
    QTimer::singleShot(HtmlQuestionDelay, this, [this] {
        AskHtmlImport();
        FinishStartup();
    });
}

// A last file that is gone or cannot be read is reported, and the window starts empty rather than
// on a name whose file it does not show.
void TMiniForm::ReopenLastFile() {
    if (IsFile(fileName_)) {
        if (!LoadTableFile(fileName_)) fileName_.clear();
        return;
    }
    ShowMsg(u"前回編集したファイルが見つかりません。\r\n%1"_s.arg(ShownPath(fileName_)));
    fileName_.clear();
}

void TMiniForm::FinishStartup() {
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
    if (!ChangesMayGo()) return false;
    LoadSaveSettings(imWrite);
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
    // A click on these two fields counts as an edit, as their change does.
    if (widget == Edit_StyleSheet || widget == Edit_RssSave) {
        SetModified(true);
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
    Save2->setEnabled(!fileName_.empty());
}

void TMiniForm::Commands1Click() {
    Mn_LastOpen->setChecked(openLastFile_);
    TFeedDocument document;
    document.Channel = ChannelFromControls();
    document.FileName = fileName_;
    Mn_feedAnalyzer->setEnabled(!document.Channel.FeedAddress.empty() &&
                                !FeedFileName(document).empty());
}

void TMiniForm::Mn_LastOpenClick() {
    openLastFile_ = !openLastFile_;
    Mn_LastOpen->setChecked(openLastFile_);
}

void TMiniForm::Exit1Click() {
    close();
}
