#pragma once

// TMiniForm: the editor's only window. The channel fields on the first page, the item grid on the
// second and the feed text on the third; menus, the item toolbar and the status bar.
//
// The document has no copy of its own: its channel fields are the controls of the first page, its
// entries the cells of XStringGrid, and FileName and Modified are fields of the window.
// DocumentFromControls and DocumentToControls move it between the controls and a TFeedDocument.

#include "DiskState.h"
#include "FeedCheck.h"
#include "FeedDocument.h"
#include "XStringGrid.h"

#include <QMainWindow>
#include <QMenu>
#include <QStringList>

#include <array>
#include <optional>
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
class QKeyEvent;
class QWheelEvent;
class TAlignSpeedButton;
class TControlSize;
class TFeedCheckList;
class TFileDialog;
class TNoPaintPanel;
class TPaintEdit;
class TRadioGroup;
class TSHBrowseForFolderEx;
class TTabSheetEx;
class TThemePanelExt;

class TMiniForm : public QMainWindow {
    Q_OBJECT

public:
    // The pages of PageControl.
    enum TPage { pgChannel = 0, pgItems = 1, pgConfirm = 2 };

    explicit TMiniForm(QWidget* parent = nullptr);

    // The document's file name and state; its contents live in the controls (see above).
    // Paths are the file system's bytes (FilePaths.h).
    std::string FileName; // table file; empty for a new document
    bool Modified = false;
    bool OpenLastFile = true;   // reopen the last table file at start-up
    std::string ImportFileName; // the HTML file named on the command line
    std::string OpenFileName;   // the table file named on the command line, opened at start-up

    // The command line's parameters, program name excluded; read by CheckCommandLine.
    QStringList CommandLineParams;

    TFeedDocument DocumentFromControls();
    void DocumentToControls(const TFeedDocument& document);
    TChannelInfo ChannelFromControls() const;

    // Reads the table file into the window; a file that cannot be read is reported and leaves the
    // window as it was. Returns false then.
    bool LoadTableFile(const std::string& path);
    // Writes the table file and its feed, asking for the file name first when the document has
    // none or `saveAs` is set, and reports the outcome.
    void SaveDocument(bool saveAs);
    // Empties the document; without keepTab the confirmation page is refreshed too.
    void ResetDocument(bool keepTab);
    void UpdateCaption();
    // Looks for an HTML file among CommandLineParams (see ImportFileName), else for a table file
    // to open (the first other parameter that is no option, see OpenFileName).
    void CheckCommandLine();
    // 'R' reads the open-last-file option, the last file's name and the column widths from the
    // settings file, 'W' writes them (and reports a settings file that cannot be written).
    void LoadSaveSettings(char mode);
    // Empties every cell of the item rows, as one bulk change.
    void ClearItemRows();
    // Shows the page and focuses the field or cell a finding of the feed check is about.
    void GoToFinding(const TFeedFinding& finding);
    // The text of status bar panel 0 or 1.
    QString StatusText(int panel) const;
    void SetStatusText(int panel, const QString& text);

    // The item grid's options while cells are edited (cell mode) and while whole rows are
    // selected (row mode).
    static constexpr TGridOptions GridEditingOptions = goFixedVertLine | goFixedHorzLine |
                                                       goVertLine | goHorzLine | goColSizing |
                                                       goEditing | goTabs | goAlwaysShowEditor;
    static constexpr TGridOptions GridRowOptions = goFixedVertLine | goFixedHorzLine | goVertLine |
                                                   goHorzLine | goRangeSelect | goColSizing |
                                                   goRowSelect;
    bool RowMode = false;

    // The edit commands of menus, toolbar and keys: 'U' undo, 'X' cut, 'C' copy, 'P' paste,
    // 'A' select all and 'D' delete act on the focused text box, or on the selected rows in row
    // mode; 'T' tells whether rows are selected, 'B' whether a paste would insert rows.
    bool EditCommand(char letter);
    // Row commands on the item rows 1 .. MaxItemRows. They refuse (false) what does not apply;
    // InsertRows and PasteRows also refuse, with a message, to push text out at the bottom.
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

    // Components, named as the rest of the program knows them.
    QStatusBar* StatusBar;
    std::array<QLabel*, 2> StatusPanels;
    TNoPaintPanel* Panel2;
    QTabWidget* PageControl;
    TTabSheetEx* TabSheet1;
    TTabSheetEx* TabSheet2;
    TTabSheetEx* TabSheet3;

    QGroupBox* GroupBox1;
    QLabel* LB_Informer_Name;
    TPaintEdit* ED_Informer_Title;
    QLabel* LB_Informer_Mail;
    TPaintEdit* ED_Informer_Address;
    QLabel* LB_Informer_HomePage;
    TPaintEdit* ED_Informer_Setumei;
    QLabel* Label6;
    TPaintEdit* ED_Informer_RssAddress;
    QGroupBox* GroupBox2;
    QLabel* Label1;
    TPaintEdit* Edit_Logo_Title;
    QLabel* Label2;
    TPaintEdit* Edit_Logo_Address;
    QLabel* Label3;
    TPaintEdit* Edit_Logo_Setumei;
    QLabel* Label8;
    TPaintEdit* Edit_StyleSheet;
    TThemePanelExt* ThemePanelExt1;
    QLabel* Label5;
    QLabel* Version;
    QLabel* LB_MakerNotice;
    TRadioGroup* RadioGroup_Ext;
    QCheckBox* CB_AutoData;
    QCheckBox* CB_AutoAddress;
    QLabel* Label4;
    TPaintEdit* Edit_RssSave;
    QToolButton* SB_Sansyo;
    QLabel* Label10;
    QLabel* Label7;

    TNoPaintPanel* Panel1;
    TAlignSpeedButton* SB_LineIns;
    TAlignSpeedButton* SB_LineDelete;
    TAlignSpeedButton* SB_LinePaste;
    TAlignSpeedButton* SB_LineDown;
    TAlignSpeedButton* SB_LineUp;
    QFrame* Bevel1;
    QLabel* Label9;
    TNoPaintPanel* Panel4;
    TXStringGrid* XStringGrid;

    TNoPaintPanel* Panel3;
    QPlainTextEdit* Memo;

    QMenu* File1;
    QAction* N2;
    QAction* R1;
    QAction* Save2;
    QAction* Save1;
    QAction* Exit1;
    QMenu* Edit1;
    QAction* Mn_LineUndo2;
    QAction* Mn_LineCut2;
    QAction* Mn_LineCopy2;
    QAction* Mn_LinePaste2;
    QAction* Mn_LineDelete2;
    QAction* Mn_LineSelect2;
    QMenu* Commands1;
    QAction* InternetExplorer1;
    QAction* Mn_feedAnalyzer;
    QAction* Mn_FeedCheck;
    QAction* Mn_LastOpen;
    QMenu* Help1;
    QAction* M1;
    QAction* ReadmeR1;
    QAction* N9;
    QAction* N8;
    QMenu* PopupMenu;
    QAction* Mn_LineUndo;
    QAction* Mn_LineCut;
    QAction* Mn_LineCopy;
    QAction* Mn_LinePaste;
    QAction* Mn_LineDelete;
    QAction* Mn_LineSelect;

    TComboCellEditor* ComboCellEditor_Title;
    TComboCellEditor* ComboCellEditor_Date;
    TFileDialog* OpenDialog;
    TFileDialog* SaveDialog;
    TSHBrowseForFolderEx* SHBrowseForFolderEx;
    TFeedCheckList* FeedCheckList;
    TControlSize* ControlSize;
    QTimer* Timer_Start;
    QTimer* Timer_Paste;

signals:
    // The start-up timer has done its work: last file, HTML question, focus and caption.
    void StartupFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateComponents();
    void CreateStatusBar();
    void CreateChannelPage();
    void CreateChannelFields();
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
    void CreateFeedCheck();
    void SetChannelTabOrder();
    void WidenControlsToCaptions();
    TPaintEdit* AddField(QWidget* parent, const QString& name, const QRect& box, int maxLength,
                         const QString& hint);
    QGroupBox* AddGroupBox(const QString& name, const QString& caption, const QRect& box);
    // A label in the window's font unless `fontPixels` gives another height.
    QLabel* AddFieldLabel(QWidget* parent, const QString& name, QPoint at, const QString& caption,
                          QWidget* field, int fontPixels = 0);
    QAction* AddMenuItem(QMenu* menu, const QString& name, const QString& caption,
                         void (TMiniForm::*handler)(), const QKeySequence& shortcut = {});
    void AddSeparator(QMenu* menu, const QString& name);
    std::array<TPaintEdit*, 9> ChannelEdits() const;
    // After a save, status bar panel 1 counts the feed check's errors until the next change.
    void ShowCheckStatus(const TFeedDocument& document);
    void ClearCheckStatus();
    void FillConfirmationPage();
    void RefreshConfirmationPage();
    // Shows the feed's lines on the confirmation page.
    void ShowFeedText(const std::vector<std::string>& lines);
    void ApplyItemRows(const TFeedDocument& document);
    TXStringGrid* GridUnderPointer() const;
    // Ctrl+Tab and Ctrl+PageDown turn to the next page, Ctrl+Shift+Tab and Ctrl+PageUp to the one
    // before, from anywhere in the window and around the ends. True when the key was one of them.
    bool PageKey(const QKeyEvent& key);
    void AskHtmlImport();
    void FocusGrid();

    // Window handlers.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormResize();
    bool FormMouseWheel(const QWheelEvent& event);
    void PageControlChange();
    void Timer_StartTimer();
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
    // A committed cell edit marks the document modified and fills the row's empty date and
    // address when the options on the first page ask for it.
    void XStringGridSetEditText(TXStringGrid* Sender, int ACol, int ARow, const std::string& Value);
    bool GridCommandKey(int key, Qt::KeyboardModifiers shift);
    bool PasteKey();
    bool PullRowsUp(int first, int last);
    bool RemoveSelectedRows(const TGridRect& selection, bool copyFirst);
    void MoveCurrentRow(int step);
    void UpdateEditItems(QAction* undo, QAction* cut, QAction* copy, QAction* paste, QAction* del,
                         QAction* selectAll);
    bool EditShortcutOverride(QObject* watched, QKeyEvent& event);

    // The table file is changed on disk since it was loaded or saved, and the user does not want
    // to overwrite it.
    bool KeepChangedTableFile(const std::string& target) const;
    void RecordTableFileState();

    bool shown_ = false;
    int wheelRemainder_ = 0;
    // The table file FileName names, as it was on disk when it was last loaded or saved.
    std::optional<TDiskState> tableFileState_;
    QString checkStatus_; // what ShowCheckStatus put into status bar panel 1
};
