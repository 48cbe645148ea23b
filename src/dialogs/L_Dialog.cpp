#include "dialogs/L_Dialog.h"

#include "text/CodePage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

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
const std::array<ButtonInfo, mbPublish + 1> ButtonInfos{{
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
    {u"保存(&S)", QMessageBox::AcceptRole, mrYes},
    {u"保存しない(&N)", QMessageBox::DestructiveRole, mrNo},
    {u"一覧を表示(&L)", QMessageBox::ActionRole, mrList},
    {u"貼り付ける", QMessageBox::AcceptRole, mrOk},
    {u"公開する(&P)", QMessageBox::AcceptRole, mrYes},
}};

std::optional<TMsgDlgBtn> FirstPresent(const TMsgDlgButtons& buttons,
                                       std::initializer_list<TMsgDlgBtn> candidates) {
    for (const TMsgDlgBtn candidate : candidates)
        if (buttons.count(candidate)) return candidate;
    return std::nullopt;
}

// Enter presses OK, else Yes, else Save, else Retry.
std::optional<TMsgDlgBtn> DefaultButtonOf(const TMsgDlgButtons& buttons) {
    return FirstPresent(buttons, {mbOK, mbYes, mbSave, mbRetry});
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

// A box has a title and a close button and nothing else: a window manager offers minimise and
// maximise to a window that does not name its buttons.
Qt::WindowFlags BoxFlags(TFormBorderStyle style) {
    return BorderFlags(style) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint;
}

QStyle::StandardPixmap StandardPixmapOf(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case mtError:
        return QStyle::SP_MessageBoxCritical;
    case mtInformation:
        return QStyle::SP_MessageBoxInformation;
    case mtConfirmation:
    case mtCustom:
        break;
    }
    return QStyle::SP_MessageBoxQuestion;
}

int Scaled(double factor, int textHeight) {
    return static_cast<int>(std::lround(factor * textHeight));
}

// The widest a message box gets on `screen`: QMessageBox's own bound, the whole screen up to 1024
// pixels, else the screen less 480 pixels but at most 1000.
int BoxWidthLimit(const QScreen& screen) {
    const int width = screen.availableGeometry().width();
    return width <= 1024 ? width : std::min(width - 480, 1000);
}

// The width the widest line of `text` needs, measured in fractions of a pixel and rounded up: a
// width a fraction short still wraps.
int WidestLine(const QString& text, const QFontMetricsF& metrics) {
    int widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, static_cast<int>(std::ceil(metrics.horizontalAdvance(line))) + 1);
    return widest;
}

// `line` in pieces no wider than `room`, each ending at the last place a line may break before
// it overflows, or between two characters where there is none.
QStringList WrapLine(const QString& line, const QFontMetricsF& metrics, qreal room) {
    std::vector<bool> mayBreak(static_cast<size_t>(line.size()) + 1, false);
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
    for (qsizetype at = breaks.toNextBoundary(); at > 0; at = breaks.toNextBoundary())
        mayBreak[static_cast<size_t>(at)] = true;
    QStringList pieces;
    qsizetype start = 0, lastBreak = 0;
    qreal width = 0, sinceBreak = 0; // of the piece so far, and of its part after lastBreak
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, line);
    for (qsizetype at = 0, next = characters.toNextBoundary(); next > 0;
         at = next, next = characters.toNextBoundary()) {
        const qreal advance = metrics.horizontalAdvance(line.mid(at, next - at));
        if (width + advance > room && at > start) {
            const bool atBreak = lastBreak > start;
            const qsizetype end = atBreak ? lastBreak : at;
            pieces << line.mid(start, end - start);
            start = end;
            width = atBreak ? sinceBreak : 0;
        }
        width += advance;
        sinceBreak += advance;
        if (mayBreak[static_cast<size_t>(next)]) {
            lastBreak = next;
            sinceBreak = 0;
        }
    }
    pieces << line.mid(start);
    return pieces;
}

// `text` with every line wider than `room` wrapped.
QString WrapLines(const QString& text, const QFontMetricsF& metrics, qreal room) {
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        lines << WrapLine(line, metrics, room);
    return lines.join(u'\n');
}

// The check box sits in a band added under the box's own layout, 25 pixels from the left.
QRect CheckBoxGeometry(int clientHeight, int textHeight, int width) {
    return {25, clientHeight - Scaled(1.6, textHeight), width, Scaled(1.2, textHeight)};
}

QPoint CentredOver(const QRect& owner, const QSize& box) {
    return {owner.left() + (owner.width() - box.width()) / 2,
            owner.top() + (owner.height() - box.height()) / 2};
}

// A message icon painted for `ratio` device pixels per pixel: a round badge with a sign, a
// triangle for a warning.
QPixmap DrawnIcon(TMsgDlgType type, int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(1, 1, size - 2, size - 2);
    QColor sign = Qt::white;
    if (type == mtWarning) {
        const QPolygonF triangle{
            {area.center().x(), area.top()}, area.bottomRight(), area.bottomLeft()};
        painter.setPen(QPen(QColor(0x80, 0x60, 0x00), 1));
        painter.setBrush(QColor(0xF8, 0xC8, 0x20));
        painter.drawPolygon(triangle);
        sign = Qt::black;
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(type == mtError ? QColor(0xD0, 0x20, 0x20) : QColor(0x20, 0x60, 0xC0));
        painter.drawEllipse(area);
    }
    QFont font = painter.font();
    font.setPixelSize(size * 2 / 3);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(sign);
    const char16_t* signs[] = {u"!", u"\u00D7", u"i", u"?", u""};
    const QRectF signArea = type == mtWarning ? area.adjusted(0, size / 6.0, 0, 0) : area;
    painter.drawText(signArea, Qt::AlignCenter, QString::fromUtf16(signs[type]));
    return pixmap;
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

// The message box for one Execute of a TMsgDlg, shown from a copy of its properties.
class TMsgDlgBox : public QMessageBox {
public:
    TMsgDlgBox(const TMsgDlgProperties& settings, const QString& text)
        : QMessageBox(settings.OwnerForm), settings_(settings) {
        setWindowFlags(BoxFlags(settings.BorderStyle));
        setWindowTitle(MsgDlgTitle(settings.DlgType));
        SetIcon();
        setTextFormat(Qt::PlainText);
        setText(QString(text).replace(u"\r\n"_s, u"\n"_s));
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
        // Measured once the box is polished, before it is sized and placed.
        if (!event->spontaneous()) FitTextIntoBox();
        QMessageBox::showEvent(event); // sizes the box and lets the toolkit place it
        if (event->spontaneous()) return;
        layout()->activate();
        if (checkBox_)
            checkBox_->setGeometry(CheckBoxGeometry(height(), TextHeight(), CheckBoxWidth()));
        Place();
        placed_ = true;
        MoveCursorToDefaultButton(this);
    }

    // Once the window system has shown and activated the box, the owner's frame is surely
    // current: the box is centred once more then.
    bool event(QEvent* event) override {
        const bool handled = QMessageBox::event(event);
        if (event->type() == QEvent::WindowActivate && !placedWhenActive_) {
            placedWhenActive_ = true;
            Place();
        }
        return handled;
    }

    // The box can take its final size after it was first placed (a long line widens it once the
    // layout has run), so it is centred again for the size it ends up with. Before that, the
    // toolkit's own placement (where no position is given) must not be pre-empted.
    void resizeEvent(QResizeEvent* event) override {
        QMessageBox::resizeEvent(event);
        if (placed_) Place();
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
        if (const auto enter = settings_.EnterButton(); enter && added.count(*enter)) {
            setDefaultButton(added[*enter]);
            added[*enter]->setFocus();
        }
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

    // The screen the box opens on: its owner's, else the primary one.
    const QScreen* BoxScreen() const {
        return settings_.OwnerForm ? settings_.OwnerForm->screen() : screen();
    }

    // The icon at the screen's pixel ratio, so that it is sharp at 200% too: the style's when it
    // has one with enough pixels (an icon theme), else drawn here.
    void SetIcon() {
        if (settings_.DlgType == mtCustom) return;
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        const qreal ratio = BoxScreen()->devicePixelRatio();
        const QIcon icon =
            style()->standardIcon(StandardPixmapOf(settings_.DlgType), nullptr, this);
        const QPixmap styled = icon.pixmap(QSize(size, size), ratio);
        const bool sharp = styled.width() >= std::lround(size * ratio);
        setIconPixmap(sharp ? styled : DrawnIcon(settings_.DlgType, size, ratio));
    }

    // QMessageBox wraps a line beyond half the screen or 500 pixels anywhere it likes, and cuts
    // off what does not fit into its widest box. Here the label is made as wide as the widest
    // line, so that the message's own line breaks stay the only ones, as far as the box can
    // grow; a longer line is broken first where a line may break (between Japanese characters,
    // after a blank), or between two characters where it has no such place.
    void FitTextIntoBox() {
        auto* label = findChild<QLabel*>(u"qt_msgbox_label"_s);
        if (!label) return;
        const QFontMetricsF metrics(label->font());
        label->setMinimumWidth(WidestLine(text(), metrics));
        const int besideText = layout()->totalMinimumSize().width() - label->minimumWidth();
        const int room = BoxWidthLimit(*BoxScreen()) - besideText;
        const QString wrapped = WrapLines(text(), metrics, room - metrics.averageCharWidth());
        if (wrapped != text()) setText(wrapped);
        label->setMinimumWidth(std::min(WidestLine(wrapped, metrics), room));
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

    const TMsgDlgProperties settings_;
    std::map<const QAbstractButton*, int> results_;
    QCheckBox* checkBox_ = nullptr;
    bool placed_ = false;
    bool placedWhenActive_ = false;
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

// The active window. Right after a dialog closes (a message reporting what the dialog chose) the
// window manager may not have activated the window under it yet: the program's visible main
// window stands in then, so that the box is centred over it rather than over the screen.
QWidget* ActiveForm() {
    // The window system may still name the dialog that has just closed as the active window.
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowType() == Qt::Window) return window;
    return nullptr;
}

// Prepares `box` for a message or question over the active window.
void Prepare(TMsgDlg& box, const QString& text, TMsgDlgType type, const TMsgDlgButtons& buttons) {
    ResetScreenCursor();
    if (MsgBoxColor.isValid()) box.Color = MsgBoxColor;
    if (MsgBoxFontColor.isValid()) box.FontColor = MsgBoxFontColor;
    box.OwnerForm = ActiveForm();
    box.SetCaption(text);
    box.Buttons = buttons;
    box.DlgType = type;
}

// Runs `use` on the shared box, or on a box of its own while the shared one is open (a message
// from a timer or an event raised under an open box), which keeps the open box's state its own.
template <typename Use> auto WithFreeBox(Use use) {
    TMsgDlg& shared = SharedMsgDlg();
    if (!shared.IsOpen()) return use(shared);
    TMsgDlg own;
    return use(own);
}

} // namespace

TMsgDlg::TMsgDlg(QObject* owner) : QObject(owner) {
    Color = QGuiApplication::palette().color(QPalette::Button);
    FontColor = QGuiApplication::palette().color(QPalette::ButtonText);
}

QString TMsgDlgProperties::Caption() const {
    return Lines.join(u"\r\n"_s);
}

void TMsgDlgProperties::SetCaption(const QString& text) {
    static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
    Lines = text.split(lineBreak);
    // A break at the very end closes the last line rather than starting an empty one.
    if (Lines.back().isEmpty()) Lines.removeLast();
}

void TMsgDlgProperties::SetCaption(const std::string& cp932Text) {
    SetCaption(FromCp932Text(cp932Text));
}

QString TMsgDlgProperties::CheckBoxCaption() const {
    return Mess.isEmpty() ? u"メッセージ"_s : Mess;
}

std::optional<TMsgDlgBtn> TMsgDlgProperties::EnterButton() const {
    if (CancelFocus)
        if (const auto cancel = FirstPresent(Buttons, {mbCancel, mbNo})) return cancel;
    if (DefaultButton) return DefaultButton;
    return DefaultButtonOf(Buttons);
}

QString TMsgDlgProperties::MessageText() const {
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
        AnsweredBoxes().push_back({text, MsgDlgTitle(DlgType), DlgType, Buttons, EnterButton()});
        if (MessSwitch && answer->MessChecked) MessChecked = *answer->MessChecked;
        return answer->ModalResult;
    }
    if (const auto& handler = UnqueuedBoxHandler())
        return handler({text, MsgDlgTitle(DlgType), DlgType, Buttons, EnterButton()});
    const TopMostSuspension topMost;
    const TMsgDlgProperties shown = *this;
    TMsgDlgBox box(shown, text);
    if (shown.Bell) QApplication::beep();
    ++openCount_;
    const auto closed = qScopeGuard([this] { --openCount_; });
    const int result = box.Run();
    if (shown.MessSwitch) MessChecked = box.IsChecked();
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
    WithFreeBox([&](TMsgDlg& box) {
        Prepare(box, text, type, {mbOK});
        return box.Execute();
    });
}

void ShowMsg(const std::string& text, TMsgDlgType type) {
    ShowMsg(FromCp932Text(text), type);
}

bool AskYesNo(const QString& text, TMsgDlgType type, bool cancelFocus) {
    return WithFreeBox([&](TMsgDlg& box) {
        Prepare(box, text, type, {mbYes, mbCancel});
        box.CancelFocus = cancelFocus;
        const auto reset = qScopeGuard([&box] { box.CancelFocus = false; });
        return box.Execute() == mrYes;
    });
}

bool AskYesNo(const std::string& text, TMsgDlgType type, bool cancelFocus) {
    return AskYesNo(FromCp932Text(text), type, cancelFocus);
}

bool ShowMsgOfferingList(const std::string& text, TMsgDlgType type) {
    return WithFreeBox([&](TMsgDlg& box) {
        Prepare(box, FromCp932Text(text), type, {mbOK, mbList});
        return box.Execute() == mrList;
    });
}

int AskQuestion(const QString& text, const TMsgDlgButtons& buttons,
                std::optional<TMsgDlgBtn> defaultButton) {
    return WithFreeBox([&](TMsgDlg& box) {
        Prepare(box, text, mtConfirmation, buttons);
        box.DefaultButton = defaultButton;
        const auto reset = qScopeGuard([&box] { box.DefaultButton.reset(); });
        return box.Execute();
    });
}

TSaveAnswer AskSaveChanges(const QString& documentName) {
    switch (AskQuestion(u"「%1」への変更を保存しますか？"_s.arg(documentName),
                        {mbSave, mbDontSave, mbCancel})) {
    case mrYes:
        return TSaveAnswer::Save;
    case mrNo:
        return TSaveAnswer::Discard;
    default:
        return TSaveAnswer::Cancel;
    }
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

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}
