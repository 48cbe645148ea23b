#pragma once

// L_Dialog: message boxes (TMsgDlg, ShowMsg, AskYesNo).
//
// The program's message boxes. Every message goes through ShowMsg (one OK button), every yes/no
// question through AskYesNo (Yes and Cancel), the question before unsaved changes are dropped
// through AskSaveChanges and any other choice through AskQuestion; all drive one shared TMsgDlg,
// which wraps QMessageBox with the program's Japanese titles and buttons, places the box over the
// active window, applies colours and can add a check box under the message. A box shows its
// whole text: lines keep their own breaks as far as the box can grow, and longer ones wrap.
//
// Tests answer boxes in advance with TMsgDlg::QueueAnswer: the next Execute then shows nothing,
// returns the queued result and records what it would have shown (TakeAnsweredBoxes). A box that
// opens with nothing queued goes to the handler set with SetUnqueuedBoxHandler, when there is one,
// so a test can fail at once instead of waiting for a person.

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Icon and title of a box, numbered 0 to 4.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
    mbSave,     // 保存(&S): answers Yes
    mbDontSave, // 保存しない(&N): answers No
    mbList,     // shows a list of what the message counts
    mbPaste,    // 貼り付ける: answers OK
    mbPublish   // 公開する(&P): answers Yes
};
using TMsgDlgButtons = std::set<TMsgDlgBtn>;

// What Execute returns for the button that closed the box.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
    mrList = 11
};

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// Whether a box moves the mouse pointer onto its default button when it opens. No Linux desktop
// offers this setting, so it is off; it can be switched on to exercise the behaviour.
inline bool SnapToDefaultButton = false;

// Program-wide colours for the shared box. A valid colour is copied into its Color or FontColor
// before each use; the invalid colour (the default) leaves the box's own.
inline QColor MsgBoxColor;
inline QColor MsgBoxFontColor;

// What a box answered from the queue would have shown.
struct TMsgDlgRecord {
    QString Text; // the message after trimming, lines joined with CR LF
    QString Title;
    TMsgDlgType DlgType = mtInformation;
    TMsgDlgButtons Buttons;
    std::optional<TMsgDlgBtn> DefaultButton; // the one Enter presses
};

// Everything a box shows and answers. Execute works on a copy of these, so a box raised while
// another is open cannot change what the open one shows or gives back.
struct TMsgDlgProperties {
    // The message text: reading joins Lines with CR LF, writing splits at CR LF, CR or LF.
    QString Caption() const;
    void SetCaption(const QString& text);
    void SetCaption(const std::string& cp932Text);

    QStringList Lines;
    TMsgDlgType DlgType = mtInformation;
    TMsgDlgButtons Buttons{mbOK};
    int PosX = -1; // screen position used without an owner form; negative: not given
    int PosY = -1;
    int HelpConText = 0;      // kept for callers; there is no help viewer to pass it to
    bool MessSwitch = false;  // show a check box under the message
    QString Mess;             // its caption, "メッセージ" when empty
    bool MessChecked = false; // its state, in and out
    bool Bell = false;
    TFormBorderStyle BorderStyle = TFormBorderStyle::bsDialog;
    QColor Color;             // background, the palette's button face; invalid: the toolkit's own
    QColor FontColor;         // text, the palette's button text; invalid: the toolkit's own
    bool CancelFocus = false; // Cancel (or No) is the default button, not the one below
    // The button Enter presses; none: OK, else Yes, else Save, else Retry.
    std::optional<TMsgDlgBtn> DefaultButton;

    // The form the next box is centred over; without one PosX/PosY or the toolkit place it.
    QPointer<QWidget> OwnerForm;

    // The text the box shows: line breaks trimmed from both ends, padded with blanks to the
    // check box caption's byte length when the check box is on.
    QString MessageText() const;
    QString CheckBoxCaption() const;
    // The button Enter presses: CancelFocus's, DefaultButton or the buttons' own default.
    std::optional<TMsgDlgBtn> EnterButton() const;
};

class TMsgDlg : public QObject, public TMsgDlgProperties {
    Q_OBJECT

public:
    explicit TMsgDlg(QObject* owner = nullptr);

    // Shows the box modally and returns the modal result of the button that closed it. Only
    // MessChecked changes, and only when the box has its check box.
    int Execute();
    // True from the start of Execute until it returns.
    bool IsOpen() const { return openCount_ > 0; }

    // Answers the next Execute with `modalResult`; with `messChecked`, the check box comes back
    // in that state.
    static void QueueAnswer(int modalResult, std::optional<bool> messChecked = std::nullopt);
    static int QueuedAnswerCount();
    static void ClearQueuedAnswers();
    // The boxes answered from the queue since the last call, oldest first.
    static std::vector<TMsgDlgRecord> TakeAnsweredBoxes();
    // Answers every box that opens with no queued answer: nothing is shown, the handler gets what
    // the box would have shown and returns its modal result. An empty handler (the default) lets
    // such boxes show.
    static void SetUnqueuedBoxHandler(std::function<int(const TMsgDlgRecord&)> handler);

private:
    int openCount_ = 0;
};

// The box shared by ShowMsg and AskYesNo, created on first use and owned by the application.
// While it is open, ShowMsg and AskYesNo use a box of their own instead.
TMsgDlg& SharedMsgDlg();

// A message with an OK button. The std::string forms take code page 932 text.
void ShowMsg(const std::string& text, TMsgDlgType type = mtInformation);
void ShowMsg(const QString& text, TMsgDlgType type = mtInformation);

// True exactly when the user answers Yes; Cancel, Escape and the close button give false.
bool AskYesNo(const std::string& text, TMsgDlgType type = mtConfirmation, bool cancelFocus = false);
bool AskYesNo(const QString& text, TMsgDlgType type = mtConfirmation, bool cancelFocus = false);
// A message with OK and a button that asks for the list behind it: true when that one was pressed.
bool ShowMsgOfferingList(const std::string& text, TMsgDlgType type = mtInformation);

// Asks `text` with `buttons` and returns the modal result of the button pressed. The default
// button is `defaultButton` when given, else OK, else Yes, else Save, else Retry; Escape and the
// close button press Cancel, else No, else OK.
int AskQuestion(const QString& text, const TMsgDlgButtons& buttons,
                std::optional<TMsgDlgBtn> defaultButton = std::nullopt);

enum class TSaveAnswer { Save, Discard, Cancel };

// Asks "「{documentName}」への変更を保存しますか？" with 保存(&S) (the default), 保存しない(&N)
// and キャンセル; Escape and the close button cancel.
TSaveAnswer AskSaveChanges(const QString& documentName);

class QDialog;
class QDialogButtonBox;

// The OK and キャンセル buttons of a dialog of the program's own, accepting and rejecting `dialog`;
// the caller places them.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// Moves the mouse pointer onto the centre of `control` when it is a push button, else onto its
// first default push button, if SnapToDefaultButton is on.
void MoveCursorToDefaultButton(QWidget* control);
