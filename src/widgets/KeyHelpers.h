#pragma once

// Small helpers for reading key events the same way in every widget of this library.

#include <Qt>

// The modifiers that change a key's meaning; the keypad flag does not.
inline Qt::KeyboardModifiers HeldModifiers(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

inline bool IsEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

inline bool IsFunctionKey(int key) {
    return key >= Qt::Key_F1 && key <= Qt::Key_F12;
}

// Shift+Tab arrives as Backtab; rules that speak of Tab with Shift held read it as that.
inline void NormaliseBacktab(int& key, Qt::KeyboardModifiers& modifiers) {
    if (key != Qt::Key_Backtab) return;
    key = Qt::Key_Tab;
    modifiers |= Qt::ShiftModifier;
}
