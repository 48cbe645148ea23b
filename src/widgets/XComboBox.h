#pragma once

// XComboBox: the combo edit (TXComboEdit); its list and calendar popups are in XComboPopups.h.
//
// TXComboEdit: a single-line edit box with an optional button at its right edge. Its edit style
// makes it a plain edit, an edit with a three-dot button, a pick list or drop-down list that opens
// a list under the box, a numeric spin box, or a date (or date-and-time) box that opens a month
// calendar.
//
// While a popup is open the box keeps the focus and hands the keys it does not use itself on to
// the popup. A press anywhere outside the box and its popup closes the popup without taking its
// value.
//
// For subclasses (the grid's in-place editor is one): every key goes through keyPressEvent in
// stages, each a virtual that returns true when it consumed the key:
//   DropDownKey  Enter/Esc while dropped down, Alt+Up/Down and F4 (styles with a button);
//   (while a popup is open, keys not consumed so far go to the popup)
//   KeyDown      Ctrl+Enter on the ellipsis, spin stepping, Delete in right-aligned boxes;
//   KeyPress     the typed character: spin filtering, Ctrl+Enter refused;
// and what none consumes goes to the edit box itself (the keys and spin stepping are in
// XComboKeys.cpp). DropDown(), CloseUp() and EditButtonClick() are virtual too; OnDropDown,
// OnCloseUp and OnEditButtonClick report to the owner.

#include "text/Currency.h"
#include "widgets/Cp932Edit.h"
#include "widgets/XComboPopups.h"

#include <QPointer>

#include <string>
#include <vector>

class QTimer;

enum TEditStyle { esSimple, esEllipsis, esPickList, esDropList, esSpin, esDate, esDateTime };

class TXComboEdit : public TCp932Edit {
    Q_OBJECT

public:
    explicit TXComboEdit(QWidget* parent = nullptr);
    ~TXComboEdit() override;

    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle style);

    // Entries of the pick list and the drop-down list, code page 932.
    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(const std::vector<std::string>& items);

    // The chosen entry of an esDropList box, -1 for none.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    int Columns() const { return columns_; }
    void SetColumns(int columns) { columns_ = columns; }
    int DropDownRows() const { return dropDownRows_; }
    void SetDropDownRows(int rows) { dropDownRows_ = rows; }

    // Left, right or centred text (the horizontal part of `alignment`).
    Qt::Alignment Alignment() const { return alignment() & Qt::AlignHorizontal_Mask; }
    void SetAlignment(Qt::Alignment horizontal);

    // Show the button also while the box does not have the focus.
    bool NoFocusButton() const { return noFocusButton_; }
    void SetNoFocusButton(bool on);

    // Select the whole text when the box is entered and after a spin step.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

    // Spin limits (0 means none), step, and whether negative values are allowed.
    TCurrency MinValue() const { return minValue_; }
    void SetMinValue(TCurrency value);
    TCurrency MaxValue() const { return maxValue_; }
    void SetMaxValue(TCurrency value);
    TCurrency Increment() const { return increment_; }
    void SetIncrement(TCurrency step) { increment_ = step; }
    bool MinusMode() const { return minusMode_; }
    void SetMinusMode(bool on) { minusMode_ = on; }
    // The Up and Down keys step a spin value (Up lowers it, Down raises it).
    bool UpDownSpin() const { return upDownSpin_; }
    void SetUpDownSpin(bool on) { upDownSpin_ = on; }

    // List rows show shortcut labels.
    bool NumKey() const { return numKey_; }
    void SetNumKey(bool on);
    // F4 does not open or close the popup.
    bool NoFuncKeyDropDown() const { return noFuncKeyDropDown_; }
    void SetNoFuncKeyDropDown(bool on) { noFuncKeyDropDown_ = on; }

    // Formats of the calendar styles (see FormatDateTimeText), code page 932.
    const std::string& FormatDateStr() const { return formatDateStr_; }
    void SetFormatDateStr(const std::string& format) { formatDateStr_ = format; }
    const std::string& FormatTimeStr() const { return formatTimeStr_; }
    void SetFormatTimeStr(const std::string& format) { formatTimeStr_ = format; }

    // The text as a number (0 when empty or unreadable), and the text set from a number within the
    // limits: empty for 0, unchanged when the number would not fit into MaxLength().
    TCurrency Value() const;
    void SetValue(TCurrency value);

    // Opens the popup of the style (OnDropDown is raised in any case) and closes it, with `accept`
    // taking the chosen entry or date into the text (OnCloseUp is raised when it was open).
    virtual void DropDown();
    virtual void CloseUp(bool accept);
    bool DroppedDown() const { return droppedDown_; }

    // The box's list (pick-list and drop-down-list styles, once made) and the open popup.
    TXPopupListNum* ListPopup() const { return listPopup_; }
    QWidget* OpenPopup() const { return droppedDown_ ? popup_.data() : nullptr; }

    // Enabled, visible, and editable or a drop-down list.
    bool Usable() const;

    // The button at the right edge, as wide as the style's vertical scroll bar.
    int ButtonWidth() const { return buttonWidth_; }
    QRect ButtonRect() const;
    bool ButtonShown() const;

    // Empties the text and Items and chooses no entry.
    void Clear();

    // The timer all boxes share for the spin buttons' auto-repeat.
    static QTimer* RepeatTimer();

    void PasteFromClipboard(QClipboard::Mode mode = QClipboard::Clipboard) override;

signals:
    void OnEditButtonClick();
    void OnDropDown();
    void OnCloseUp();

protected:
    virtual bool DropDownKey(QKeyEvent* event);
    virtual bool KeyDown(QKeyEvent* event);
    virtual bool KeyPress(QKeyEvent* event);
    // Raises OnEditButtonClick; the button stays visible while the event runs.
    virtual void EditButtonClick();
    bool EditButtonAssigned() const;
    // Keeps the text clear of the button when it is shown (`focused`, or NoFocusButton).
    virtual void UpdateEditRect(bool focused);
    // An esDropList box is read-only.
    virtual void ApplyDropListReadOnly();

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class TPopupKind { None, List, Calendar };

    TPopupKind PopupKind() const;
    bool HasDropDownKeys() const;
    bool IsCalendarStyle() const { return editStyle_ == esDate || editStyle_ == esDateTime; }
    bool IsListStyle() const { return editStyle_ == esPickList || editStyle_ == esDropList; }
    bool IsRightAligned() const { return Alignment() & Qt::AlignRight; }
    QRect UpperSpinRect() const;
    QRect LowerSpinRect() const;

    TXPopupListNum* EnsureListPopup();
    void ApplyListRowStyle();
    void SyncDropListText();
    void ApplyRightAlignmentRule();
    void SelectAllOrCaretToEnd();

    void ToggleDropDown();
    void ForwardKeyToPopup(QKeyEvent* event);
    bool SpinCharacter(QChar typed);
    bool StepKey(QKeyEvent* event);
    void Step(int direction, Qt::KeyboardModifiers modifiers);
    // The shared repeat timer if it exists; boxes going away or letting go of a button stop it.
    static QTimer* ExistingRepeatTimer();
    void StartRepeat(int direction, Qt::KeyboardModifiers modifiers);
    void RepeatTick();

    void FillListPopup();
    void SizeListPopup();
    void OpenCalendarOnText(TXMonthCalendarExt* calendar);
    void PlacePopup();
    void TakeListChoice(bool accept);
    void TakeCalendarDate(bool accept);

    void UpdatePressed(QPoint at);
    void StopTracking();
    bool PopupClientContains(QPoint global) const;
    void ForwardDragStart(QPoint global);
    void ForwardDragEvent(QMouseEvent* event);

    void PaintButton(QPainter& painter);
    void PaintSpinButtons(QPainter& painter, bool themed);
    void PaintEllipsisButton(QPainter& painter, bool themed);
    void PaintDropDownButton(QPainter& painter, bool themed);

    TEditStyle editStyle_ = esSimple;
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int columns_ = 0;
    int dropDownRows_ = 8;
    bool noFocusButton_ = false;
    bool autoSelect_ = true;
    TCurrency minValue_;
    TCurrency maxValue_;
    TCurrency increment_{1};
    bool minusMode_ = true;
    bool upDownSpin_ = false;
    bool numKey_ = false;
    bool noFuncKeyDropDown_ = false;
    std::string formatDateStr_ = "yyyy-mm-dd";
    std::string formatTimeStr_ = "hh:nn:ss";

    int buttonWidth_ = 0;
    TXPopupListNum* listPopup_ = nullptr;
    QPointer<QWidget> popup_;
    bool droppedDown_ = false;
    bool savedInputMethod_ = true;

    bool tracking_ = false;
    bool buttonPressed_ = false;
    bool upPressed_ = false;
    bool downPressed_ = false;
    bool buttonEventRunning_ = false;
    bool firstPaint_ = true;
    QPointer<QWidget> dragTarget_;
};
