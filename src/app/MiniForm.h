#pragma once

// TMiniForm: the editor's only window. The channel fields on the first page, the item grid on the
// second and the feed text on the third; menus, the item toolbar and the status bar.
//
// The document has no copy of its own: its channel fields are the controls of the first page, its
// entries the cells of XStringGrid, and FileName and Modified are fields of the window.
// DocumentFromControls and DocumentToControls move it between the controls and a TFeedDocument.
//
// Outside the window the document is read only (FileName, Modified, DocumentAsShown, the status
// bar); everything else is private. The components keep the names they were designed with, which
// are also their objectName: tests find them so and drive them as a user does.
//
// Every change to the document is a step of UndoStack (DocumentSteps.h). A committed cell, a row
// command or a click on an option is a step at once; typing in a channel field becomes one when
// the field is left (or the document is saved or undone). Modified follows the history: it is
// false exactly while the history stands where the document was loaded, saved or emptied and no
// field holds typing that is not a step yet and differs from what it held. Loading and emptying
// start a new history.

#include "app/L_CtlSize.h"
#include "document/ChannelFields.h"
#include "document/ClipboardRows.h"
#include "document/DiskState.h"
#include "document/DocumentChange.h"
#include "document/EntryTable.h"
#include "document/FeedCheck.h"
#include "document/FeedDocument.h"
#include "widgets/XStringGrid.h"

#include <QMainWindow>
#include <QMenu>
#include <QStringList>

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolButton;
class QUndoStack;
class QKeyEvent;
class QWheelEvent;
class TAlignSpeedButton;
struct TFeedFile;
struct TNewsPageSettings;
struct TPublishedFile;
class TFeedCheckList;
class TFileClaim;
class TFileDialog;
class TNoPaintPanel;
class TPaintEdit;
struct TPublishSettings;
class TRadioGroup;
class TRecoveryKeeper;
struct TRecoveryCopy;
class TSHBrowseForFolderEx;
class TTabSheetEx;
class TThemePanelExt;

class TMiniForm : public QMainWindow {
    Q_OBJECT

public:
    // The pages of PageControl.
    enum TPage { pgChannel = 0, pgItems = 1, pgConfirm = 2 };

    // `commandLineParams`: the parameters the program was started with, its name excluded. At
    // start-up the window asks about an HTML page named there, or opens the first table file
    // named (CheckCommandLine).
    explicit TMiniForm(QStringList commandLineParams = {}, QWidget* parent = nullptr);
    ~TMiniForm() override;

    // The document's table file, the file system's bytes (FilePaths.h); empty for a new document.
    const std::string& FileName() const { return fileName_; }
    // The document changed since it was loaded, saved or emptied.
    bool Modified() const { return modified_; }
    // The document as the controls show it, without committing anything: an edit still open in a
    // cell counts, and Modified is also true when that edit changes its cell.
    TFeedDocument DocumentAsShown() const;
    // The text of status bar panel 0 (the row counter) or 1 (messages).
    QString StatusText(int panel) const;
    // The date cell of `row` is drawn in the error colour: it holds no feed date, or it is empty in
    // an entry the feed carries.
    bool MarksDateCell(int row) const;

signals:
    // The start-up timer has done its work: last file, HTML question, focus and caption.
    void StartupFinished();
    // Something of the document changed: a cell, a channel field or option.
    void DocumentChanged();

private:
    // The document in the controls, after the grid and the focused field have committed what is
    // still open in them.
    TFeedDocument DocumentFromControls();
    void DocumentToControls(const TFeedDocument& document);
    TChannelInfo ChannelFromControls() const;

    // Reads the table file into the window; a file that cannot be read is reported and leaves the
    // window as it was, as does a file open in another editor that the user does not open here
    // too. Returns false then.
    bool LoadTableFile(const std::string& path);
    // Writes the table file and its feed, asking for the file name first when the document has
    // none or `saveAs` is set, and reports the outcome. True when both files were written.
    bool SaveDocument(bool saveAs);
    // Before the document is replaced or the window closes: true when nothing unsaved is lost,
    // because there was nothing, the user saved it (and the save succeeded) or chose not to.
    bool ChangesMayGo();
    // Empties the document; without keepTab the confirmation page is refreshed too.
    void ResetDocument(bool keepTab);
    // The caption: the program's name, the file's name in brackets, a "*" before it while the
    // document has unsaved changes.
    void UpdateCaption();
    // Sets Modified and shows it in the caption.
    void SetModified(bool modified);
    // Looks for an HTML file among the command line's parameters, else for a table file to open
    // (the first other parameter that is no option).
    void CheckCommandLine();
    // Reads the open-last-file option, the last file's name and the column widths from the
    // settings file, or writes them (and reports a settings file that cannot be written).
    void LoadSaveSettings(TIniMode mode);
    // Empties every cell of the item rows, as one bulk change.
    void ClearItemRows();
    // Shows the page and focuses the field or cell a finding of the feed check is about.
    void GoToFinding(const TFeedFinding& finding);
    void SetStatusText(int panel, const QString& text);

    // The item grid's options while cells are edited (cell mode) and while whole rows are
    // selected (row mode).
    static constexpr TGridOptions GridEditingOptions = goFixedVertLine | goFixedHorzLine |
                                                       goVertLine | goHorzLine | goColSizing |
                                                       goEditing | goTabs | goAlwaysShowEditor;
    static constexpr TGridOptions GridRowOptions = goFixedVertLine | goFixedHorzLine | goVertLine |
                                                   goHorzLine | goRangeSelect | goColSizing |
                                                   goRowSelect;

    // The edit commands of menus, toolbar and keys act on the focused text box, or on the
    // selected rows in row mode. False when the command did not apply.
    // Undo and Redo act on the focused text box while it holds text it has not yet given to the
    // document and can take back (or forward) itself, otherwise on the document's history.
    enum class TEditCommand { Undo, Redo, Cut, Copy, Paste, SelectAll, Delete };
    bool EditCommand(TEditCommand command);
    // Whole rows are selected (row mode).
    bool RowsSelected() const;
    // A paste would insert rows: the grid's cell editor has the focus and the clipboard holds
    // text with a TAB.
    bool RowPastePossible() const;
    // Row commands on the item rows 1 .. MaxItemRows. They refuse (false) what does not apply;
    // InsertRows and PasteRows also refuse, with a message, to push text out at the bottom.
    // PasteRows asks before it pastes only the first rows of more than fit, or characters the
    // table file cannot hold replaced by "〓"; an answer of キャンセル changes nothing.
    bool InsertRows(int row, int count);
    bool DeleteRows(int first, int last);
    bool CopyRowsToClipboard(int first, int last);
    bool PasteRows(int row);
    // False when the grid already is (Enter) or is not (Leave) in row mode. Leaving puts the
    // current cell on the selection's top row (where -1), bottom row (1) or leaves it (0).
    bool EnterRowMode();
    bool LeaveRowMode(int where);
    // The toolbar's states and the status bar's row counter for `row` (-1: the current row).
    void UpdateGridStatus(int row = -1);
    void UpdatePasteButton();
    void LookAtClipboard();

    // Components, named as the rest of the program knows them (docs/DESIGN.md has a glossary).
    // The window's frame.
    QStatusBar* StatusBar;               // status bar
    std::array<QLabel*, 2> StatusPanels; // its panels: row counter (0), messages (1)
    TNoPaintPanel* Panel2;               // frame around the pages
    QTabWidget* PageControl;             // the three pages (TPage)
    TTabSheetEx* TabSheet1;              // page 基本設定 (the channel)
    TTabSheetEx* TabSheet2;              // page 項目 (the items)
    TTabSheetEx* TabSheet3;              // page 確認 (the feed text)

    // Page 基本設定. Each label names the field that follows it and focuses it when clicked.
    QGroupBox* GroupBox1;               // 提供者情報 (the channel)
    QLabel* LB_Informer_Name;           // タイトル(必須)
    TPaintEdit* ED_Informer_Title;      // the channel's title
    QLabel* LB_Informer_Mail;           // ホームページアドレス(必須)
    TPaintEdit* ED_Informer_Address;    // the home page's address
    QLabel* LB_Informer_HomePage;       // 説明文(任意)
    TPaintEdit* ED_Informer_Setumei;    // the channel's description (説明, setsumei)
    QLabel* Label6;                     // RSSファイルを設置するアドレス(必須)
    TPaintEdit* ED_Informer_RssAddress; // the web folder the feed file is put in
    QGroupBox* GroupBox2;               // ロゴ(任意) (the logo)
    QLabel* Label1;                     // タイトル(必須) (the logo's)
    TPaintEdit* Edit_Logo_Title;        // the logo's title
    QLabel* Label2;                     // ロゴのあるアドレス(必須)
    TPaintEdit* Edit_Logo_Address;      // the logo image's address
    QLabel* Label3;                     // ロゴをクリックしたときのアドレス(必須)
    TPaintEdit* Edit_Logo_Setumei;      // the address the logo links to
    QLabel* Label8;                     // スタイルシートのアドレスと名前(任意)
    TPaintEdit* Edit_StyleSheet;        // the style sheet's address
    TThemePanelExt* ThemePanelExt1;     // title plate; a click opens the maker's home page
    QLabel* Label5;                     // title plate: the program's name
    QLabel* Version;                    // title plate: "ver." and the version
    QLabel* LB_MakerNotice;             // title plate: the maker's copyright line
    TRadioGroup* RadioGroup_Ext;        // 拡張子: the feed file's extension, rdf or xml
    QCheckBox* CB_AutoData;             // 項目に日付を自動的にセットする
    QCheckBox* CB_AutoAddress;          // 項目に…アドレスを自動的にセットする
    QLabel* Label4;                     // RSSファイルのローカル保存先(必須)
    TPaintEdit* Edit_RssSave;           // the local folder the feed file is saved in
    QToolButton* SB_Sansyo;             // 参照... (browse for that folder)
    QLabel* Label10;                    // link at the bottom: the maker's home page
    QLabel* Label7;                     // link at the bottom: the full edition's page

    // Page 項目: the toolbar and the grid.
    TNoPaintPanel* Panel1;            // the toolbar
    TAlignSpeedButton* SB_LineIns;    // １行挿入 (insert a row); コピー in row mode
    TAlignSpeedButton* SB_LineDelete; // １行削除 (delete the row); 切り取り in row mode
    TAlignSpeedButton* SB_LinePaste;  // 行貼付 (paste rows)
    TAlignSpeedButton* SB_LineDown;   // ↓ (move the row down)
    TAlignSpeedButton* SB_LineUp;     // ↑ (move the row up)
    TAlignSpeedButton* SB_Publish;    // 公開 (機能 > サイトに公開)
    QFrame* Bevel1;                   // divider after the buttons
    QLabel* Label9;                   // notice: only the 15 newest entries go into the feed
    TNoPaintPanel* Panel4;            // frame around the grid
    TXStringGrid* XStringGrid;        // the entries: title, date, address, description

    // Page 確認.
    TNoPaintPanel* Panel3; // frame around the feed text
    QPlainTextEdit* Memo;  // the feed text, read-only

    // The main menu and the grid's context menu.
    QMenu* File1;               // ファイル (File)
    QAction* N2;                // ファイル > 新規 (New)
    QAction* R1;                // ファイル > 開く (Open)
    QAction* Save2;             // ファイル > 上書き保存 (Save)
    QAction* Save1;             // ファイル > 名前を付けて保存 (Save As)
    QAction* Exit1;             // ファイル > 終了 (Exit)
    QMenu* Edit1;               // 編集 (Edit)
    QAction* Mn_LineUndo2;      // 編集 > 元に戻す (Undo), naming the step it takes back
    QAction* Mn_LineRedo2;      // 編集 > やり直し (Redo), naming the step it makes again
    QAction* Mn_LineCut2;       // 編集 > 切り取り (Cut)
    QAction* Mn_LineCopy2;      // 編集 > コピー (Copy)
    QAction* Mn_LinePaste2;     // 編集 > 貼り付け (Paste)
    QAction* Mn_LineDelete2;    // 編集 > 削除 (Delete)
    QAction* Mn_LineSelect2;    // 編集 > 全て選択 (Select All)
    QMenu* Commands1;           // 機能 (Tools)
    QAction* InternetExplorer1; // 機能 > …で確認 (preview in the browser)
    QAction* Mn_feedAnalyzer;   // 機能 > …で構文チェック (the online validator)
    QAction* Mn_FeedCheck;      // 機能 > フィードを検査 (check the feed offline)
    QAction* Mn_PublishTo;      // 機能 > 公開先の設定... (where the feed is published)
    QAction* Mn_Publish;        // 機能 > サイトに公開 (publish the feed)
    QAction* Mn_LastOpen;       // 機能 > 起動時に最後に編集したファイルを開く
    QMenu* Help1;               // ヘルプ (Help)
    QAction* M1;                // ヘルプ > オンラインマニュアル (online manual)
    QAction* ReadmeR1;          // ヘルプ > Readmeを参照する (the readme)
    QAction* N9;                // ヘルプ > …高機能版… (the full edition's page)
    QAction* N8;                // ヘルプ > ホームページ (the maker's home page)
    QMenu* PopupMenu;           // the grid's context menu: the 編集 commands again
    QAction* Mn_LineUndo;       // 元に戻す (Undo)
    QAction* Mn_LineRedo;       // やり直し (Redo)
    QAction* Mn_LineCut;        // 切り取り (Cut)
    QAction* Mn_LineCopy;       // コピー (Copy)
    QAction* Mn_LinePaste;      // 貼り付け (Paste)
    QAction* Mn_LineDelete;     // 削除 (Delete)
    QAction* Mn_LineSelect;     // 全て選択 (Select All)

    // Components without a place of their own on the window.
    TComboCellEditor* ComboCellEditor_Title;   // cell editor with a pick list (text columns)
    TComboCellEditor* ComboCellEditor_Date;    // cell editor with a calendar (date column)
    TFileDialog* OpenDialog;                   // file dialog of ファイル > 開く
    TFileDialog* SaveDialog;                   // file dialog of 名前を付けて保存
    TSHBrowseForFolderEx* SHBrowseForFolderEx; // folder picker of 参照...
    TFeedCheckList* FeedCheckList;             // findings of 機能 > フィードを検査
    TControlSize* ControlSize;                 // keeps the window's placement in the settings
    QTimer* Timer_Start;                       // start-up work, 100 ms after the window is shown
    QTimer* Timer_Paste;                       // clipboard poll for 行貼付, every 500 ms
    TRecoveryKeeper* RecoveryKeeper;           // the recovery copy of unsaved changes
    TFileClaim* FileClaim;                     // tells other editors this one has FileName open
    QUndoStack* UndoStack;                     // the document's history

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateComponents();
    void CreateStatusBar();
    void CreatePages();
    void CreateChannelPage();
    void CreateChannelFields();
    // The text fields of the channel page with their labels, group by group.
    struct TLabelledField;
    static const TLabelledField ProviderFields[], LogoFields[], PageFields[];
    void CreateTitlePlate();
    void CreateChannelOptions();
    void CreateItemsPage();
    void CreateItemToolbar(QWidget* page);
    void CreateItemGrid(QWidget* page);
    void CreateConfirmPage();
    void CreateMainMenu();
    void CreatePopupMenu();
    void CreateNonVisual();
    void ConnectChangeNotifications();
    void CreateRecoveryKeeper();
    void RestoreDocument(const TRecoveryCopy& copy);
    void CreateFeedCheck();
    void CreateHistory();
    void SetChannelTabOrder();
    void WidenControlsToCaptions();
    void KeepChannelControlsReachable();
    TPaintEdit* AddField(QWidget* parent, const QString& name, const QRect& box, int maxLength,
                         const QString& hint);
    QGroupBox* AddGroupBox(const QString& name, const QString& caption, const QRect& box);
    // A label in the window's font unless `fontPixels` (above 0) gives another height.
    QLabel* AddFieldLabel(QWidget* parent, const QString& name, QPoint at, const QString& caption,
                          QWidget* field, int fontPixels);
    QAction* AddMenuItem(QMenu* menu, const QString& name, const QString& caption,
                         void (TMiniForm::*handler)(), const QKeySequence& shortcut = {});
    void AddSeparator(QMenu* menu, const QString& name);
    // The edit box of each channel text field, indexed by TChannelField.
    const std::array<TPaintEdit*, ChannelTextFieldCount>& ChannelEdits() const {
        return channelEdits_;
    }
    TPaintEdit* ChannelEdit(TChannelField field) const;
    // After a save, status bar panel 1 counts the feed check's errors until the next change.
    void ShowCheckStatus(const TFeedDocument& document);
    void ClearCheckStatus();
    // Empties status bar panel 1 if it still shows `notice`, and forgets it.
    void ClearStatusNotice(QString& notice);
    void FillConfirmationPage();
    void RefreshConfirmationPage();
    // Shows the feed's lines on the confirmation page.
    void ShowFeedText(const std::vector<std::string>& lines);
    void ApplyItemRows(const TFeedDocument& document);
    // Sets the controls whose value differs from the channel's.
    void ChannelToControls(const TChannelInfo& channel);
    // The text the document holds for a channel field's box or the cell editor; none for other
    // controls.
    std::optional<std::string> CommittedText(const QWidget* control) const;
    bool IsChannelEdit(const QWidget* control) const;
    // The entries as the grid shows them; CommittedEntries first puts an open cell editor's text
    // into its cell.
    TEntries EntriesFromGrid() const;
    TEntries CommittedEntries();
    // Sets the rows from `first` on, cell by cell, outside any bulk change.
    void WriteRows(int first, const std::vector<TFeedItem>& rows);
    bool ApplyRowEdit(const TRowEdit& edit, const QString& stepName, int currentRow = 0);
    // Writes the patch's rows as one bulk change; the current cell goes to `current` when its row
    // is given (its column too when that is not negative).
    void ShowRows(const TRowPatch& patch, TGridCoord current);

    // The history (MiniFormHistory.cpp).
    void RecordStep(const QString& name, TDocumentChange change);
    // Records the channel fields changed since the last step, as one step.
    void RecordChannelEdit();
    // Puts the open cell editor's text and the channel field being typed into the history.
    void CommitEdits();
    // A new history; the document counts as modified from its start or not.
    void StartHistory(bool modified);
    void SyncModified();
    // Shows a step's change in the window (see DocumentSteps.h).
    void ShowChange(const TDocumentChange& change);
    bool HistoryStep(bool redo);
    // The focused text box takes Undo (Redo) itself (see TEditCommand).
    bool BoxTakesUndo(QWidget* control, bool redo) const;
    void UpdateUndoItems(QAction* undo, QAction* redo, bool rowsSelected);
    TXStringGrid* GridUnderPointer() const;
    // Ctrl+Tab and Ctrl+PageDown turn to the next page, Ctrl+Shift+Tab and Ctrl+PageUp to the one
    // before, from anywhere in the window and around the ends. True when the key was one of them.
    bool PageKey(const QKeyEvent& key);
    void AskHtmlImport();
    void FocusGrid();
    void RememberFile();
    void ReopenLastFile();
    // The table file at `path` is open in another editor: true when the user opens it here all
    // the same; otherwise the other editor's window is brought forward.
    bool OpenClaimedFile(const std::string& path);
    void BringForward();

    // Window handlers.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormResize();
    bool FormMouseWheel(const QWheelEvent& event);
    void PageControlChange();
    void Timer_StartTimer();
    void FinishStartup();
    void ED_Informer_TitleChange();
    void File1Click();
    void Commands1Click();
    void Mn_LastOpenClick();
    void Exit1Click();

    // Document commands, preview and outside programs.
    void N2Click();
    void R1Click();
    void Save2Click();
    void Save1Click();
    void SB_SansyoClick();
    void InternetExplorer1Click();
    void Mn_feedAnalyzerClick();
    void Mn_FeedCheckClick();
    // Publishing and the feed on disk (MiniFormPublish.cpp).
    void Mn_PublishToClick();
    void Mn_PublishClick();
    // The questions before a publish: true to go on.
    bool PublishDespiteErrors(const TFeedDocument& document);
    bool PublishToNewAddress(const TPublishSettings& settings, const std::string& address);
    void RecordPublishedAddress(const std::string& table, const std::string& address);
    // After a save under another name: the publish settings of `fromTable` go with the document,
    // unless the new table file has its own.
    void CarryPublishSettings(const std::string& fromTable);
    // Writes `feed` over the file there unless that is in step with the document already; false,
    // with the message shown, when it could not be written.
    bool FeedOnDiskInStep(const TFeedDocument& document, const TFeedFile& feed);
    // The news page beside the feed (MiniFormNewsPage.cpp): 機能 > お知らせページの設定..., the
    // settings of a table file, carried to its new name by a save under another name, and the page
    // written before a publish; false, with the message shown, when it could not be written.
    void Mn_NewsPageClick();
    TNewsPageSettings NewsPageSettingsOf(const std::string& table) const;
    // Keeps the page settings of `table`; a failure is shown to the user.
    void StoreNewsPageSettings(const std::string& table, const TNewsPageSettings& settings);
    void CarryNewsPageSettings(const std::string& fromTable, const std::string& toTable);
    bool NewsPageInStep(const TFeedDocument& document, const TFeedFile& feed,
                        std::vector<TPublishedFile>& withFeed);
    // At open: clears away what interrupted saves left, and says in the status bar when the feed
    // on disk is not the document's.
    void ShowFeedStep(const TFeedDocument& document);
    void M1Click();
    void ReadmeR1Click();
    void N9Click();
    void ImageClick();

    // Item grid commands.
    void SB_LineInsClick();
    void SB_LineDeleteClick();
    void Mn_LinePasteClick();
    void SB_LineDownClick();
    void SB_LineUpClick();
    void Mn_LineUndoClick();
    void Mn_LineRedoClick();
    void Mn_LineCutClick();
    void Mn_LineCopyClick();
    void Mn_LineDeleteClick();
    void Mn_LineSelectClick();
    void Edit1Click();
    void PopupMenuPopup();
    void Timer_PasteTimer();
    void FillPickList();
    void XStringGridDrawCell(TXStringGrid* Sender, QPainter& Canvas, int ACol, int ARow,
                             const QRect& Rect, TGridDrawState State);
    void XStringGridKeyDown(TXStringGrid* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void XStringGridMouseDown(TXStringGrid* Sender, Qt::MouseButton Button,
                              Qt::KeyboardModifiers Shift, int X, int Y);
    void XStringGridSelectCell(TXStringGrid* Sender, int ACol, int ARow, bool& CanSelect);
    // A committed cell edit is a step of the history: a typed date in the feed's form where it is
    // one, with the row's empty date and address filled when the options on the first page ask
    // for it.
    void XStringGridSetEditText(TXStringGrid* Sender, int ACol, int ARow, const std::string& Value,
                                const std::string& Before);
    // A cell the program filled in and nobody has edited since opens with its text selected.
    void XStringGridEditorStarted(TXStringGrid* Sender, int ACol, int ARow, TCellEditor* Editor);
    // The committed text of a date cell: a date in the feed's form where the text is one, else the
    // text as typed, with the reason in the status bar.
    std::string TypedDate(const std::string& typed);
    bool PasteIntoCell();
    bool FitPastedRows(int rowCount, int fit);
    bool ReplaceUnheldCharacters(const std::vector<TReplacedCharacter>& replaced);
    bool GridCommandKey(int key, Qt::KeyboardModifiers shift);
    bool PasteKey();
    // The captions and hints of SB_LineIns and SB_LineDelete, whose commands follow the row mode.
    void SetRowButtonCaptions();
    bool RemoveSelectedRows(const TGridRect& selection, bool copyFirst);
    void MoveCurrentRow(int step);
    void UpdateEditItems(QAction* undo, QAction* redo, QAction* cut, QAction* copy, QAction* paste,
                         QAction* del, QAction* selectAll);
    bool EditShortcutOverride(QObject* watched, QKeyEvent& event);

    // The table file is changed on disk since it was loaded or saved, and the user does not want
    // to overwrite it.
    bool KeepChangedTableFile(const std::string& target) const;
    void RecordTableFileState();

    std::string fileName_;
    bool modified_ = false;
    bool openLastFile_ = true;   // reopen the last table file at start-up
    std::string importFileName_; // the HTML file named on the command line
    std::string openFileName_;   // the table file named on the command line, opened at start-up
    QStringList commandLineParams_;
    bool rowMode_ = false; // whole rows are selected
    bool shown_ = false;
    // The clipboard held text with a TAB when it was last looked at.
    bool rowsOnClipboard_ = false;
    int wheelRemainder_ = 0;
    // The table file fileName_ names, as it was on disk when it was last loaded or saved.
    std::optional<TDiskState> tableFileState_;
    std::string recordedFileName_;             // the last file as the settings file names it
    QString checkStatus_;                      // what ShowCheckStatus put into status bar panel 1
    QString feedStatus_;                       // what ShowFeedStep put there
    std::set<std::pair<int, int>> autoFilled_; // (column, row) of cells filled in, not edited since
    TChannelInfo channel_;                     // the channel as the history's last step left it
    bool showingStep_ = false; // an undo or redo is putting its change into the controls
    std::array<TPaintEdit*, ChannelTextFieldCount> channelEdits_{};
};
