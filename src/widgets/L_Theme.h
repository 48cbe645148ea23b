#pragma once

// L_Theme: visual styles (themes) and the controls that follow them.
//
// Visual-style support shared by the program's widgets, the Japanese user-interface font, text
// colours kept legible on any background, and the tab sheet that takes the text fields' colours
// under visual styles.
//
// On this platform every control is drawn by the application's QStyle. Visual styles count as in
// use unless the program runs with Qt's plain "Windows" style; themed parts are drawn with QStyle
// primitives, so they follow whichever style is active.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

class QPainter;

// The desktop can always draw themed controls through its QStyle.
constexpr bool SystemCanShowVisualStyles() {
    return true;
}

// Edit controls count characters; byte limits are the edit box's own (see TCp932Edit).
constexpr bool CommonControlsV6() {
    return true;
}

// True unless the application runs with Qt's plain "Windows" style. Cheap enough to ask often.
bool VisualStylesInUse();

// The length of a code page 932 text in the edit control's unit: characters, a double-byte
// character counting one.
int EditTextLength(const std::string& text);

// The parts the program draws themed, and their states numbered as the themed classes number them.
enum class TThemePart { HeaderItem, EditText, SpinUp, SpinDown, ComboDropDown, PushButton };
enum class TThemeState { Normal = 1, Hot = 2, Pressed = 3, Disabled = 4, ReadOnly = 6 };

// The background of `part` in `state` over `rect`, drawn with the widget's style.
void DrawThemeBackground(QPainter& painter, const QWidget* widget, TThemePart part,
                         TThemeState state, const QRect& rect);

// The part's background over `rect` and, when `text` is not empty, the text inside `rect`
// narrowed by 2 pixels on the left and on the right. `textFlags` are Qt::Alignment and Qt::TextFlag
// values; the text is drawn in the widget's font.
void DrawThemePartWithText(QPainter& painter, const QWidget* widget, TThemePart part,
                           TThemeState state, const QString& text, const QRect& rect,
                           int textFlags);

// As DrawThemePartWithText, but the background is drawn 6 pixels wider on the right and clipped to
// `rect`, so the part's right edge is cut off and neighbouring cells join seamlessly.
void DrawThemePartWithTextClipped(QPainter& painter, const QWidget* widget, TThemePart part,
                                  TThemeState state, const QString& text, const QRect& rect,
                                  int textFlags);

// The fill colour of a themed edit box in `state` (a read-only or disabled box has the window
// colour, any other the base colour).
QColor ThemedEditFillColor(const QWidget* widget, TThemeState state);

// The family of the program's Japanese user-interface font: IPA P Gothic, else Noto Sans CJK JP,
// else the system's sans-serif.
QString JapaneseUiFontFamily();

// The application's font in the Japanese user-interface family; the program sets it at start-up.
QFont JapaneseUiFont();

// The contrast ratio of two colours as WCAG 2 measures it: 1 for the same colour, 21 for black
// and white.
double ContrastRatio(const QColor& a, const QColor& b);

// `colour` made legible on `background`: its hue kept and its lightness moved towards black (on
// a light background) or white (on a dark one) only as far as text needs for a contrast of 4.5:1.
// A colour that has it already comes back unchanged.
QColor LegibleOn(const QColor& colour, const QColor& background);

// A tab page that takes the colours of the desktop's text fields (white with black text in a
// light theme) when it is given a parent while visual styles are in use, so that pages match the
// themed tab frame; its children's text follows. It takes them again when the desktop's colours
// change.
class TTabSheetEx : public QWidget {
    Q_OBJECT

public:
    explicit TTabSheetEx(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;

private:
    void TakeFieldColours();
};
