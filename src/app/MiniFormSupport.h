#pragma once

// The look shared by the files that build and run TMiniForm: the fields' colours, the window's
// fonts in pixels and the text colour of a control. Private to the TMiniForm unit; the helpers
// have no state and cannot fail.

#include "widgets/L_Theme.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

inline const QColor FieldYellow(0xFF, 0xFF, 0xF4);

inline QFont PixelFont(int pixels, bool bold = false) {
    QFont font = QApplication::font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The text of `widget` in `color`, or in as much lighter or darker a shade of it as its
// background needs to stay legible (L_Theme's LegibleOn): red labels stay readable on a dark page.
inline void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, LegibleOn(color, palette.color(QPalette::Window)));
    widget->setPalette(palette);
}

// The text fields' fixed colours: black text on field yellow, whatever the desktop's theme.
inline void SetFieldColors(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, FieldYellow);
    palette.setColor(QPalette::Text, Qt::black);
    widget->setPalette(palette);
}
