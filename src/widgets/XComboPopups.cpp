// The combo edit's popups (the list and the shared month calendar) and the date texts the calendar
// styles read and write.

#include "widgets/XComboPopups.h"

#include "widgets/L_Theme.h"
#include "widgets/XComboBox.h"

#include "text/S_string.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTextCharFormat>
#include <QToolButton>

#include <cctype>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QPointer<TXMonthCalendarExt> sharedCalendar;

// A window of its own that shows without being activated and never takes the keyboard focus, so
// the combo edit that opened it keeps typing. A tool-tip window rather than a tool window: window
// systems that activate every newly shown tool window would take the focus from the box.
void MakePopupWindow(QWidget* popup, QWidget* owner) {
    popup->setParent(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    popup->setAttribute(Qt::WA_ShowWithoutActivating);
    popup->setFocusPolicy(Qt::NoFocus);
    for (QWidget* child : popup->findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);
}

std::string Digits(int value, int width) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

// The text of one run of a pattern letter; nothing when `letter` is no pattern letter.
std::optional<std::string> FormatField(char letter, size_t run, const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    const int width = run >= 2 ? 2 : 1;
    switch (letter) {
    case 'y':
        return run >= 3 ? Digits(date.year(), 4) : Digits(date.year() % 100, 2);
    case 'm':
        return Digits(date.month(), width);
    case 'd':
        return Digits(date.day(), width);
    case 'h':
        return Digits(time.hour(), width);
    case 'n':
        return Digits(time.minute(), width);
    case 's':
        return Digits(time.second(), width);
    default:
        return std::nullopt;
    }
}

} // namespace

std::string FormatDateTimeText(const std::string& format, const QDateTime& moment) {
    std::string text;
    size_t at = 0;
    while (at < format.size()) {
        if (IsLeadByte(static_cast<unsigned char>(format[at])) && at + 1 < format.size()) {
            text.append(format, at, 2);
            at += 2;
            continue;
        }
        const auto letter = static_cast<char>(std::tolower(static_cast<unsigned char>(format[at])));
        size_t run = 1;
        while (at + run < format.size() &&
               std::tolower(static_cast<unsigned char>(format[at + run])) == letter)
            ++run;
        if (const std::optional<std::string> field = FormatField(letter, run, moment)) {
            text += *field;
            at += run;
        } else {
            text += format[at++];
        }
    }
    return text;
}

std::optional<QDate> ReadDateText(const std::string& format, const std::string& text) {
    const std::string markers = UpperCaseAnsi(format);
    const int yearAt = PosC(markers, "YYYY");
    const int monthAt = PosC(markers, "MM");
    const int dayAt = PosC(markers, "DD");
    if (yearAt == 0 || monthAt == 0 || dayAt == 0) return std::nullopt;
    const QDate date(StrToIntLoose(CopyC(text, yearAt, 4)), StrToIntLoose(CopyC(text, monthAt, 2)),
                     StrToIntLoose(CopyC(text, dayAt, 2)));
    if (!date.isValid()) return std::nullopt;
    return date;
}

// ---------------------------------------------------------------------------------------------

TXPopupListNum::TXPopupListNum(TXComboEdit* combo) : TCustomListNum(combo) {
    MakePopupWindow(this, combo);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFlow(QListView::TopToBottom);
    // The list never has the focus: show its selection in the active colours all the same.
    QPalette colours = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
    hide();
}

void TXPopupListNum::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    TCustomListNum::mousePressEvent(event);
}

void TXPopupListNum::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    TCustomListNum::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit CloseUpRequested(viewport()->rect().contains(event->position().toPoint()));
}

// ---------------------------------------------------------------------------------------------

TXMonthCalendarExt::TXMonthCalendarExt() {
    // The program speaks Japanese whatever the desktop's language: 2009年2月, weeks from Sunday.
    setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    setFirstDayOfWeek(Qt::Sunday);
    ColourWeekendAsJapaneseCalendars();
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setContentsMargins(1, 1, 1, 1);
    PutYearBeforeMonth();
    if (QAbstractItemView* days = DayView()) days->viewport()->installEventFilter(this);
}

// Saturday blue and Sunday red, in shades legible on the calendar's days; Qt's default paints
// both red.
void TXMonthCalendarExt::ColourWeekendAsJapaneseCalendars() {
    const QColor days = palette().color(QPalette::Base);
    QTextCharFormat saturday = weekdayTextFormat(Qt::Saturday);
    saturday.setForeground(LegibleOn(Qt::blue, days));
    setWeekdayTextFormat(Qt::Saturday, saturday);
    QTextCharFormat sunday = weekdayTextFormat(Qt::Sunday);
    sunday.setForeground(LegibleOn(Qt::red, days));
    setWeekdayTextFormat(Qt::Sunday, sunday);
}

QAbstractItemView* TXMonthCalendarExt::DayView() const {
    auto* view = findChild<QAbstractItemView*>(u"qt_calendar_calendarview"_s);
    return view ? view : findChild<QAbstractItemView*>();
}

// The title reads in Japanese order, "2026年12月": the year's button goes before the month's and
// carries 年 (the month's name already ends in 月).
void TXMonthCalendarExt::PutYearBeforeMonth() {
    auto* month = findChild<QToolButton*>(u"qt_calendar_monthbutton"_s);
    auto* year = findChild<QToolButton*>(u"qt_calendar_yearbutton"_s);
    QWidget* bar = month ? month->parentWidget() : nullptr;
    auto* row = bar ? qobject_cast<QBoxLayout*>(bar->layout()) : nullptr;
    if (!year || !row || year->parentWidget() != bar) return;
    row->removeWidget(year);
    row->insertWidget(row->indexOf(month), year);
    const auto caption = [this, year] { year->setText(u"%1年"_s.arg(yearShown())); };
    connect(this, &QCalendarWidget::currentPageChanged, year, caption, Qt::QueuedConnection);
    caption();
}

// A thin border around the calendar, as around the list.
void TXMonthCalendarExt::paintEvent(QPaintEvent* event) {
    QCalendarWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TXMonthCalendarExt* TXMonthCalendarExt::ForComboEdit(TXComboEdit* requester) {
    if (!sharedCalendar) sharedCalendar = new TXMonthCalendarExt;
    // A box that has the calendar open gives it up first, so it cannot close it later under the
    // box that has it now.
    if (TXComboEdit* owner = sharedCalendar->closeTarget_;
        owner && owner != requester && owner->OpenPopup() == sharedCalendar)
        owner->CloseUp(false);
    if (sharedCalendar->parentWidget() != requester) MakePopupWindow(sharedCalendar, requester);
    sharedCalendar->closeTarget_ = requester;
    return sharedCalendar;
}

TXMonthCalendarExt* TXMonthCalendarExt::Existing() {
    return sharedCalendar;
}

void TXMonthCalendarExt::FreeShared() {
    if (!sharedCalendar) return;
    // The box that has the calendar open must not stay dropped down without it: it would send
    // every key on to a popup that no longer exists.
    if (TXComboEdit* owner = sharedCalendar->closeTarget_;
        owner && owner->OpenPopup() == sharedCalendar)
        owner->CloseUp(false);
    delete sharedCalendar.data();
}

// A release on a day of the day view chooses it; the navigation bar, its month menu and year
// box, and the weekday names leave the calendar open.
bool TXMonthCalendarExt::eventFilter(QObject* watched, QEvent* event) {
    QAbstractItemView* days = DayView();
    if (redelivering_ || !days || watched != days->viewport() ||
        event->type() != QEvent::MouseButtonRelease)
        return QCalendarWidget::eventFilter(watched, event);
    const auto* release = static_cast<QMouseEvent*>(event);
    const QModelIndex cell = days->indexAt(release->position().toPoint());
    if (release->button() != Qt::LeftButton || !cell.isValid() || cell.row() == 0)
        return QCalendarWidget::eventFilter(watched, event);
    // The day grid takes its date from the release: let it have it before the box reads it.
    redelivering_ = true;
    QCoreApplication::sendEvent(watched, event);
    redelivering_ = false;
    if (closeTarget_) closeTarget_->CloseUp(true);
    return true;
}
