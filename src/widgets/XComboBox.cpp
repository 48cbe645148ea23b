// The combo edit itself: styles and properties, the button, drop-down and close-up, the mouse,
// focus and painting.

#include "widgets/XComboBox.h"

#include "widgets/Cp932Text.h"
#include "widgets/L_Theme.h"

#include <QApplication>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <qdrawutil.h>

#include <algorithm>

namespace {

// True when `widget` is `root` or lies inside it, across window boundaries.
bool IsWithin(const QWidget* widget, const QWidget* root) {
    for (; widget && root; widget = widget->parentWidget())
        if (widget == root) return true;
    return false;
}

void DrawClassicFace(QPainter& painter, const QRect& rect, const QPalette& palette, bool pressed) {
    if (pressed) {
        qDrawPlainRect(&painter, rect, palette.color(QPalette::Dark), 1, &palette.button());
        return;
    }
    qDrawWinButton(&painter, rect, palette, false, &palette.button());
}

void DrawClassicArrow(QPainter& painter, const QWidget* widget, QStyle::PrimitiveElement arrow,
                      QRect rect, bool enabled, bool pressed) {
    QStyleOption option;
    option.initFrom(widget);
    option.rect = pressed ? rect.translated(1, 1) : rect;
    option.state = enabled ? QStyle::State_Enabled : QStyle::State_None;
    if (!enabled) option.palette.setCurrentColorGroup(QPalette::Disabled);
    widget->style()->drawPrimitive(arrow, &option, &painter, widget);
}

// The top-left corner of a popup `popupHeight` high for a box `boxHeight` high whose client
// origin is `origin` on the screen: below the box, or above it when below it would reach past the
// bottom of `screen`.
QPoint PopupPosition(QPoint origin, int boxHeight, int popupHeight, const QRect& screen) {
    int top = origin.y() + boxHeight;
    if (top + popupHeight > screen.y() + screen.height()) top = origin.y() - popupHeight;
    return {origin.x(), top};
}

} // namespace

// ---------------------------------------------------------------------------------------------

TXComboEdit::TXComboEdit(QWidget* parent) : TCp932Edit(parent) {
    buttonWidth_ = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setMouseTracking(true);
    RepeatTimer();
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (IsRightAligned()) end(false);
    });
}

TXComboEdit::~TXComboEdit() {
    // A box going away raises no close-up of its own.
    droppedDown_ = false;
    TXMonthCalendarExt::FreeShared();
    if (QTimer* timer = ExistingRepeatTimer()) {
        timer->stop();
        timer->disconnect();
    }
}

void TXComboEdit::SetEditStyle(TEditStyle style) {
    if (style == editStyle_) return;
    CloseUp(false);
    editStyle_ = style;
    if (IsListStyle()) EnsureListPopup();
    if (style == esDropList) {
        setReadOnly(true);
        SetItemIndex(itemIndex_);
    }
    if (style == esSpin) SetValue(Value());
    UpdateEditRect(hasFocus());
    update();
}

void TXComboEdit::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    if (editStyle_ == esDropList) SetItemIndex(itemIndex_);
}

void TXComboEdit::SetItemIndex(int index) {
    itemIndex_ = index;
    if (editStyle_ != esDropList) return;
    itemIndex_ = std::min(itemIndex_, static_cast<int>(items_.size()) - 1);
    SyncDropListText();
    update();
}

void TXComboEdit::SyncDropListText() {
    const bool chosen = itemIndex_ >= 0 && itemIndex_ < static_cast<int>(items_.size());
    const std::string wanted = chosen ? items_[static_cast<size_t>(itemIndex_)] : std::string();
    if (TextCp932() != wanted) SetTextCp932(wanted);
}

void TXComboEdit::SetAlignment(Qt::Alignment horizontal) {
    setAlignment((horizontal & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

void TXComboEdit::SetNoFocusButton(bool on) {
    noFocusButton_ = on;
    UpdateEditRect(hasFocus());
    update();
}

void TXComboEdit::SetMinValue(TCurrency value) {
    minValue_ = value;
    if (editStyle_ == esSpin) SetValue(Value());
}

void TXComboEdit::SetMaxValue(TCurrency value) {
    maxValue_ = value;
    if (editStyle_ == esSpin) SetValue(Value());
}

void TXComboEdit::SetNumKey(bool on) {
    numKey_ = on;
    if (listPopup_) ApplyListRowStyle();
}

TCurrency TXComboEdit::Value() const {
    return StrToCurr(TextCp932()).value_or(TCurrency());
}

void TXComboEdit::SetValue(TCurrency value) {
    if (!minValue_.IsZero() && value < minValue_) value = minValue_;
    if (!maxValue_.IsZero() && value > maxValue_) value = maxValue_;
    if (!minusMode_ && value < TCurrency()) value = TCurrency();
    if (MaxLength() > 0 && static_cast<int>(CurrToStrSafe(value).size()) > MaxLength()) return;
    SetTextCp932(CurrToStrNZ(value));
}

bool TXComboEdit::Usable() const {
    return isEnabled() && isVisible() && (!isReadOnly() || editStyle_ == esDropList);
}

QRect TXComboEdit::ButtonRect() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect inner = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return {inner.right() + 1 - buttonWidth_, inner.top(), buttonWidth_, inner.height()};
}

QRect TXComboEdit::UpperSpinRect() const {
    QRect upper = ButtonRect();
    upper.setHeight(upper.height() / 2);
    return upper;
}

QRect TXComboEdit::LowerSpinRect() const {
    QRect lower = ButtonRect();
    lower.setTop(UpperSpinRect().bottom() + 1);
    return lower;
}

bool TXComboEdit::ButtonShown() const {
    return editStyle_ != esSimple && (hasFocus() || noFocusButton_ || buttonEventRunning_);
}

void TXComboEdit::Clear() {
    clear();
    items_.clear();
    itemIndex_ = -1;
    update();
}

void TXComboEdit::PasteFromClipboard(QClipboard::Mode mode) {
    if (Usable()) TCp932Edit::PasteFromClipboard(mode);
}

TXComboEdit::TPopupKind TXComboEdit::PopupKind() const {
    if (IsListStyle() && listPopup_) return TPopupKind::List;
    if (IsCalendarStyle()) return TPopupKind::Calendar;
    return TPopupKind::None;
}

bool TXComboEdit::HasDropDownKeys() const {
    return editStyle_ != esSimple && editStyle_ != esSpin;
}

TXPopupListNum* TXComboEdit::EnsureListPopup() {
    if (listPopup_) return listPopup_;
    listPopup_ = new TXPopupListNum(this);
    connect(listPopup_, &TXPopupListNum::CloseUpRequested, this, &TXComboEdit::CloseUp);
    ApplyListRowStyle();
    return listPopup_;
}

void TXComboEdit::ApplyListRowStyle() {
    listPopup_->SetOwnerDraw(numKey_);
    listPopup_->SetRowHeight(numKey_ ? FontPixelHeight(font()) + 2 : 0);
}

void TXComboEdit::ApplyDropListReadOnly() {
    if (editStyle_ == esDropList && !isReadOnly()) setReadOnly(true);
}

void TXComboEdit::UpdateEditRect(bool focused) {
    const bool withButton = editStyle_ != esSimple && (focused || noFocusButton_);
    setTextMargins(0, 0, withButton ? buttonWidth_ + 2 : 0, 0);
}

// A right-aligned box shows the end of its text, where numbers end.
void TXComboEdit::ApplyRightAlignmentRule() {
    if (IsRightAligned()) SelectAllOrCaretToEnd();
}

void TXComboEdit::SelectAllOrCaretToEnd() {
    if (autoSelect_)
        selectAll();
    else
        end(false);
}

bool TXComboEdit::EditButtonAssigned() const {
    return isSignalConnected(QMetaMethod::fromSignal(&TXComboEdit::OnEditButtonClick));
}

void TXComboEdit::EditButtonClick() {
    buttonEventRunning_ = true;
    update();
    emit OnEditButtonClick();
    buttonEventRunning_ = false;
    update();
}

// ---------------------------------------------------------------------------------------------
// Drop-down and close-up

void TXComboEdit::DropDown() {
    emit OnDropDown();
    // The shared calendar may have been freed while it was open here.
    if (droppedDown_ && !popup_) CloseUp(false);
    const TPopupKind kind = PopupKind();
    if (droppedDown_ || kind == TPopupKind::None || !Usable()) return;
    if (kind == TPopupKind::List && items_.empty()) return;
    SelectAllOrCaretToEnd();
    if (kind == TPopupKind::List) {
        popup_ = listPopup_;
        FillListPopup();
        SizeListPopup();
    } else {
        TXMonthCalendarExt* calendar = TXMonthCalendarExt::ForComboEdit(this);
        popup_ = calendar;
        calendar->setFont(font());
        OpenCalendarOnText(calendar);
        calendar->adjustSize();
    }
    PlacePopup();
    popup_->show();
    if (kind == TPopupKind::List && listPopup_->currentItem())
        listPopup_->scrollToItem(listPopup_->currentItem());

    droppedDown_ = true;
    savedInputMethod_ = testAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    qApp->installEventFilter(this);
    update();
    setFocus();
}

void TXComboEdit::FillListPopup() {
    TXPopupListNum* list = listPopup_;
    list->LabelColor = QColor(255, 251, 240);
    QPalette colours = list->palette();
    colours.setColor(QPalette::Base, QColor(242, 242, 242));
    colours.setColor(QPalette::Text, Qt::black);
    list->setPalette(colours);
    list->setFont(font());
    list->clear();
    for (const std::string& entry : items_)
        list->addItem(FromCp932(entry));
    list->SetRowHeight(FontPixelHeight(font()) + 2);
    // Several columns: the rows run down the first column and on into the next.
    list->setWrapping(columns_ > 1);
    list->setHorizontalScrollBarPolicy(columns_ > 1 ? Qt::ScrollBarAsNeeded
                                                    : Qt::ScrollBarAlwaysOff);
}

void TXComboEdit::SizeListPopup() {
    TXPopupListNum* list = listPopup_;
    const int count = static_cast<int>(items_.size());
    const int rows = std::clamp(dropDownRows_, 1, count);
    const QFontMetrics metrics(font());
    const int labelRoom = numKey_ ? 12 : 4;
    const std::string shown = TextCp932();
    int wanted = 0;
    int chosen = -1;
    for (int row = 0; row < count; ++row) {
        const std::string& entry = items_[static_cast<size_t>(row)];
        wanted = std::max(wanted, metrics.horizontalAdvance(u'W' + FromCp932(entry)) + labelRoom);
        if (entry == shown) chosen = row;
    }
    list->setCurrentRow(chosen);
    if (chosen < 0) list->clearSelection();

    const int frame = list->frameWidth();
    const int scrollBar = count > rows && columns_ <= 1
                              ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list)
                              : 0;
    list->setGridSize(columns_ > 1 ? QSize(wanted, list->RowHeight()) : QSize());
    if (columns_ > 1) wanted *= columns_;
    const int clientWidth = std::max(width() - 2 * frame - scrollBar + 1, wanted);
    list->resize(clientWidth + 2 * frame + scrollBar, list->RowHeight() * rows + 2 * frame);
}

void TXComboEdit::OpenCalendarOnText(TXMonthCalendarExt* calendar) {
    const std::optional<QDate> shown = ReadDateText(formatDateStr_, TextCp932());
    calendar->setSelectedDate(shown.value_or(QDate::currentDate()));
}

void TXComboEdit::PlacePopup() {
    popup_->move(
        PopupPosition(mapToGlobal(QPoint(0, 0)), height(), popup_->height(), screen()->geometry()));
}

void TXComboEdit::CloseUp(bool accept) {
    if (!droppedDown_) return;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    StopTracking();
    dragTarget_ = nullptr;
    qApp->removeEventFilter(this);
    if (popup_) popup_->hide();
    droppedDown_ = false;
    setAttribute(Qt::WA_InputMethodEnabled, savedInputMethod_);
    update();
    if (popup_ && popup_ == listPopup_)
        TakeListChoice(accept);
    else if (popup_)
        TakeCalendarDate(accept);
    emit OnCloseUp();
}

void TXComboEdit::TakeListChoice(bool accept) {
    const int row = listPopup_->currentRow();
    const bool chosen = row >= 0 && listPopup_->item(row)->isSelected();
    if (!accept || !chosen || !Usable()) return;
    if (editStyle_ == esPickList)
        SetTextCp932(ToCp932(listPopup_->item(row)->text()));
    else if (editStyle_ == esDropList)
        SetItemIndex(row);
    setModified(true);
    ApplyRightAlignmentRule();
}

void TXComboEdit::TakeCalendarDate(bool accept) {
    if (!accept || !Usable()) return;
    const auto* calendar = static_cast<const TXMonthCalendarExt*>(popup_.data());
    // Every format gives a text, so taking the date cannot fail.
    std::string chosen =
        FormatDateTimeText(formatDateStr_, QDateTime(calendar->selectedDate(), QTime(0, 0)));
    if (editStyle_ == esDateTime)
        chosen += ' ' + FormatDateTimeText(formatTimeStr_, QDateTime::currentDateTime());
    SetTextCp932(chosen);
    setModified(true);
    ApplyRightAlignmentRule();
}

// A press anywhere outside the box and its popup closes the popup.
bool TXComboEdit::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (droppedDown_ && watched->isWidgetType() &&
        (type == QEvent::MouseButtonPress || type == QEvent::NonClientAreaMouseButtonPress)) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (!IsWithin(widget, this) && !IsWithin(widget, popup_)) CloseUp(false);
    }
    return TCp932Edit::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TXComboEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || editStyle_ == esSimple) {
        TCp932Edit::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const bool onButton = ButtonRect().contains(at);
    if (droppedDown_) {
        CloseUp(false);
        if (!onButton) TCp932Edit::mousePressEvent(event);
        return;
    }
    if (!onButton) {
        TCp932Edit::mousePressEvent(event);
        return;
    }
    tracking_ = true;
    UpdatePressed(at);
    if (editStyle_ == esSpin) {
        if (Usable()) StartRepeat(upPressed_ ? 1 : -1, event->modifiers());
    } else if (PopupKind() != TPopupKind::None) {
        DropDown();
    }
    event->accept();
}

void TXComboEdit::mouseMoveEvent(QMouseEvent* event) {
    if (dragTarget_) {
        ForwardDragEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const bool overButton = editStyle_ != esSimple && ButtonRect().contains(at);
    setCursor(overButton || isReadOnly() ? Qt::ArrowCursor : Qt::IBeamCursor);
    if (!tracking_) {
        TCp932Edit::mouseMoveEvent(event);
        return;
    }
    UpdatePressed(at);
    const QPoint global = event->globalPosition().toPoint();
    if (droppedDown_ && PopupClientContains(global)) {
        StopTracking();
        ForwardDragStart(global);
    } else if (editStyle_ == esSpin && !ButtonRect().contains(at)) {
        StopTracking();
    }
    event->accept();
}

void TXComboEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (dragTarget_) {
        ForwardDragEvent(event);
        dragTarget_ = nullptr;
        return;
    }
    if (event->button() != Qt::LeftButton || !tracking_) {
        TCp932Edit::mouseReleaseEvent(event);
        return;
    }
    const bool wasPressed = buttonPressed_;
    StopTracking();
    if (editStyle_ == esEllipsis && wasPressed && EditButtonAssigned() && Usable())
        EditButtonClick();
    event->accept();
}

void TXComboEdit::UpdatePressed(QPoint at) {
    const bool inButton = ButtonRect().contains(at);
    const bool up = editStyle_ == esSpin && UpperSpinRect().contains(at);
    const bool down = editStyle_ == esSpin && LowerSpinRect().contains(at);
    if (inButton == buttonPressed_ && up == upPressed_ && down == downPressed_) return;
    buttonPressed_ = inButton;
    upPressed_ = up;
    downPressed_ = down;
    update(ButtonRect());
}

void TXComboEdit::StopTracking() {
    tracking_ = false;
    if (buttonPressed_ || upPressed_ || downPressed_) {
        buttonPressed_ = upPressed_ = downPressed_ = false;
        update(ButtonRect());
    }
    if (QTimer* timer = ExistingRepeatTimer(); timer && timer->isActive()) timer->stop();
}

bool TXComboEdit::PopupClientContains(QPoint global) const {
    if (!popup_) return false;
    const QWidget* client = popup_ == listPopup_ ? listPopup_->viewport() : popup_.data();
    return client->rect().contains(client->mapFromGlobal(global));
}

// A drag from the button into the open popup goes on there: the popup gets a press at the
// pointer, and the moves and the release that follow.
void TXComboEdit::ForwardDragStart(QPoint global) {
    QWidget* target = popup_->childAt(popup_->mapFromGlobal(global));
    dragTarget_ = target ? target : popup_.data();
    QMouseEvent press(QEvent::MouseButtonPress, dragTarget_->mapFromGlobal(QPointF(global)),
                      QPointF(global), Qt::LeftButton, Qt::LeftButton,
                      QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(dragTarget_, &press);
}

void TXComboEdit::ForwardDragEvent(QMouseEvent* event) {
    const QPointF global = event->globalPosition();
    QMouseEvent forwarded(event->type(), dragTarget_->mapFromGlobal(global), global,
                          event->button(), event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(dragTarget_, &forwarded);
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Focus

void TXComboEdit::focusInEvent(QFocusEvent* event) {
    // Qt selects the whole text on keyboard focus; without AutoSelect the caret stays put.
    const Qt::FocusReason reason = event->reason();
    if (autoSelect_) {
        TCp932Edit::focusInEvent(event);
    } else {
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
        TCp932Edit::focusInEvent(&plain);
    }
    ApplyDropListReadOnly();
    UpdateEditRect(true);
    ApplyRightAlignmentRule();
    const bool entered = reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason &&
                         reason != Qt::PopupFocusReason;
    if (entered && autoSelect_ && !IsRightAligned()) selectAll();
    update();
}

// A popup never stays open for a box that is no longer shown.
void TXComboEdit::hideEvent(QHideEvent* event) {
    CloseUp(false);
    StopTracking();
    TCp932Edit::hideEvent(event);
}

void TXComboEdit::changeEvent(QEvent* event) {
    TCp932Edit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) StopTracking();
}

void TXComboEdit::focusOutEvent(QFocusEvent* event) {
    TCp932Edit::focusOutEvent(event);
    // A held spin button stops with the focus (also to a menu or a modal box).
    StopTracking();
    // A menu that opens (the box's own, or the calendar's month menu) does not end the edit.
    if (event->reason() == Qt::PopupFocusReason) return;
    CloseUp(false);
    if (editStyle_ == esSpin) SetValue(Value());
    UpdateEditRect(false);
    update();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TXComboEdit::paintEvent(QPaintEvent* event) {
    if (firstPaint_) {
        firstPaint_ = false;
        ApplyDropListReadOnly();
    }
    TCp932Edit::paintEvent(event);
    if (!ButtonShown()) return;
    QPainter painter(this);
    PaintButton(painter);
}

void TXComboEdit::PaintButton(QPainter& painter) {
    const bool themed = VisualStylesInUse();
    switch (editStyle_) {
    case esSpin:
        PaintSpinButtons(painter, themed);
        break;
    case esEllipsis:
        if (Usable()) PaintEllipsisButton(painter, themed);
        break;
    case esPickList:
    case esDropList:
        if (listPopup_) PaintDropDownButton(painter, themed);
        break;
    case esDate:
    case esDateTime:
        PaintDropDownButton(painter, themed);
        break;
    case esSimple:
        break;
    }
}

void TXComboEdit::PaintSpinButtons(QPainter& painter, bool themed) {
    const QRect halves[] = {UpperSpinRect(), LowerSpinRect()};
    const bool pressed[] = {upPressed_, downPressed_};
    for (int half = 0; half < 2; ++half) {
        if (themed) {
            const TThemeState state = !isEnabled()    ? TThemeState::Disabled
                                      : pressed[half] ? TThemeState::Pressed
                                                      : TThemeState::Normal;
            DrawThemeBackground(painter, this,
                                half == 0 ? TThemePart::SpinUp : TThemePart::SpinDown, state,
                                halves[half]);
            continue;
        }
        DrawClassicFace(painter, halves[half], palette(), pressed[half]);
        DrawClassicArrow(painter, this,
                         half == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                         halves[half], isEnabled(), pressed[half]);
    }
}

void TXComboEdit::PaintEllipsisButton(QPainter& painter, bool themed) {
    QRect face = ButtonRect();
    int shift = 0;
    if (themed) {
        DrawThemeBackground(painter, this, TThemePart::PushButton,
                            buttonPressed_ ? TThemeState::Pressed : TThemeState::Normal, face);
        face.setLeft(face.left() + 1);
    } else {
        DrawClassicFace(painter, face, palette(), buttonPressed_);
        shift = buttonPressed_ ? 1 : 0;
    }
    const int side = buttonWidth_ > 7 ? buttonWidth_ / 8 : 1;
    const int x = face.left() + face.width() / 2 + shift - 1;
    const int y = face.top() + face.height() / 2 + shift - 1;
    for (const int dotX : {x - 2 * side, x, x + 2 * side})
        painter.fillRect(dotX, y, side, side, palette().color(QPalette::ButtonText));
}

void TXComboEdit::PaintDropDownButton(QPainter& painter, bool themed) {
    const bool active = (IsCalendarStyle() || !items_.empty()) && Usable();
    const QRect face = ButtonRect();
    if (themed) {
        const TThemeState state = !active          ? TThemeState::Disabled
                                  : buttonPressed_ ? TThemeState::Pressed
                                                   : TThemeState::Normal;
        DrawThemeBackground(painter, this, TThemePart::ComboDropDown, state, face);
        return;
    }
    const bool pressed = active && buttonPressed_;
    DrawClassicFace(painter, face, palette(), pressed);
    DrawClassicArrow(painter, this, QStyle::PE_IndicatorArrowDown, face, active, pressed);
}
