#include "widgets/L_Theme.h"

#include "text/S_string.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

constexpr int TextInset = 2;
constexpr int ClippedOverhang = 6;

QStyle* StyleOf(const QWidget* widget) {
    return widget ? widget->style() : QApplication::style();
}

// Sets the option's geometry and the style states that stand for a themed state.
void InitOption(QStyleOption& option, const QWidget* widget, TThemeState state, const QRect& rect) {
    if (widget) option.initFrom(widget);
    option.rect = rect;
    option.state &= ~(QStyle::State_Enabled | QStyle::State_MouseOver | QStyle::State_Sunken |
                      QStyle::State_Raised | QStyle::State_HasFocus);
    if (state != TThemeState::Disabled) option.state |= QStyle::State_Enabled;
    if (state == TThemeState::Hot) option.state |= QStyle::State_MouseOver;
    option.state |= state == TThemeState::Pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    if (state == TThemeState::ReadOnly) option.state |= QStyle::State_ReadOnly;
}

void DrawHeaderItem(QPainter& painter, const QWidget* widget, TThemeState state,
                    const QRect& rect) {
    QStyleOptionHeader option;
    InitOption(option, widget, state, rect);
    StyleOf(widget)->drawControl(QStyle::CE_HeaderSection, &option, &painter, widget);
}

void DrawEditPanel(QPainter& painter, const QWidget* widget, TThemeState state, const QRect& rect) {
    QStyleOptionFrame option;
    InitOption(option, widget, state, rect);
    QStyle* style = StyleOf(widget);
    option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, widget);
    option.palette.setColor(QPalette::Base, ThemedEditFillColor(widget, state));
    style->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, widget);
}

// A button face with, for the spin and drop-down parts, the arrow on it.
void DrawButtonPart(QPainter& painter, const QWidget* widget, TThemePart part, TThemeState state,
                    const QRect& rect) {
    QStyleOptionButton option;
    InitOption(option, widget, state, rect);
    QStyle* style = StyleOf(widget);
    style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, widget);
    switch (part) {
    case TThemePart::SpinUp:
        style->drawPrimitive(QStyle::PE_IndicatorSpinUp, &option, &painter, widget);
        break;
    case TThemePart::SpinDown:
        style->drawPrimitive(QStyle::PE_IndicatorSpinDown, &option, &painter, widget);
        break;
    case TThemePart::ComboDropDown:
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, widget);
        break;
    default:
        break;
    }
}

QPalette::ColorRole TextRole(TThemePart part) {
    return part == TThemePart::EditText ? QPalette::Text : QPalette::ButtonText;
}

void DrawPartText(QPainter& painter, const QWidget* widget, TThemePart part, TThemeState state,
                  const QString& text, const QRect& rect, int textFlags) {
    if (text.isEmpty()) return;
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    painter.save();
    if (widget) painter.setFont(widget->font());
    StyleOf(widget)->drawItemText(&painter, rect.adjusted(TextInset, 0, -TextInset, 0), textFlags,
                                  palette, state != TThemeState::Disabled, text, TextRole(part));
    painter.restore();
}

} // namespace

bool VisualStylesInUse() {
    const QStyle* style = QApplication::style();
    return style && style->name().compare(QStringLiteral("windows"), Qt::CaseInsensitive) != 0;
}

int EditTextLength(const std::string& text) {
    return LengthC(text);
}

void DrawThemeBackground(QPainter& painter, const QWidget* widget, TThemePart part,
                         TThemeState state, const QRect& rect) {
    switch (part) {
    case TThemePart::HeaderItem:
        DrawHeaderItem(painter, widget, state, rect);
        break;
    case TThemePart::EditText:
        DrawEditPanel(painter, widget, state, rect);
        break;
    default:
        DrawButtonPart(painter, widget, part, state, rect);
        break;
    }
}

void DrawThemePartWithText(QPainter& painter, const QWidget* widget, TThemePart part,
                           TThemeState state, const QString& text, const QRect& rect,
                           int textFlags) {
    DrawThemeBackground(painter, widget, part, state, rect);
    DrawPartText(painter, widget, part, state, text, rect, textFlags);
}

void DrawThemePartWithTextClipped(QPainter& painter, const QWidget* widget, TThemePart part,
                                  TThemeState state, const QString& text, const QRect& rect,
                                  int textFlags) {
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    DrawThemeBackground(painter, widget, part, state, rect.adjusted(0, 0, ClippedOverhang, 0));
    painter.restore();
    DrawPartText(painter, widget, part, state, text, rect, textFlags);
}

QColor ThemedEditFillColor(const QWidget* widget, TThemeState state) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    switch (state) {
    case TThemeState::Disabled:
        return palette.color(QPalette::Disabled, QPalette::Window);
    case TThemeState::ReadOnly:
        return palette.color(QPalette::Active, QPalette::Window);
    default:
        return palette.color(QPalette::Active, QPalette::Base);
    }
}

QString JapaneseUiFontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& preferred :
         {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")})
        if (installed.contains(preferred, Qt::CaseInsensitive)) return preferred;
    return QStringLiteral("sans-serif");
}

QFont JapaneseUiFont() {
    QFont font = QApplication::font();
    font.setFamilies({JapaneseUiFontFamily()});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

TTabSheetEx::TTabSheetEx(QWidget* parent) : QWidget(parent) {
    WhitenUnderVisualStyles();
}

bool TTabSheetEx::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange) WhitenUnderVisualStyles();
    return handled;
}

void TTabSheetEx::WhitenUnderVisualStyles() {
    if (!parentWidget() || !VisualStylesInUse()) return;
    if (autoFillBackground() && palette().color(QPalette::Window) == Qt::white) return;
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
}
