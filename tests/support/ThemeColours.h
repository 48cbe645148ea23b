#pragma once

// Colours as the tests look at them: a dark palette as a dark desktop theme gives Qt programs
// (light text on dark window, base and button colours), for the tests and pictures that check the
// window in one; and the contrast of text on its background as WCAG 2 measures it, measured here
// on its own rather than by the program's code.

#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace testsupport {

// 1 for the same colour, 21 for black on white; text needs 4.5.
inline double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& colour) {
        const auto linear = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
               0.0722 * linear(colour.blueF());
    };
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

inline QPalette DarkPalette() {
    const QColor window(0x35, 0x35, 0x35);
    const QColor base(0x2A, 0x2A, 0x2A);
    const QColor text(0xEE, 0xEE, 0xEE);
    QPalette dark(window);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText,
          QPalette::BrightText})
        dark.setColor(role, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ToolTipBase, QColor(0x42, 0x42, 0x42));
    dark.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x6C, 0xB4, 0xF0));
    dark.setColor(QPalette::PlaceholderText, QColor(0x99, 0x99, 0x99));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return dark;
}

} // namespace testsupport
