// The combo edit's keys: drop-down keys, keys passed on to an open popup, spin stepping and the
// spin buttons' shared auto-repeat timer.

#include "widgets/XComboBox.h"

#include "widgets/Cp932Text.h"
#include "widgets/KeyHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {

constexpr int RepeatFirstDelayMs = 400;
constexpr int RepeatIntervalMs = 100;

QPointer<QTimer> sharedRepeatTimer;
int repeatDirection = 1;

// `value` + `times` × `step`, or nothing when the sum leaves the currency's range.
std::optional<TCurrency> AddSteps(TCurrency value, TCurrency step, int64_t times) {
    int64_t scaled = 0;
    int64_t sum = 0;
    if (__builtin_mul_overflow(step.Raw(), times, &scaled) ||
        __builtin_add_overflow(value.Raw(), scaled, &sum))
        return std::nullopt;
    return TCurrency::FromRaw(sum);
}

// The widget inside `popup` that keys go to: its own focus child (the calendar's year editor, for
// one), else the focus proxy, else the popup itself.
QWidget* KeyTarget(QWidget* popup) {
    QWidget* target = popup->focusWidget();
    if (target && target->isVisible()) return target;
    return popup->focusProxy() ? popup->focusProxy() : popup;
}

} // namespace

QTimer* TXComboEdit::RepeatTimer() {
    if (!sharedRepeatTimer) sharedRepeatTimer = new QTimer(QCoreApplication::instance());
    return sharedRepeatTimer;
}

QTimer* TXComboEdit::ExistingRepeatTimer() {
    return sharedRepeatTimer;
}

// ---------------------------------------------------------------------------------------------
// Keys

bool TXComboEdit::event(QEvent* event) {
    // Keys the box uses itself must not be taken by shortcuts of the window around it.
    if (event->type() == QEvent::ShortcutOverride && HasDropDownKeys()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers held = HeldModifiers(key->modifiers());
        const bool toggle =
            ((held & Qt::AltModifier) &&
             (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) ||
            (key->key() == Qt::Key_F4 && held == Qt::NoModifier && !noFuncKeyDropDown_);
        if (droppedDown_ || toggle) {
            event->accept();
            return true;
        }
    }
    return TCp932Edit::event(event);
}

void TXComboEdit::keyPressEvent(QKeyEvent* event) {
    if (HasDropDownKeys()) {
        if (DropDownKey(event)) {
            event->accept();
            return;
        }
        if (droppedDown_) {
            ForwardKeyToPopup(event);
            return;
        }
    }
    if (KeyDown(event) || KeyPress(event)) {
        event->accept();
        return;
    }
    TCp932Edit::keyPressEvent(event);
}

bool TXComboEdit::DropDownKey(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers held = HeldModifiers(event->modifiers());
    const bool alt = held & Qt::AltModifier;
    if ((IsEnterKey(key) || key == Qt::Key_Escape) && droppedDown_ && !alt) {
        CloseUp(IsEnterKey(key));
        return true;
    }
    const bool toggle = (alt && (key == Qt::Key_Up || key == Qt::Key_Down)) ||
                        (key == Qt::Key_F4 && held == Qt::NoModifier && !noFuncKeyDropDown_);
    if (!toggle) return false;
    if (editStyle_ == esEllipsis) {
        if (EditButtonAssigned()) EditButtonClick();
    } else {
        ToggleDropDown();
    }
    return true;
}

void TXComboEdit::ToggleDropDown() {
    if (droppedDown_)
        CloseUp(true);
    else
        DropDown();
}

void TXComboEdit::ForwardKeyToPopup(QKeyEvent* event) {
    if (popup_) QCoreApplication::sendEvent(KeyTarget(popup_), event);
    event->accept();
}

bool TXComboEdit::KeyDown(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers held = HeldModifiers(event->modifiers());
    if (editStyle_ == esEllipsis && IsEnterKey(key) && held == Qt::ControlModifier &&
        EditButtonAssigned() && Usable()) {
        EditButtonClick();
        return true;
    }
    if (editStyle_ == esSpin && upDownSpin_ && (key == Qt::Key_Up || key == Qt::Key_Down))
        return StepKey(event);
    // A right-aligned box grows from the right, so Delete at its end takes the last character.
    if (key == Qt::Key_Delete && held == Qt::NoModifier && IsRightAligned() && !isReadOnly() &&
        !hasSelectedText() && cursorPosition() == text().size()) {
        backspace();
        end(false);
    }
    return false;
}

bool TXComboEdit::StepKey(QKeyEvent* event) {
    if (Usable()) Step(event->key() == Qt::Key_Up ? -1 : 1, event->modifiers());
    return true;
}

bool TXComboEdit::KeyPress(QKeyEvent* event) {
    const Qt::KeyboardModifiers held = HeldModifiers(event->modifiers());
    // Ctrl+Enter would type a line feed, which a single line cannot hold.
    if (IsEnterKey(event->key()) && (held & Qt::ControlModifier)) {
        QApplication::beep();
        return true;
    }
    if (editStyle_ != esSpin || isReadOnly() || (held & Qt::ControlModifier)) return false;
    const QString typed = event->text();
    if (typed.isEmpty() || typed.front().unicode() < 0x20) return false;
    return SpinCharacter(typed.front());
}

// Characters of a spin box: "," appends thousands, "-" negates, digits and "." are typed, and
// anything else is refused.
bool TXComboEdit::SpinCharacter(QChar typed) {
    if (typed == u',') {
        if (MaxLength() > 0 && Cp932Length(text()) + 3 > MaxLength()) {
            QApplication::beep();
        } else {
            deselect();
            end(false);
            insert(QStringLiteral("000"));
        }
        return true;
    }
    if (typed == u'-') {
        const TCurrency value = Value();
        if (minusMode_ && value.IsZero()) return false;
        if (!minusMode_ ||
            (MaxLength() > 0 && static_cast<int>(CurrToStrNZ(-value).size()) > MaxLength()))
            QApplication::beep();
        else
            SetValue(-value);
        return true;
    }
    if ((typed >= u'0' && typed <= u'9') || typed == u'.') return false;
    QApplication::beep();
    return true;
}

void TXComboEdit::Step(int direction, Qt::KeyboardModifiers modifiers) {
    const int64_t times = (modifiers & Qt::ShiftModifier) ? 10 : 1;
    if (const std::optional<TCurrency> next =
            AddSteps(Value(), increment_, direction < 0 ? -times : times))
        SetValue(*next);
    SelectAllOrCaretToEnd();
}

// ---------------------------------------------------------------------------------------------
// Spin repeat

void TXComboEdit::StartRepeat(int direction, Qt::KeyboardModifiers modifiers) {
    repeatDirection = direction;
    Step(direction, modifiers);
    QTimer* timer = RepeatTimer();
    timer->disconnect();
    connect(timer, &QTimer::timeout, this, &TXComboEdit::RepeatTick);
    timer->start(RepeatFirstDelayMs);
}

void TXComboEdit::RepeatTick() {
    // A box that was hidden or disabled, or lies under a modal box, stops stepping.
    const QWidget* modal = QApplication::activeModalWidget();
    if (!tracking_ || !isVisible() || !isEnabled() || (modal && modal != window())) {
        StopTracking();
        return;
    }
    RepeatTimer()->setInterval(RepeatIntervalMs);
    Step(repeatDirection, QGuiApplication::queryKeyboardModifiers());
}
