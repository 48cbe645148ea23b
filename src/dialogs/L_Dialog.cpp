#include "L_Dialog.h"

#include "CodePage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <initializer_list>
#include <map>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

struct QueuedAnswer {
    int ModalResult;
    std::optional<bool> MessChecked;
};

std::deque<QueuedAnswer>& AnswerQueue() {
    static std::deque<QueuedAnswer> queue;
    return queue;
}

std::function<int(const TMsgDlgRecord&)>& UnqueuedBoxHandler() {
    static std::function<int(const TMsgDlgRecord&)> handler;
    return handler;
}

std::vector<TMsgDlgRecord>& AnsweredBoxes() {
    static std::vector<TMsgDlgRecord> boxes;
    return boxes;
}

QString FromCp932Text(const std::string& text) {
    return QString::fromStdString(Cp932ToUtf8(text));
}

// Bytes `text` takes in code page 932; a character the code page cannot hold counts as one.
int Cp932ByteCount(const QString& text) {
    int count = 0;
    for (const char32_t codePoint : text.toUcs4()) {
        const auto bytes = Utf8ToCp932(QString::fromUcs4(&codePoint, 1).toStdString());
        count += bytes ? static_cast<int>(bytes->size()) : 1;
    }
    return count;
}

bool IsLineBreak(QChar character) {
    return character == u'\r' || character == u'\n';
}

QString TrimLineBreaks(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (end > first && IsLineBreak(text[end - 1]))
        --end;
    while (first < end && IsLineBreak(text[first]))
        ++first;
    return text.mid(first, end - first);
}

struct ButtonInfo {
    const char16_t* Caption;
    QMessageBox::ButtonRole Role;
    int ModalResult;
};

// Indexed by TMsgDlgBtn. Help has no viewer behind it and closes the box with no result.
const std::array<ButtonInfo, mbHelp + 1> ButtonInfos{{
    {u"はい(&Y)", QMessageBox::YesRole, mrYes},
    {u"いいえ(&N)", QMessageBox::NoRole, mrNo},
    {u"OK", QMessageBox::AcceptRole, mrOk},
    {u"キャンセル", QMessageBox::RejectRole, mrCancel},
    {u"中止(&A)", QMessageBox::RejectRole, mrAbort},
    {u"再試行(&R)", QMessageBox::AcceptRole, mrRetry},
    {u"無視(&I)", QMessageBox::AcceptRole, mrIgnore},
    {u"すべて(&L)", QMessageBox::YesRole, mrAll},
    {u"すべていいえ(&O)", QMessageBox::NoRole, mrNoToAll},
    {u"すべてはい(&S)", QMessageBox::YesRole, mrYesToAll},
    {u"ヘルプ(&H)", QMessageBox::HelpRole, mrNone},
}};

std::optional<TMsgDlgBtn> FirstPresent(const TMsgDlgButtons& buttons,
                                       std::initializer_list<TMsgDlgBtn> candidates) {
    for (const TMsgDlgBtn candidate : candidates)
        if (buttons.count(candidate)) return candidate;
    return std::nullopt;
}

// Enter presses OK, else Yes, else Retry.
std::optional<TMsgDlgBtn> DefaultButtonOf(const TMsgDlgButtons& buttons) {
    return FirstPresent(buttons, {mbOK, mbYes, mbRetry});
}

// Escape and the close button press Cancel, else No, else OK.
std::optional<TMsgDlgBtn> CancelButtonOf(const TMsgDlgButtons& buttons) {
    return FirstPresent(buttons, {mbCancel, mbNo, mbOK});
}

QString MsgDlgTitle(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return u"警告"_s;
    case mtError:
        return u"エラー"_s;
    case mtInformation:
        return u"情報"_s;
    case mtConfirmation:
        return u"確認"_s;
    case mtCustom:
        break;
    }
    return QGuiApplication::applicationDisplayName();
}

QMessageBox::Icon MsgDlgIcon(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

Qt::WindowFlags BorderFlags(TFormBorderStyle style) {
    switch (style) {
    case TFormBorderStyle::bsNone:
        return Qt::Dialog | Qt::FramelessWindowHint;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
        return Qt::Tool;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsDialog:
        break;
    }
    return Qt::Dialog;
}

int Scaled(double factor, int textHeight) {
    return static_cast<int>(std::lround(factor * textHeight));
}

// The check box sits in a band added under the box's own layout, 25 pixels from the left.
QRect CheckBoxGeometry(int clientHeight, int textHeight, int width) {
    return {25, clientHeight - Scaled(1.6, textHeight), width, Scaled(1.2, textHeight)};
}

QPoint CentredOver(const QRect& owner, const QSize& box) {
    return {owner.left() + (owner.width() - box.width()) / 2,
            owner.top() + (owner.height() - box.height()) / 2};
}

// Windows of the application that stay on top step back while a box is up, so that they cannot
// hide it, and stay on top again afterwards.
class TopMostSuspension {
public:
    TopMostSuspension() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || !window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                continue;
            suspended_.emplace_back(window);
            SetStaysOnTop(window, false);
        }
    }
    ~TopMostSuspension() {
        for (const QPointer<QWidget>& window : suspended_)
            if (window) SetStaysOnTop(window, true);
    }
    TopMostSuspension(const TopMostSuspension&) = delete;
    TopMostSuspension& operator=(const TopMostSuspension&) = delete;

private:
    // Changing a window's flags hides it, so it is shown again.
    static void SetStaysOnTop(QWidget* window, bool on) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
        window->show();
    }
    std::vector<QPointer<QWidget>> suspended_;
};

// The message box for one Execute of a TMsgDlg.
class TMsgDlgBox : public QMessageBox {
public:
    TMsgDlgBox(const TMsgDlg& settings, const QString& text)
        : QMessageBox(settings.OwnerForm), settings_(settings) {
        setWindowFlags(BorderFlags(settings.BorderStyle) | Qt::WindowStaysOnTopHint);
        setWindowTitle(MsgDlgTitle(settings.DlgType));
        setIcon(MsgDlgIcon(settings.DlgType));
        setTextFormat(Qt::PlainText);
        setText(QString(text).replace(u"\r\n"_s, u"\n"_s));
        KeepLinesWhole();
        AddButtons();
        if (settings.MessSwitch) AddCheckBox();
        ApplyColours();
    }

    // Runs the box modally; the modal result of the button pressed, Cancel when none was.
    int Run() {
        exec();
        const auto found = results_.find(clickedButton());
        return found == results_.end() ? mrCancel : found->second;
    }

    bool IsChecked() const { return checkBox_ && checkBox_->isChecked(); }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event); // sizes the box and lets the toolkit place it
        if (event->spontaneous()) return;
        layout()->activate();
        if (checkBox_)
            checkBox_->setGeometry(CheckBoxGeometry(height(), TextHeight(), CheckBoxWidth()));
        Place();
        MoveCursorToDefaultButton(this);
    }

private:
    void AddButtons() {
        const TMsgDlgButtons& buttons = settings_.Buttons;
        std::map<TMsgDlgBtn, QPushButton*> added;
        for (const TMsgDlgBtn button : buttons) {
            const ButtonInfo& info = ButtonInfos[button];
            added[button] = addButton(QString::fromUtf16(info.Caption), info.Role);
            results_[added[button]] = info.ModalResult;
        }
        if (const auto cancel = CancelButtonOf(buttons)) setEscapeButton(added[*cancel]);
        if (const auto def = DefaultButtonOf(buttons)) setDefaultButton(added[*def]);
        if (settings_.CancelFocus)
            if (const auto cancel = FirstPresent(buttons, {mbCancel, mbNo}))
                added[*cancel]->setFocus();
    }

    // The check box lives outside the box's layout, in a band that the layout leaves empty at
    // the bottom; the band is 1.4 text heights high.
    void AddCheckBox() {
        checkBox_ = new QCheckBox(settings_.CheckBoxCaption(), this);
        checkBox_->setChecked(settings_.MessChecked);
        const QMargins margins = layout()->contentsMargins();
        layout()->setContentsMargins(margins + QMargins(0, 0, 0, Scaled(1.4, TextHeight())));
    }

    int TextHeight() const { return fontMetrics().height(); }

    // The box wraps lines beyond half the screen or 500 pixels, which cuts a long Japanese line
    // (it has no blanks) at an arbitrary character: the text label is made as wide as the widest
    // line, up to most of the screen, so the message's own line breaks are the only ones.
    void KeepLinesWhole() {
        auto* label = findChild<QLabel*>(u"qt_msgbox_label"_s);
        if (!label) return;
        int widest = 0;
        for (const QString& line : text().split(u'\n'))
            widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
        const QScreen* screen =
            settings_.OwnerForm ? settings_.OwnerForm->screen() : QGuiApplication::primaryScreen();
        const int most = screen ? screen->availableGeometry().width() * 4 / 5 : widest;
        label->setMinimumWidth(std::min(widest, most));
    }

    // Wide enough for the caption with its box; never narrower than the style needs, so the
    // caption is not clipped.
    int CheckBoxWidth() const {
        const int captionWidth = fontMetrics().horizontalAdvance(checkBox_->text());
        return std::max(captionWidth + 20, checkBox_->sizeHint().width());
    }

    void ApplyColours() {
        QPalette colours = palette();
        if (settings_.Color.isValid()) colours.setColor(QPalette::Window, settings_.Color);
        if (settings_.FontColor.isValid())
            colours.setColor(QPalette::WindowText, settings_.FontColor);
        setPalette(colours);
    }

    void Place() {
        if (const QWidget* owner = settings_.OwnerForm) {
            move(CentredOver(owner->window()->frameGeometry(), frameGeometry().size()));
        } else if (settings_.PosX >= 0 || settings_.PosY >= 0) {
            move(settings_.PosX >= 0 ? settings_.PosX : x(),
                 settings_.PosY >= 0 ? settings_.PosY : y());
        }
    }

    const TMsgDlg& settings_;
    std::map<const QAbstractButton*, int> results_;
    QCheckBox* checkBox_ = nullptr;
};

std::optional<QueuedAnswer> TakeQueuedAnswer() {
    std::deque<QueuedAnswer>& queue = AnswerQueue();
    if (queue.empty()) return std::nullopt;
    QueuedAnswer answer = queue.front();
    queue.pop_front();
    return answer;
}

void ResetScreenCursor() {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

// Prepares the shared box for a message or question over the active window.
TMsgDlg& PreparedSharedBox(const QString& text, TMsgDlgType type, const TMsgDlgButtons& buttons) {
    ResetScreenCursor();
    TMsgDlg& box = SharedMsgDlg();
    if (MsgBoxColor.isValid()) box.Color = MsgBoxColor;
    if (MsgBoxFontColor.isValid()) box.FontColor = MsgBoxFontColor;
    box.OwnerForm = QApplication::activeWindow();
    box.SetCaption(text);
    box.Buttons = buttons;
    box.DlgType = type;
    return box;
}

} // namespace

TMsgDlg::TMsgDlg(QObject* owner)
    : QObject(owner), Color(QGuiApplication::palette().color(QPalette::Button)),
      FontColor(QGuiApplication::palette().color(QPalette::ButtonText)) {}

QString TMsgDlg::Caption() const {
    return Lines.join(u"\r\n"_s);
}

void TMsgDlg::SetCaption(const QString& text) {
    static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
    Lines = text.split(lineBreak);
    // A break at the very end closes the last line rather than starting an empty one.
    if (Lines.back().isEmpty()) Lines.removeLast();
}

void TMsgDlg::SetCaption(const std::string& cp932Text) {
    SetCaption(FromCp932Text(cp932Text));
}

QString TMsgDlg::CheckBoxCaption() const {
    return Mess.isEmpty() ? u"メッセージ"_s : Mess;
}

QString TMsgDlg::MessageText() const {
    QString text = TrimLineBreaks(Caption());
    if (MessSwitch) {
        // The message is at least as wide as the check box caption under it.
        const int missing = Cp932ByteCount(CheckBoxCaption()) - Cp932ByteCount(text);
        if (missing > 0) text += QString(missing, u' ');
    }
    return text;
}

int TMsgDlg::Execute() {
    const QString text = MessageText();
    if (const std::optional<QueuedAnswer> answer = TakeQueuedAnswer()) {
        AnsweredBoxes().push_back({text, MsgDlgTitle(DlgType), DlgType, Buttons});
        if (MessSwitch && answer->MessChecked) MessChecked = *answer->MessChecked;
        return answer->ModalResult;
    }
    if (const auto& handler = UnqueuedBoxHandler())
        return handler({text, MsgDlgTitle(DlgType), DlgType, Buttons});
    const TopMostSuspension topMost;
    TMsgDlgBox box(*this, text);
    if (Bell) QApplication::beep();
    const int result = box.Run();
    if (MessSwitch) MessChecked = box.IsChecked();
    return result;
}

void TMsgDlg::QueueAnswer(int modalResult, std::optional<bool> messChecked) {
    AnswerQueue().push_back({modalResult, messChecked});
}

int TMsgDlg::QueuedAnswerCount() {
    return static_cast<int>(AnswerQueue().size());
}

void TMsgDlg::ClearQueuedAnswers() {
    AnswerQueue().clear();
}

std::vector<TMsgDlgRecord> TMsgDlg::TakeAnsweredBoxes() {
    return std::exchange(AnsweredBoxes(), {});
}

void TMsgDlg::SetUnqueuedBoxHandler(std::function<int(const TMsgDlgRecord&)> handler) {
    UnqueuedBoxHandler() = std::move(handler);
}

TMsgDlg& SharedMsgDlg() {
    static QPointer<TMsgDlg> shared;
    if (!shared) shared = new TMsgDlg(QCoreApplication::instance());
    return *shared;
}

void ShowMsg(const QString& text, TMsgDlgType type) {
    PreparedSharedBox(text, type, {mbOK}).Execute();
}

void ShowMsg(const std::string& text, TMsgDlgType type) {
    ShowMsg(FromCp932Text(text), type);
}

bool AskYesNo(const QString& text, TMsgDlgType type, bool cancelFocus) {
    TMsgDlg& box = PreparedSharedBox(text, type, {mbYes, mbCancel});
    box.CancelFocus = cancelFocus;
    struct ResetCancelFocus {
        TMsgDlg& Box;
        ~ResetCancelFocus() { Box.CancelFocus = false; }
    } reset{box};
    return box.Execute() == mrYes;
}

bool AskYesNo(const std::string& text, TMsgDlgType type, bool cancelFocus) {
    return AskYesNo(FromCp932Text(text), type, cancelFocus);
}

void MoveCursorToDefaultButton(QWidget* control) {
    if (!SnapToDefaultButton || !control) return;
    QPushButton* button = qobject_cast<QPushButton*>(control);
    if (!button) {
        for (QPushButton* child : control->findChildren<QPushButton*>()) {
            if (child->isDefault()) {
                button = child;
                break;
            }
        }
    }
    if (button)
        QCursor::setPos(button->mapToGlobal(QPoint(button->width() / 2, button->height() / 2)));
}
