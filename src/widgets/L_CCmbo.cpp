#include "widgets/L_CCmbo.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

constexpr Qt::KeyboardModifiers MoveBlockingModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

// The application's style with the text caret twice the one-pixel border width.
class TWideCaretStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TextCursorWidth) return 2;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// One wide-caret style for all boxes, following the application style they were made under.
// Keyed on the application style's name rather than the base style's: a style the factory cannot
// make (one the program built itself) would otherwise never match and cost a new style per box.
QStyle* WideCaretStyle() {
    static QPointer<TWideCaretStyle> shared;
    static QString sharedFor;
    const QString appStyle = QApplication::style()->name();
    if (!shared || sharedFor != appStyle) {
        shared = new TWideCaretStyle(QStyleFactory::create(appStyle));
        shared->setParent(QCoreApplication::instance());
        sharedFor = appStyle;
    }
    return shared;
}

} // namespace

TEditNext::TEditNext(QWidget* parent)
    : TCp932Edit(parent), noFocusColor_(Color()), focusColor_(Color()),
      noFocusFontColor_(FontColor()), focusFontColor_(FontColor()) {}

void TEditNext::SetNoFocusColor(const QColor& color) {
    noFocusColor_ = color;
    if (focusColorChange_ && !hasFocus()) ApplyColors(noFocusColor_, noFocusFontColor_);
}

void TEditNext::SetFocusColor(const QColor& color) {
    focusColor_ = color;
    if (focusColorChange_ && hasFocus()) ApplyColors(focusColor_, focusFontColor_);
}

void TEditNext::SetNoFocusFontColor(const QColor& color) {
    noFocusFontColor_ = color;
    if (focusColorChange_ && !hasFocus()) ApplyColors(noFocusColor_, noFocusFontColor_);
}

void TEditNext::SetFocusFontColor(const QColor& color) {
    focusFontColor_ = color;
    if (focusColorChange_ && hasFocus()) ApplyColors(focusColor_, focusFontColor_);
}

void TEditNext::SetFocusColorChange(bool on) {
    focusColorChange_ = on;
    if (!on) return;
    ApplyFocusStateColors();
    update();
}

QColor TEditNext::Color() const {
    return palette().color(QPalette::Base);
}

void TEditNext::SetColor(const QColor& color) {
    ApplyColors(color, FontColor());
}

QColor TEditNext::FontColor() const {
    return palette().color(QPalette::Text);
}

void TEditNext::SetFontColor(const QColor& color) {
    ApplyColors(Color(), color);
}

void TEditNext::ApplyColors(const QColor& background, const QColor& text) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, background);
    colours.setColor(QPalette::Text, text);
    setPalette(colours);
}

void TEditNext::ApplyFocusStateColors() {
    if (hasFocus())
        ApplyColors(focusColor_, focusFontColor_);
    else
        ApplyColors(noFocusColor_, noFocusFontColor_);
}

// Escape (undo) and Enter end here: passed on, they would cancel a dialog or press its default
// button.
void TEditNext::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (isUndoAvailable()) undo();
        event->accept();
        return;
    }
    if (HandleMoveKey(*event)) {
        event->accept();
        return;
    }
    TCp932Edit::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) event->accept();
}

// Applies EnterNext to the key; true when the key is dropped.
bool TEditNext::HandleMoveKey(const QKeyEvent& event) {
    if (!enterNext_ || (event.modifiers() & MoveBlockingModifiers)) return false;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!enterNext_.testFlag(esEnter)) return false;
        MoveFocus(true);
        return true;
    case Qt::Key_Up:
        if (enterNext_.testFlag(esUp)) MoveFocus(false);
        return enterNext_.testAnyFlags(esUp | esDown);
    case Qt::Key_Down:
        if (enterNext_.testFlag(esDown)) MoveFocus(true);
        return enterNext_.testAnyFlags(esUp | esDown);
    case Qt::Key_Left: {
        const int selectionFrom = hasSelectedText() ? selectionStart() : cursorPosition();
        if (!enterNext_.testFlag(esLeft) || selectionFrom != 0) return false;
        MoveFocus(false);
        return true;
    }
    default:
        return false;
    }
}

void TEditNext::MoveFocus(bool forward) {
    if (QWidget* neighbour = NeighbourInTabOrder(forward))
        neighbour->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

// The next or previous control of this window that Tab would reach.
QWidget* TEditNext::NeighbourInTabOrder(bool forward) const {
    const QWidget* form = window();
    QWidget* candidate = const_cast<TEditNext*>(this);
    for (;;) {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == this) return nullptr;
        if (candidate->window() == form && (candidate->focusPolicy() & Qt::TabFocus) &&
            candidate->isVisibleTo(form) && candidate->isEnabled() && !candidate->focusProxy())
            return candidate;
    }
}

void TEditNext::focusInEvent(QFocusEvent* event) {
    const int caret = cursorPosition();
    const bool hadSelection = hasSelectedText();
    TCp932Edit::focusInEvent(event);
    // The line edit selects all on a keyboard focus; without AutoSelect the caret stays put.
    if (!autoSelect_ && !hadSelection && hasSelectedText()) setCursorPosition(caret);
    focusedByMouse_ = event->reason() == Qt::MouseFocusReason;
    if (focusColorChange_) ApplyColors(focusColor_, focusFontColor_);
}

void TEditNext::focusOutEvent(QFocusEvent* event) {
    TCp932Edit::focusOutEvent(event);
    focusedByMouse_ = false;
    if (focusColorChange_ && !hasFocus()) ApplyColors(noFocusColor_, noFocusFontColor_);
}

void TEditNext::paintEvent(QPaintEvent* event) {
    if (focusColorChange_ && Color() != (hasFocus() ? focusColor_ : noFocusColor_))
        ApplyFocusStateColors();
    TCp932Edit::paintEvent(event);
}

// The press that gave the box the focus selects all; the line edit never sees it, so it neither
// moves the caret nor starts a drag selection.
void TEditNext::mousePressEvent(QMouseEvent* event) {
    const bool selectsAll = event->button() == Qt::LeftButton && autoSelect_ && focusedByMouse_;
    focusedByMouse_ = false;
    if (!selectsAll) {
        TCp932Edit::mousePressEvent(event);
        return;
    }
    swallowingClick_ = true;
    selectAll();
    event->accept();
}

void TEditNext::mouseMoveEvent(QMouseEvent* event) {
    if (swallowingClick_)
        event->accept();
    else
        TCp932Edit::mouseMoveEvent(event);
}

void TEditNext::mouseReleaseEvent(QMouseEvent* event) {
    if (swallowingClick_ && event->button() == Qt::LeftButton) {
        swallowingClick_ = false;
        event->accept();
        return;
    }
    TCp932Edit::mouseReleaseEvent(event);
}

TPaintEdit::TPaintEdit(QWidget* parent) : TEditNext(parent) {
    setStyle(WideCaretStyle());
}
