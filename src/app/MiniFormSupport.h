#pragma once

// The look shared by the files that build and run TMiniForm: the fields' background, the window's
// fonts in pixels and the text colour of a control. Private to the TMiniForm unit; the helpers
// have no state and cannot fail.

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

inline void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}
