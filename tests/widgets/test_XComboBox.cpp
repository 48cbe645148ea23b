#include "ThemeColours.h"
#include "widgets/Cp932Text.h"
#include "widgets/XComboBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TEditStyle)

namespace {

std::string Sjis(const QString& text) {
    return ToCp932(text);
}

std::vector<std::string> Entries(const QStringList& texts) {
    std::vector<std::string> entries;
    for (const QString& text : texts)
        entries.push_back(Sjis(text));
    return entries;
}

std::vector<std::string> Numbered(int count) {
    std::vector<std::string> entries;
    for (int n = 1; n <= count; ++n)
        entries.push_back("entry " + std::to_string(n));
    return entries;
}

// A key press carrying `text`, as a keyboard in any mode delivers it.
void TypeCharacter(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
}

void Tick(QTimer* timer) {
    QMetaObject::invokeMethod(timer, "timeout");
}

QPoint UpperSpinPoint(const TXComboEdit& box) {
    const QRect button = box.ButtonRect();
    return {button.center().x(), button.top() + button.height() / 4};
}

QPoint LowerSpinPoint(const TXComboEdit& box) {
    const QRect button = box.ButtonRect();
    return {button.center().x(), button.bottom() - button.height() / 4};
}

} // namespace

class TestXComboBox : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> window_;

    // A box in its own active window, with the focus.
    TXComboEdit* ShownBox(TEditStyle style, const std::string& text = {}) {
        window_ = std::make_unique<QWidget>();
        window_->resize(320, 120);
        auto* box = new TXComboEdit(window_.get());
        box->setGeometry(10, 10, 200, 26);
        box->SetEditStyle(style);
        box->SetTextCp932(text);
        window_->show();
        QApplication::setActiveWindow(window_.get());
        box->setFocus();
        return box;
    }

private slots:
    void cleanup() { window_.reset(); }

    void formatDateTime_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default date") << u"yyyy-mm-dd"_s << u"2009-02-08"_s;
        QTest::newRow("default time") << u"hh:nn:ss"_s << u"07:05:09"_s;
        QTest::newRow("single letters") << u"y/m/d h:n:s"_s << u"09/2/8 7:5:9"_s;
        QTest::newRow("upper case") << u"YYYY/MM/DD"_s << u"2009/02/08"_s;
        // The trail byte of 年 is "N", of 日 none; neither may be taken for a pattern letter.
        QTest::newRow("double-byte text") << u"yyyy年mm月dd日"_s << u"2009年02月08日"_s;
    }

    void formatDateTime() {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        const QDateTime moment(QDate(2009, 2, 8), QTime(7, 5, 9));
        QCOMPARE(FromCp932(FormatDateTimeText(Sjis(format), moment)), expected);
    }

    void readDate_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("valid") << u"yyyy-mm-dd"_s << u"2009-02-28"_s << QDate(2009, 2, 28);
        QTest::newRow("no such day") << u"yyyy-mm-dd"_s << u"2009-02-30"_s << QDate();
        QTest::newRow("no day marker") << u"yyyy-mm"_s << u"2009-02"_s << QDate();
        QTest::newRow("empty text") << u"yyyy-mm-dd"_s << QString() << QDate();
        QTest::newRow("leading digits")
            << u"yyyy-mm-dd"_s << u"2009-02-28x"_s << QDate(2009, 2, 28);
        QTest::newRow("double-byte positions")
            << u"yyyy年mm月dd日"_s << u"2009年03月01日"_s << QDate(2009, 3, 1);
    }

    void readDate() {
        QFETCH(QString, format);
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(ReadDateText(Sjis(format), Sjis(text)).value_or(QDate()), expected);
    }

    void spinKeys() {
        struct Case {
            const char* name;
            QString text;
            bool upDownSpin;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int minValue, maxValue;
            bool minusMode;
            int maxLength;
            QString expected;
        };
        const Qt::Key up = Qt::Key_Up, down = Qt::Key_Down;
        const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier;
        const Case cases[] = {
            {"down raises", u"5"_s, true, down, none, 0, 0, true, 0, u"6"_s},
            {"up lowers", u"5"_s, true, up, none, 0, 0, true, 0, u"4"_s},
            {"shift steps ten", u"5"_s, true, down, shift, 0, 0, true, 0, u"15"_s},
            {"below zero", u"5"_s, true, up, shift, 0, 0, true, 0, u"-5"_s},
            {"zero shows empty", u"1"_s, true, up, none, 0, 0, true, 0, QString()},
            {"no minus", u"0"_s, true, up, none, 0, 0, false, 0, QString()},
            {"upper limit", u"10"_s, true, down, none, 0, 10, true, 0, u"10"_s},
            {"lower limit", u"3"_s, true, up, none, 3, 0, true, 0, u"3"_s},
            {"longer than MaxLength", u"99"_s, true, down, none, 0, 0, true, 2, u"99"_s},
            {"not a number", u"abc"_s, true, down, none, 0, 0, true, 0, u"1"_s},
            {"arrows not stepping", u"5"_s, false, down, none, 0, 0, true, 0, u"5"_s},
        };
        for (const Case& c : cases) {
            TXComboEdit* box = ShownBox(esSpin);
            box->SetUpDownSpin(c.upDownSpin);
            box->SetMinusMode(c.minusMode);
            box->SetMaxLength(c.maxLength);
            box->SetMinValue(c.minValue);
            box->SetMaxValue(c.maxValue);
            box->setText(c.text);
            QTest::keyClick(box, c.key, c.modifiers);
            QVERIFY2(box->text() == c.expected, c.name);
        }
    }

    void spinCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("minusMode");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands on empty") << QString() << true << 0 << u","_s << u"000"_s;
        QTest::newRow("thousands") << u"12"_s << true << 0 << u","_s << u"12000"_s;
        QTest::newRow("thousands too long") << u"12"_s << true << 4 << u","_s << u"12"_s;
        QTest::newRow("thousands reaching the limit exactly")
            << u"12"_s << true << 5 << u","_s << u"12000"_s;
        QTest::newRow("minus on empty types") << QString() << true << 0 << u"-"_s << u"-"_s;
        QTest::newRow("minus negates") << u"5"_s << true << 0 << u"-"_s << u"-5"_s;
        QTest::newRow("minus refused") << u"5"_s << false << 0 << u"-"_s << u"5"_s;
        QTest::newRow("negated too long") << u"12"_s << true << 2 << u"-"_s << u"12"_s;
        QTest::newRow("digit") << u"1"_s << true << 0 << u"7"_s << u"17"_s;
        QTest::newRow("letter refused") << u"1"_s << true << 0 << u"a"_s << u"1"_s;
        QTest::newRow("double-byte refused") << u"1"_s << true << 0 << u"あ"_s << u"1"_s;
    }

    void spinCharacters() {
        QFETCH(QString, text);
        QFETCH(bool, minusMode);
        QFETCH(int, maxLength);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        TXComboEdit* box = ShownBox(esSpin);
        box->SetMinusMode(minusMode);
        box->SetMaxLength(maxLength);
        box->setText(text);
        box->end(false);
        TypeCharacter(box, typed);
        QCOMPARE(box->text(), expected);
    }

    void focusLossReappliesLimits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("minValue");
        QTest::addColumn<QString>("whileFocused");
        QTest::addColumn<QString>("expected");
        QTest::newRow("thousands of nothing") << u","_s << 0 << u"000"_s << QString();
        QTest::newRow("below minimum") << u"2"_s << 5 << u"2"_s << u"5"_s;
        QTest::newRow("plain text of a number") << u"7.50"_s << 0 << u"7.50"_s << u"7.5"_s;
    }

    void focusLossReappliesLimits() {
        QFETCH(QString, typed);
        QFETCH(int, minValue);
        QFETCH(QString, whileFocused);
        QFETCH(QString, expected);
        TXComboEdit* box = ShownBox(esSpin);
        box->SetMinValue(minValue);
        box->clear();
        QTest::keyClicks(box, typed);
        QCOMPARE(box->text(), whileFocused);
        box->clearFocus();
        QCOMPARE(box->text(), expected);
    }

    void spinRepeat() {
        TXComboEdit* box = ShownBox(esSpin);
        QTimer* timer = TXComboEdit::RepeatTimer();
        QTest::mousePress(box, Qt::LeftButton, {}, UpperSpinPoint(*box));
        QCOMPARE(box->text(), u"1"_s);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 400);
        Tick(timer);
        QCOMPARE(box->text(), u"2"_s);
        QCOMPARE(timer->interval(), 100);
        Tick(timer);
        QCOMPARE(box->text(), u"3"_s);
        QCOMPARE(timer->interval(), 100);
        QTest::mouseRelease(box, Qt::LeftButton, {}, UpperSpinPoint(*box));
        QVERIFY(!timer->isActive());

        QTest::mousePress(box, Qt::LeftButton, {}, LowerSpinPoint(*box));
        QCOMPARE(box->text(), u"2"_s);
        QCOMPARE(timer->interval(), 400);
        QTest::mouseRelease(box, Qt::LeftButton, {}, LowerSpinPoint(*box));
    }

    void spinRepeatStopsOutsideColumn() {
        TXComboEdit* box = ShownBox(esSpin);
        QTimer* timer = TXComboEdit::RepeatTimer();
        QTest::mousePress(box, Qt::LeftButton, {}, UpperSpinPoint(*box));
        QTest::mouseMove(box, LowerSpinPoint(*box));
        QVERIFY(timer->isActive());
        QTest::mouseMove(box, QPoint(10, box->height() / 2));
        QVERIFY(!timer->isActive());
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(10, box->height() / 2));
        QCOMPARE(box->text(), u"1"_s);
    }

    void pasteTakesFirstLineOnlyWhenUsable_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("expected");
        QTest::newRow("editable") << false << u"一行目"_s;
        QTest::newRow("read-only") << true << u"old"_s;
    }

    void pasteTakesFirstLineOnlyWhenUsable() {
        QFETCH(bool, readOnly);
        QFETCH(QString, expected);
        TXComboEdit* box = ShownBox(esPickList, "old");
        box->setReadOnly(readOnly);
        box->selectAll();
        QGuiApplication::clipboard()->setText(u"一行目\r\n二行目"_s);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), expected);
    }

    void deleteInRightAlignedBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("expected");
        QTest::newRow("right at end") << u"12345"_s << int(Qt::AlignRight) << 5 << u"1234"_s;
        QTest::newRow("right double-byte")
            << u"ニュース"_s << int(Qt::AlignRight) << 4 << u"ニュー"_s;
        QTest::newRow("right inside") << u"12345"_s << int(Qt::AlignRight) << 2 << u"1245"_s;
        QTest::newRow("left at end") << u"12345"_s << int(Qt::AlignLeft) << 5 << u"12345"_s;
    }

    void deleteInRightAlignedBox() {
        QFETCH(QString, text);
        QFETCH(int, alignment);
        QFETCH(int, caret);
        QFETCH(QString, expected);
        TXComboEdit* box = ShownBox(esSimple);
        box->SetAutoSelect(false);
        box->SetAlignment(Qt::Alignment(alignment));
        box->setText(text);
        box->setCursorPosition(caret);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), expected);
    }

    void dropDownKeys_data() {
        QTest::addColumn<TEditStyle>("style");
        QTest::addColumn<bool>("noFuncKey");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<int>("buttonClicks");
        const int f4 = Qt::Key_F4, alt = Qt::AltModifier, none = Qt::NoModifier;
        QTest::newRow("simple F4") << esSimple << false << f4 << none << false << 0;
        QTest::newRow("spin F4") << esSpin << false << f4 << none << false << 0;
        QTest::newRow("pick list F4") << esPickList << false << f4 << none << true << 0;
        QTest::newRow("shift F4") << esPickList << false << f4 << int(Qt::ShiftModifier) << false
                                  << 0;
        QTest::newRow("drop list Alt+Down")
            << esDropList << false << int(Qt::Key_Down) << alt << true << 0;
        QTest::newRow("date Alt+Up") << esDate << false << int(Qt::Key_Up) << alt << true << 0;
        QTest::newRow("F4 switched off") << esPickList << true << f4 << none << false << 0;
        QTest::newRow("Alt+Down with F4 off")
            << esPickList << true << int(Qt::Key_Down) << alt << true << 0;
        QTest::newRow("ellipsis F4") << esEllipsis << false << f4 << none << false << 1;
        QTest::newRow("ellipsis Ctrl+Enter")
            << esEllipsis << false << int(Qt::Key_Return) << int(Qt::ControlModifier) << false << 1;
    }

    void dropDownKeys() {
        QFETCH(TEditStyle, style);
        QFETCH(bool, noFuncKey);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, dropped);
        QFETCH(int, buttonClicks);
        TXComboEdit* box = ShownBox(style);
        box->SetItems(Numbered(3));
        box->SetNoFuncKeyDropDown(noFuncKey);
        QSignalSpy clicks(box, &TXComboEdit::OnEditButtonClick);
        QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(box->DroppedDown(), dropped);
        QCOMPARE(clicks.count(), buttonClicks);
        if (!dropped) return;
        QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!box->DroppedDown());
    }

    void dropListItemIndex_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("in range") << 3 << 1 << 1 << u"entry 2"_s;
        QTest::newRow("beyond last") << 3 << 7 << 2 << u"entry 3"_s;
        QTest::newRow("none") << 3 << -1 << -1 << QString();
        QTest::newRow("no entries") << 0 << 2 << -1 << QString();
    }

    void dropListItemIndex() {
        QFETCH(int, entries);
        QFETCH(int, index);
        QFETCH(int, expectedIndex);
        QFETCH(QString, expectedText);
        TXComboEdit* box = ShownBox(esDropList);
        box->SetItems(Numbered(entries));
        box->SetItemIndex(index);
        QVERIFY(box->isReadOnly());
        QCOMPARE(box->ItemIndex(), expectedIndex);
        QCOMPARE(box->text(), expectedText);
    }

    void buttonShownWithFocusOrNoFocusButton() {
        TXComboEdit* box = ShownBox(esDate);
        QVERIFY(box->ButtonShown());
        box->clearFocus();
        QVERIFY(!box->ButtonShown());
        box->SetNoFocusButton(true);
        QVERIFY(box->ButtonShown());
    }

    void listHeightFollowsEntries_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("rows");
        QTest::newRow("3 entries") << 3 << 3;
        QTest::newRow("20 entries") << 20 << 8;
    }

    void listHeightFollowsEntries() {
        QFETCH(int, entries);
        QFETCH(int, rows);
        TXComboEdit* box = ShownBox(esPickList);
        box->SetItems(Numbered(entries));
        box->DropDown();
        TXPopupListNum* list = box->ListPopup();
        QVERIFY(list->isVisible());
        QCOMPARE(list->viewport()->height(), list->RowHeight() * rows);
        QCOMPARE(list->RowHeight(), FontPixelHeight(box->font()) + 2);
        QVERIFY(list->width() >= box->width());
    }

    void listSelectsLastEqualEntry() {
        TXComboEdit* box = ShownBox(esPickList, Sjis(u"ニュース"_s));
        box->SetItems(Entries({u"ニュース"_s, u"お知らせ"_s, u"ニュース"_s, u"更新"_s}));
        box->DropDown();
        QCOMPARE(box->ListPopup()->currentRow(), 2);
    }

    void enterWithoutChoiceKeepsText() {
        TXComboEdit* box = ShownBox(esPickList, "none of them");
        box->SetItems(Numbered(4));
        QSignalSpy closed(box, &TXComboEdit::OnCloseUp);
        box->DropDown();
        QVERIFY(box->ListPopup()->selectedItems().isEmpty());
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!box->DroppedDown());
        QCOMPARE(box->text(), u"none of them"_s);
        QCOMPARE(closed.count(), 1);
    }

    void shortcutKeysInOpenList_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("row");
        QTest::newRow("c") << 20 << u"c"_s << 12;
        QTest::newRow("C") << 20 << u"C"_s << 12;
        QTest::newRow("kana on the C key") << 20 << u"ｿ"_s << 12;
        QTest::newRow("5") << 20 << u"5"_s << 4;
        QTest::newRow("0") << 20 << u"0"_s << 9;
        QTest::newRow("Z beyond the last row") << 10 << u"Z"_s << -1;
    }

    void shortcutKeysInOpenList() {
        QFETCH(int, entries);
        QFETCH(QString, typed);
        QFETCH(int, row);
        TXComboEdit* box = ShownBox(esPickList, "typed here");
        box->SetNumKey(true);
        box->SetItems(Numbered(entries));
        box->DropDown();
        TypeCharacter(box, typed);
        QCOMPARE(box->ListPopup()->currentRow(), row);
        QVERIFY(box->DroppedDown());
        QCOMPARE(box->text(), u"typed here"_s);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->text(), row < 0 ? u"typed here"_s : u"entry %1"_s.arg(row + 1));
    }

    void releaseInListTakesRow() {
        TXComboEdit* box = ShownBox(esDropList);
        box->SetItems(Entries({u"毎日"_s, u"毎週"_s, u"毎月"_s}));
        box->DropDown();
        TXPopupListNum* list = box->ListPopup();
        const QPoint onSecond = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onSecond);
        QVERIFY(!box->DroppedDown());
        QCOMPARE(box->ItemIndex(), 1);
        QCOMPARE(box->text(), u"毎週"_s);
        QVERIFY(box->isModified());
    }

    void dragFromButtonChoosesRow() {
        TXComboEdit* box = ShownBox(esPickList);
        box->SetItems(Numbered(5));
        const QPoint button = box->ButtonRect().center();
        QTest::mousePress(box, Qt::LeftButton, {}, button);
        QVERIFY(box->DroppedDown());
        TXPopupListNum* list = box->ListPopup();
        const QPoint onFourth =
            list->viewport()->mapToGlobal(list->visualItemRect(list->item(3)).center());
        QTest::mouseMove(box, box->mapFromGlobal(onFourth));
        QTest::mouseRelease(box, Qt::LeftButton, {}, box->mapFromGlobal(onFourth));
        QVERIFY(!box->DroppedDown());
        QCOMPARE(box->text(), u"entry 4"_s);
    }

    void pressOutsideClosesWithoutChoice() {
        TXComboEdit* box = ShownBox(esPickList, "kept");
        box->SetItems(Numbered(3));
        box->DropDown();
        box->ListPopup()->setCurrentRow(1);
        QTest::mouseClick(window_.get(), Qt::LeftButton, {}, QPoint(300, 100));
        QVERIFY(!box->DroppedDown());
        QCOMPARE(box->text(), u"kept"_s);
    }

    void dropDownOnEmptyListOnlyRaisesEvent() {
        TXComboEdit* box = ShownBox(esPickList);
        QSignalSpy dropping(box, &TXComboEdit::OnDropDown);
        QSignalSpy closing(box, &TXComboEdit::OnCloseUp);
        QTest::keyClick(box, Qt::Key_F4);
        QCOMPARE(dropping.count(), 1);
        QVERIFY(!box->DroppedDown());
        QVERIFY(!box->ListPopup()->isVisible());
        box->CloseUp(true);
        QCOMPARE(closing.count(), 0);
    }

    void inputMethodOffWhileOpen() {
        TXComboEdit* box = ShownBox(esDate);
        QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
        box->DropDown();
        QVERIFY(!box->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
    }

    void calendarOpensOnTextDate() {
        const std::pair<std::string, QDate> cases[] = {{"2009-02-28", QDate(2009, 2, 28)},
                                                       {"2009-02-30", QDate::currentDate()}};
        for (const auto& [text, expected] : cases) {
            TXComboEdit* box = ShownBox(esDate, text);
            box->DropDown();
            auto* calendar = qobject_cast<TXMonthCalendarExt*>(box->OpenPopup());
            QVERIFY(calendar);
            QCOMPARE(calendar->parentWidget(), box);
            QCOMPARE(calendar->selectedDate(), expected);
        }
    }

    void calendarDayViewRule() {
        TXComboEdit* box = ShownBox(esDate, "2009-02-28");
        box->DropDown();
        auto* calendar = qobject_cast<TXMonthCalendarExt*>(box->OpenPopup());
        QVERIFY(calendar);
        QTest::mouseClick(calendar, Qt::LeftButton, {}, QPoint(calendar->width() / 2, 3));
        QVERIFY(box->DroppedDown());
        // The weekday names are no day.
        QAbstractItemView* view = calendar->DayView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(0, 3)).center());
        QVERIFY(box->DroppedDown());

        // The day grid's row at mid height holds a day of February, which the release chooses.
        QWidget* days = calendar->childAt(calendar->width() / 2, calendar->height() / 2);
        QVERIFY(days);
        const QPoint middle =
            days->mapFrom(calendar, QPoint(calendar->width() / 2, calendar->height() / 2));
        QTest::mouseClick(days, Qt::LeftButton, {}, middle);
        QVERIFY(!box->DroppedDown());
        const QDate chosen = calendar->selectedDate();
        QCOMPARE(chosen.month(), 2);
        QCOMPARE(box->text(), chosen.toString(u"yyyy-MM-dd"_s));
        QVERIFY(box->isModified());
    }

    // Choosing a month from the month button's menu keeps the calendar open on that month, also
    // for the months whose entries lie far below the calendar's top.
    void monthMenuKeepsTheCalendarOpen() {
        TXComboEdit* box = ShownBox(esDate, "2009-02-28");
        box->DropDown();
        auto* calendar = qobject_cast<TXMonthCalendarExt*>(box->OpenPopup());
        auto* monthButton = calendar->findChild<QToolButton*>(u"qt_calendar_monthbutton"_s);
        QVERIFY(monthButton && monthButton->menu());
        QMenu* months = monthButton->menu();
        months->popup(calendar->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(months));
        QAction* december = months->actions().last();
        QTest::mouseClick(months, Qt::LeftButton, {}, months->actionGeometry(december).center());
        QVERIFY(box->DroppedDown());
        QCOMPARE(calendar->monthShown(), 12);
        QCOMPARE(box->text(), u"2009-02-28"_s);
    }

    // As on Japanese calendars: Saturday blue, Sunday red (shades legible on the days), weekdays
    // as the style has them.
    void calendarWeekendColours_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("hue"); // -1: the style's own colour
        QTest::newRow("Saturday") << int(Qt::Saturday) << 240;
        QTest::newRow("Sunday") << int(Qt::Sunday) << 0;
        QTest::newRow("Friday") << int(Qt::Friday) << -1;
    }
    void calendarWeekendColours() {
        QFETCH(int, day);
        QFETCH(int, hue);
        TXComboEdit* box = ShownBox(esDate, "2009-02-28");
        box->DropDown();
        auto* calendar = qobject_cast<TXMonthCalendarExt*>(box->OpenPopup());
        const QBrush foreground =
            calendar->weekdayTextFormat(static_cast<Qt::DayOfWeek>(day)).foreground();
        QCOMPARE(foreground.style() == Qt::NoBrush, hue < 0);
        if (hue < 0) return;
        QCOMPARE(foreground.color().hslHue(), hue);
        QVERIFY(testsupport::Contrast(foreground.color(),
                                      calendar->palette().color(QPalette::Base)) >= 4.5);
    }

    // The title reads year first, in Japanese: 2009年2月.
    void calendarTitleInJapaneseOrder() {
        TXComboEdit* box = ShownBox(esDate, "2009-02-28");
        box->DropDown();
        auto* calendar = qobject_cast<TXMonthCalendarExt*>(box->OpenPopup());
        const auto title = [calendar] {
            auto* year = calendar->findChild<QToolButton*>(u"qt_calendar_yearbutton"_s);
            auto* month = calendar->findChild<QToolButton*>(u"qt_calendar_monthbutton"_s);
            return year->x() < month->x() ? year->text() + month->text()
                                          : month->text() + u' ' + year->text();
        };
        QTRY_COMPARE(title(), u"2009年2月"_s);
        calendar->setCurrentPage(2026, 12);
        QTRY_COMPARE(title(), u"2026年12月"_s);
    }

    // A second box opening the calendar takes it over: the first box, losing the focus, leaves it
    // open under the second, and the second's keys reach it.
    void secondBoxTakesTheCalendarOver() {
        TXComboEdit* first = ShownBox(esDate, "2009-02-28");
        auto* second = new TXComboEdit(window_.get());
        second->setGeometry(10, 50, 200, 26);
        second->SetEditStyle(esDate);
        second->SetTextCp932("2010-05-10");
        second->show();
        first->DropDown();
        QWidget* calendar = first->OpenPopup();
        second->DropDown();
        QVERIFY(!first->DroppedDown());
        QVERIFY(second->DroppedDown());
        QCOMPARE(second->OpenPopup(), calendar);
        QVERIFY(calendar->isVisible());
        QTest::keyClick(second, Qt::Key_Right);
        QTest::keyClick(second, Qt::Key_Return);
        QCOMPARE(second->text(), u"2010-05-11"_s);
        QCOMPARE(first->text(), u"2009-02-28"_s);
    }

    // A held spin button stops when the box goes away from the user's hands.
    void spinRepeatStopsWhenTheBoxIsLeft_data() {
        QTest::addColumn<QString>("leave");
        QTest::newRow("hidden") << u"hide"_s;
        QTest::newRow("disabled") << u"disable"_s;
        QTest::newRow("focus moved") << u"focus"_s;
        QTest::newRow("modal box") << u"modal"_s;
    }

    void spinRepeatStopsWhenTheBoxIsLeft() {
        QFETCH(QString, leave);
        TXComboEdit* box = ShownBox(esSpin);
        auto* other = new QLineEdit(window_.get());
        other->move(10, 60);
        other->show();
        QTimer* timer = TXComboEdit::RepeatTimer();
        QTest::mousePress(box, Qt::LeftButton, {}, UpperSpinPoint(*box));
        QCOMPARE(box->text(), u"1"_s);
        if (leave == u"hide") box->hide();
        if (leave == u"disable") box->setEnabled(false);
        if (leave == u"focus") other->setFocus();
        if (leave == u"modal") {
            QDialog modal(window_.get());
            QTimer::singleShot(0, &modal, [&] {
                Tick(timer);
                Tick(timer);
                modal.reject();
            });
            modal.exec();
        }
        Tick(timer);
        Tick(timer);
        QVERIFY(!timer->isActive());
        QCOMPARE(box->text(), u"1"_s);
    }

    void keysGoToOpenCalendar() {
        TXComboEdit* box = ShownBox(esDate, "2009-02-28");
        QTest::keyClick(box, Qt::Key_F4);
        QTest::keyClick(box, Qt::Key_Right);
        QCOMPARE(box->text(), u"2009-02-28"_s);
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!box->DroppedDown());
        QCOMPARE(box->text(), u"2009-03-01"_s);
    }

    void dateTimeAddsClosingTime() {
        TXComboEdit* box = ShownBox(esDateTime, "2009-02-28");
        const QTime before = QTime::currentTime();
        box->DropDown();
        box->CloseUp(true);
        const QStringList parts = box->text().split(u' ');
        QCOMPARE(parts.size(), 2);
        QCOMPARE(parts[0], u"2009-02-28"_s);
        const QTime closed = QTime::fromString(parts[1], u"HH:mm:ss"_s);
        QVERIFY(closed.isValid());
        QVERIFY(qAbs(before.secsTo(closed)) <= 2);
    }

    void calendarIsSharedAndFreed() {
        TXComboEdit* first = ShownBox(esDate);
        auto* second = new TXComboEdit(window_.get());
        second->SetEditStyle(esDate);
        second->show();
        first->DropDown();
        QWidget* calendar = first->OpenPopup();
        first->CloseUp(false);
        second->setFocus();
        second->DropDown();
        QCOMPARE(second->OpenPopup(), calendar);
        QCOMPARE(calendar->parentWidget(), second);
        second->CloseUp(false);

        auto* third = new TXComboEdit(window_.get());
        delete third;
        QVERIFY(!TXMonthCalendarExt::Existing());
        first->setFocus();
        first->DropDown();
        QVERIFY(TXMonthCalendarExt::Existing());
        QVERIFY(first->OpenPopup());
    }

    // Another box going away frees the calendar; the box that had it open must type again.
    void calendarFreedUnderOpenBox() {
        TXComboEdit* box = ShownBox(esDate, "2009-02-28");
        QSignalSpy closeUps(box, &TXComboEdit::OnCloseUp);
        box->DropDown();
        QVERIFY(box->DroppedDown());
        delete new TXComboEdit(window_.get());
        QVERIFY(!TXMonthCalendarExt::Existing());
        QVERIFY(!box->DroppedDown());
        QCOMPARE(closeUps.count(), 1);
        QVERIFY(box->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(box->text(), u"2009-02-28"_s);
        box->end(false);
        QTest::keyClick(box, Qt::Key_1);
        QCOMPARE(box->text(), u"2009-02-281"_s);
    }

    void popupOpensAboveNearScreenBottom() {
        TXComboEdit* box = ShownBox(esPickList);
        box->SetItems(Numbered(8));
        const QRect screen = box->screen()->geometry();
        window_->move(screen.left() + 20, screen.bottom() - 60);
        QCoreApplication::processEvents();
        box->DropDown();
        TXPopupListNum* list = box->ListPopup();
        const QPoint origin = box->mapToGlobal(QPoint(0, 0));
        QCOMPARE(list->geometry().topLeft(), QPoint(origin.x(), origin.y() - list->height()));
    }

    void ellipsisButtonRaisesEvent() {
        TXComboEdit* box = ShownBox(esEllipsis);
        QSignalSpy clicks(box, &TXComboEdit::OnEditButtonClick);
        const QPoint button = box->ButtonRect().center();
        QTest::mouseClick(box, Qt::LeftButton, {}, button);
        QCOMPARE(clicks.count(), 1);
        QTest::mousePress(box, Qt::LeftButton, {}, button);
        QTest::mouseMove(box, QPoint(5, 5));
        QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
    }
};

QTEST_MAIN(TestXComboBox)
#include "test_XComboBox.moc"
