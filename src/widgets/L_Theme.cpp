#include "widgets/L_Theme.h"

#include "text/S_string.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

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

namespace {

constexpr double LegibleContrast = 4.5;

// The relative luminance of WCAG 2: the colour's channels linearised and weighted.
double Luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double first = Luminance(a);
    const double second = Luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor LegibleOn(const QColor& colour, const QColor& background) {
    // Black on white has a contrast of 21 and white on black too: one way always reaches 4.5.
    const bool darken =
        ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background);
    const int step = darken ? -1 : 1;
    const int end = darken ? 0 : 255;
    const QColor hsl = colour.toHsl();
    QColor legible = colour;
    for (int lightness = hsl.lightness();
         ContrastRatio(legible, background) < LegibleContrast && lightness != end;) {
        lightness += step;
        legible = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness).toRgb();
    }
    return legible;
}

TTabSheetEx::TTabSheetEx(QWidget* parent) : QWidget(parent) {
    TakeFieldColours();
}

bool TTabSheetEx::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        TakeFieldColours();
        break;
    default:
        break;
    }
    return handled;
}

void TTabSheetEx::TakeFieldColours() {
    if (!parentWidget() || !VisualStylesInUse()) return;
    const QPalette desktop = parentWidget()->palette();
    if (autoFillBackground() &&
        palette().color(QPalette::Window) == desktop.color(QPalette::Base) &&
        palette().color(QPalette::WindowText) == desktop.color(QPalette::Text))
        return;
    QPalette fields = palette();
    fields.setColor(QPalette::Window, desktop.color(QPalette::Base));
    fields.setColor(QPalette::WindowText, desktop.color(QPalette::Text));
    setPalette(fields);
    setAutoFillBackground(true);
}
