#include "widgets/L_EdtPos.h"

#include "widgets/L_Theme.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>

#include <algorithm>

QPointer<TAlignSpeedButton> TAlignSpeedButton::hovered_;

TAlignSpeedButton::TAlignSpeedButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    HoverTimer();
}

TAlignSpeedButton::~TAlignSpeedButton() {
    HoverTimer()->stop();
    if (hovered_ == this) hovered_ = nullptr;
}

QTimer* TAlignSpeedButton::HoverTimer() {
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setInterval(HoverCheckInterval);
        QObject::connect(timer, &QTimer::timeout, &TAlignSpeedButton::CheckHover);
    }
    return timer;
}

void TAlignSpeedButton::enterEvent(QEnterEvent* event) {
    QToolButton::enterEvent(event);
    if (hovered_ && hovered_ != this) {
        MakeLeave(hovered_);
        hovered_ = nullptr;
    }
    if (underMouse()) {
        hovered_ = this;
        HoverTimer()->start();
    }
}

void TAlignSpeedButton::leaveEvent(QEvent* event) {
    QToolButton::leaveEvent(event);
    if (!underMouse() && hovered_ == this) {
        hovered_ = nullptr;
        HoverTimer()->stop();
    }
}

void TAlignSpeedButton::CheckHover() {
    if (hovered_ && QApplication::widgetAt(QCursor::pos()) != hovered_) MakeLeave(hovered_);
}

// The hover look follows the widget's under-mouse state, which only the toolkit's own leave
// clears; a leave the desktop never reported is made up here.
void TAlignSpeedButton::MakeLeave(TAlignSpeedButton* button) {
    button->setAttribute(Qt::WA_UnderMouse, false);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    button->update();
}

namespace {

// One bevel or border ring inside `rect`, which shrinks by its width.
void Frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
             int width) {
    for (int ring = 0; ring < width; ++ring) {
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
        rect.adjust(1, 1, -1, -1);
    }
}

void Bevel(QPainter& painter, QRect& rect, TBevelCut bevel, const QPalette& palette) {
    if (bevel == bvNone) return;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    if (bevel == bvRaised)
        Frame3D(painter, rect, light, dark, 1);
    else
        Frame3D(painter, rect, dark, light, 1);
}

} // namespace

TNoPaintPanel::TNoPaintPanel(QWidget* parent) : QFrame(parent) {}

void TNoPaintPanel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TNoPaintPanel::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TNoPaintPanel::SetBevelOuter(TBevelCut bevel) {
    bevelOuter_ = bevel;
    update();
}

void TNoPaintPanel::SetBevelInner(TBevelCut bevel) {
    bevelInner_ = bevel;
    update();
}

void TNoPaintPanel::SetBorderWidth(int width) {
    borderWidth_ = std::max(width, 0);
    update();
}

void TNoPaintPanel::SetColor(const QColor& color) {
    QPalette own = palette();
    own.setColor(QPalette::Window, color);
    setPalette(own);
    setAutoFillBackground(true);
}

int TNoPaintPanel::CaptionFlags() const {
    return int(alignment_) | Qt::AlignVCenter | Qt::TextSingleLine;
}

void TNoPaintPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect rect = this->rect();
    Bevel(painter, rect, bevelOuter_, palette());
    Frame3D(painter, rect, Color(), Color(), borderWidth_);
    Bevel(painter, rect, bevelInner_, palette());
    if (caption_.isEmpty()) return;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect, CaptionFlags(), caption_);
}

TThemePanelExt::TThemePanelExt(QWidget* parent) : TNoPaintPanel(parent) {}

void TThemePanelExt::paintEvent(QPaintEvent* event) {
    if (!parentWidget() || (BevelOuter() == bvNone && BevelInner() == bvNone)) {
        TNoPaintPanel::paintEvent(event);
        return;
    }
    if (VisualStylesInUse())
        PaintThemed();
    else
        RestoreOwnColour();
}

void TThemePanelExt::PaintThemed() {
    const TThemeState state = isEnabled() ? TThemeState::ReadOnly : TThemeState::Disabled;
    if (!themedColorApplied_) {
        themedColorApplied_ = true;
        savedPalette_ = testAttribute(Qt::WA_SetPalette) ? std::optional(palette()) : std::nullopt;
        savedAutoFill_ = autoFillBackground();
        SetColor(ThemedEditFillColor(this, state));
    }
    QPainter painter(this);
    QRect rect = this->rect();
    if (BevelInner() != bvNone) Frame3D(painter, rect, Color(), Color(), BorderWidth());
    DrawThemePartWithText(painter, this, TThemePart::EditText, state, Caption(), rect,
                          CaptionFlags());
}

// Without visual styles the panel shows only its background; its children paint themselves.
void TThemePanelExt::RestoreOwnColour() {
    if (!themedColorApplied_) return;
    themedColorApplied_ = false;
    setPalette(savedPalette_.value_or(QPalette()));
    setAutoFillBackground(savedAutoFill_);
}

TElidedLabel::TElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

QSize TElidedLabel::minimumSizeHint() const {
    const int margins = contentsMargins().left() + contentsMargins().right() + 2 * margin();
    return {fontMetrics().horizontalAdvance(u'…') + margins, QLabel::minimumSizeHint().height()};
}

QString TElidedLabel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width() - 2 * margin());
}

void TElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter,
                          contentsRect().adjusted(margin(), margin(), -margin(), -margin()),
                          int(alignment()), palette(), isEnabled(), ShownText(), foregroundRole());
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    setToolTip(ShownText() == text() ? QString() : text());
}
