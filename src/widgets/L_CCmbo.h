#pragma once

// L_CCmbo: focus-colour edit boxes (TEditNext, TPaintEdit).
//
// Edit boxes that change colour with the focus and move the focus with Enter and the arrow keys.

#include "widgets/Cp932Edit.h"

#include <QColor>
#include <QFlags>

// The keys that move the focus out of a TEditNext: Enter to the next control, Up to the previous,
// Down to the next, Left (with the caret at the start) to the previous.
enum TEnterStyle { esEnter = 0x1, esUp = 0x2, esDown = 0x4, esLeft = 0x8 };
Q_DECLARE_FLAGS(TEnterStyles, TEnterStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TEnterStyles)

// A TCp932Edit with:
//  - background and text colours for the focused and the unfocused box, applied only while
//    FocusColorChange() is on (otherwise the box keeps the colours it was given);
//  - Escape as undo;
//  - the keys of EnterNext() moving the focus through the window's tab order (no modifier held);
//    with EnterNext() empty the arrows keep their usual meaning. Enter never inserts anything;
//  - Escape and Enter end in the box: they never cancel a dialog or press its default button;
//  - with AutoSelect() on, the click that gives the box the focus selects all of its text instead
//    of placing the caret (event filters still see that press); the next click places the caret.
class TEditNext : public TCp932Edit {
    Q_OBJECT

public:
    explicit TEditNext(QWidget* parent = nullptr);

    TEnterStyles EnterNext() const { return enterNext_; }
    void SetEnterNext(TEnterStyles keys) { enterNext_ = keys; }

    QColor NoFocusColor() const { return noFocusColor_; }
    void SetNoFocusColor(const QColor& color);
    QColor FocusColor() const { return focusColor_; }
    void SetFocusColor(const QColor& color);
    QColor NoFocusFontColor() const { return noFocusFontColor_; }
    void SetNoFocusFontColor(const QColor& color);
    QColor FocusFontColor() const { return focusFontColor_; }
    void SetFocusFontColor(const QColor& color);
    bool FocusColorChange() const { return focusColorChange_; }
    void SetFocusColorChange(bool on);

    // The colours the box shows now.
    QColor Color() const;
    void SetColor(const QColor& color);
    QColor FontColor() const;
    void SetFontColor(const QColor& color);

    // On: a focus by keyboard or by a click selects all text. Default on.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool HandleMoveKey(const QKeyEvent& event);
    void MoveFocus(bool forward);
    QWidget* NeighbourInTabOrder(bool forward) const;
    void ApplyColors(const QColor& background, const QColor& text);
    void ApplyFocusStateColors();

    TEnterStyles enterNext_;
    QColor noFocusColor_;
    QColor focusColor_;
    QColor noFocusFontColor_;
    QColor focusFontColor_;
    bool focusColorChange_ = false;
    bool autoSelect_ = true;
    bool focusedByMouse_ = false;
    bool swallowingClick_ = false;
};

// A TEditNext with a caret two pixels wide, easier to see in the main window's fields.
class TPaintEdit : public TEditNext {
    Q_OBJECT

public:
    explicit TPaintEdit(QWidget* parent = nullptr);
};
