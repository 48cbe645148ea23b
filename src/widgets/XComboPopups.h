#pragma once

// XComboPopups: the popups a combo edit (TXComboEdit, XComboBox.h) opens, and the date texts of its
// calendar styles.
//
// The popups (TXPopupListNum, one per box, and TXMonthCalendarExt, one for all boxes) are
// frameless top-level windows that never take the keyboard focus: while one is open the box keeps
// the focus and hands the keys it does not use itself on to the popup. Neither takes a value
// itself: a release that chooses asks the box to close up, and the box reads the chosen row or
// date. Freeing the shared calendar first closes the box that has it open, without taking a date.
//
// FormatDateTimeText and ReadDateText are pure functions; ReadDateText reports an unreadable text
// as no date.

#include "widgets/L_ListNum.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDateTime>
#include <QPointer>

#include <optional>
#include <string>

class TXComboEdit;

// Date and time formats use the letters y (year), m (month), d (day), h (hour), n (minute) and
// s (second), in either case: a single letter gives the number without leading zero, a doubled
// one two digits, "yyyy" the four-digit year. Other characters, double-byte ones whole, are
// copied. Formats and texts are code page 932.
std::string FormatDateTimeText(const std::string& format, const QDateTime& moment);

// The date `text` holds at the positions where `format` has "yyyy", "mm" and "dd" (characters,
// a double-byte character counting one); nothing when a marker is missing or the pieces do not
// form a valid date.
std::optional<QDate> ReadDateText(const std::string& format, const std::string& text);

// The list a pick-list or drop-down-list box opens: a left-button release inside the rows closes
// it and takes the row, a release elsewhere closes it without.
class TXPopupListNum : public TCustomListNum {
    Q_OBJECT

public:
    explicit TXPopupListNum(TXComboEdit* combo);

signals:
    void CloseUpRequested(bool accept);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The month calendar all date boxes share. A left-button release on the days closes the box that
// last asked for it and takes the date; a release in the band at the top (month title and
// arrows) leaves it open.
class TXMonthCalendarExt : public QCalendarWidget {
    Q_OBJECT

public:
    // The shared calendar, created when first needed, re-parented to `requester`, which it closes.
    static TXMonthCalendarExt* ForComboEdit(TXComboEdit* requester);
    // The shared calendar if it exists.
    static TXMonthCalendarExt* Existing();
    static void FreeShared();

    // The grid of days; only a release on one of its days chooses a date.
    QAbstractItemView* DayView() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TXMonthCalendarExt();
    void PutYearBeforeMonth();
    void ColourWeekendAsJapaneseCalendars();

    QPointer<TXComboEdit> closeTarget_;
    bool redelivering_ = false;
};
