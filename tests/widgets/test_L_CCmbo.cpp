#include "widgets/L_CCmbo.h"

#include <QApplication>
#include <QCommonStyle>
#include <QDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// A window with a box between two other edit boxes, in that tab order.
struct TForm {
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    TEditNext* box = new TEditNext(&window);
    QLineEdit* after = new QLineEdit(&window);

    TForm() {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* widget : {static_cast<QWidget*>(before), static_cast<QWidget*>(box),
                                static_cast<QWidget*>(after)})
            layout->addWidget(widget);
        window.show();
        window.activateWindow();
        box->setFocus();
    }

    QString FocusName() const {
        const QWidget* focused = QApplication::focusWidget();
        if (!focused) return u"none"_s;
        return focused == before ? u"before"_s : focused == box ? u"box"_s : u"after"_s;
    }
};

class TestL_CCmbo : public QObject {
    Q_OBJECT

private slots:
    void enterNextKeys_data();
    void enterNextKeys();
    void escapeUndoes_data();
    void escapeUndoes();
    void dialogKeysStayInTheBox_data();
    void dialogKeysStayInTheBox();
    void focusColours_data();
    void focusColours();
    void colourSetterAppliesToCurrentState();
    void clickIntoUnfocusedBox_data();
    void clickIntoUnfocusedBox();
    void paintEditHasWideCaret();
    void paintEditsShareOneStyle();
};

void TestL_CCmbo::enterNextKeys_data() {
    QTest::addColumn<int>("enterNext");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("selectFrom");
    QTest::addColumn<int>("selectLength");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<int>("caret");

    const int none = 0;
    const int all = esEnter | esUp | esDown | esLeft;
    const int noMod = Qt::NoModifier;
    // The box holds "abc" with the caret after "c" unless a selection is given.
    // Enter never reaches the window: it would press a dialog's default button.
    QTest::newRow("empty: Enter does nothing")
        << none << int(Qt::Key_Return) << noMod << 3 << 0 << u"box"_s << true << 3;
    QTest::newRow("empty: Down stays")
        << none << int(Qt::Key_Down) << noMod << 3 << 0 << u"box"_s << false << 3;
    QTest::newRow("empty: Left moves the caret")
        << none << int(Qt::Key_Left) << noMod << 3 << 0 << u"box"_s << true << 2;
    QTest::newRow("esEnter: Enter to next")
        << int(esEnter) << int(Qt::Key_Return) << noMod << 3 << 0 << u"after"_s << true << 3;
    QTest::newRow("esEnter: keypad Enter to next")
        << int(esEnter) << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 3 << 0 << u"after"_s
        << true << 3;
    QTest::newRow("esEnter: Shift+Enter stays")
        << int(esEnter) << int(Qt::Key_Return) << int(Qt::ShiftModifier) << 3 << 0 << u"box"_s
        << true << 3;
    QTest::newRow("esDown: Up swallowed")
        << int(esDown) << int(Qt::Key_Up) << noMod << 3 << 0 << u"box"_s << true << 3;
    QTest::newRow("esDown: Down to next")
        << int(esDown) << int(Qt::Key_Down) << noMod << 3 << 0 << u"after"_s << true << 3;
    QTest::newRow("esUp: Up to previous")
        << int(esUp) << int(Qt::Key_Up) << noMod << 3 << 0 << u"before"_s << true << 3;
    QTest::newRow("esUp: Down swallowed")
        << int(esUp) << int(Qt::Key_Down) << noMod << 3 << 0 << u"box"_s << true << 3;
    QTest::newRow("esLeft: Up keeps its meaning")
        << int(esLeft) << int(Qt::Key_Up) << noMod << 3 << 0 << u"box"_s << false << 3;
    QTest::newRow("esLeft: Left inside the text moves the caret")
        << int(esLeft) << int(Qt::Key_Left) << noMod << 3 << 0 << u"box"_s << true << 2;
    QTest::newRow("esLeft: Left at the start to previous")
        << int(esLeft) << int(Qt::Key_Left) << noMod << 0 << 0 << u"before"_s << true << 0;
    QTest::newRow("esLeft: Left with a selection from the start to previous")
        << int(esLeft) << int(Qt::Key_Left) << noMod << 0 << 2 << u"before"_s << true << 2;
    QTest::newRow("all: Alt+Down stays")
        << all << int(Qt::Key_Down) << int(Qt::AltModifier) << 3 << 0 << u"box"_s << false << 3;
    QTest::newRow("all: Alt+Enter stays")
        << all << int(Qt::Key_Return) << int(Qt::AltModifier) << 3 << 0 << u"box"_s << true << 3;
}

void TestL_CCmbo::enterNextKeys() {
    QFETCH(int, enterNext);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, selectFrom);
    QFETCH(int, selectLength);
    QFETCH(QString, focus);
    QFETCH(bool, dropped);
    QFETCH(int, caret);

    TForm form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    form.box->SetEnterNext(TEnterStyles(enterNext));
    form.box->setText(u"abc"_s);
    if (selectLength > 0)
        form.box->setSelection(selectFrom, selectLength);
    else
        form.box->setCursorPosition(selectFrom);

    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    QApplication::sendEvent(form.box, &press);

    QCOMPARE(form.FocusName(), focus);
    QCOMPARE(press.isAccepted(), dropped);
    QCOMPARE(form.box->text(), u"abc"_s);
    QCOMPARE(form.box->cursorPosition(), caret);
}

void TestL_CCmbo::escapeUndoes_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterEscape");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("typing undone") << u"x"_s << u"abc"_s << true;
    QTest::newRow("nothing to undo") << QString() << u"abc"_s << true;
}

void TestL_CCmbo::escapeUndoes() {
    QFETCH(QString, typed);
    QFETCH(QString, afterEscape);
    QFETCH(bool, accepted);
    TForm form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    form.box->SetEnterNext(esEnter | esUp | esDown | esLeft);
    form.box->setText(u"abc"_s);
    QTest::keyClicks(form.box, typed);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.box, &escape);
    QCOMPARE(form.box->text(), afterEscape);
    QCOMPARE(escape.isAccepted(), accepted);
    QCOMPARE(form.FocusName(), u"box"_s);
}

void TestL_CCmbo::dialogKeysStayInTheBox_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("enterNext");
    QTest::newRow("Escape, nothing to undo") << int(Qt::Key_Escape) << 0;
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 0;
    QTest::newRow("Enter with arrows only") << int(Qt::Key_Return) << int(esUp | esDown);
}

// Escape and Enter in a box on a dialog neither cancel it nor press its default button.
void TestL_CCmbo::dialogKeysStayInTheBox() {
    QFETCH(int, key);
    QFETCH(int, enterNext);
    QDialog dialog;
    auto* box = new TEditNext(&dialog);
    box->SetEnterNext(TEnterStyles(enterNext));
    auto* ok = new QPushButton(u"OK"_s, &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(box);
    layout->addWidget(ok);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    box->setFocus();
    QTest::keyClick(box, Qt::Key(key));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
}

void TestL_CCmbo::focusColours_data() {
    QTest::addColumn<bool>("change");
    QTest::addColumn<QColor>("focusedBack");
    QTest::addColumn<QColor>("focusedText");
    QTest::addColumn<QColor>("unfocusedBack");
    QTest::addColumn<QColor>("unfocusedText");
    const QColor fieldYellow(0xFF, 0xFF, 0xF4);
    QTest::newRow("on") << true << QColor(Qt::black) << QColor(Qt::white) << fieldYellow
                        << QColor(Qt::black);
    QTest::newRow("off keeps the stored colour")
        << false << fieldYellow << QColor(Qt::black) << fieldYellow << QColor(Qt::black);
}

void TestL_CCmbo::focusColours() {
    QFETCH(bool, change);
    QFETCH(QColor, focusedBack);
    QFETCH(QColor, focusedText);
    QFETCH(QColor, unfocusedBack);
    QFETCH(QColor, unfocusedText);
    TForm form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    form.before->setFocus();
    // The main window's field settings, with the switch as the row says.
    TEditNext* box = form.box;
    box->SetColor(QColor(0xFF, 0xFF, 0xF4));
    box->SetFontColor(Qt::black);
    box->SetNoFocusColor(QColor(0xFF, 0xFF, 0xF4));
    box->SetFocusColor(Qt::black);
    box->SetNoFocusFontColor(Qt::black);
    box->SetFocusFontColor(Qt::white);
    box->SetFocusColorChange(change);

    box->setFocus();
    QCOMPARE(box->Color(), focusedBack);
    QCOMPARE(box->FontColor(), focusedText);
    form.after->setFocus();
    QCOMPARE(box->Color(), unfocusedBack);
    QCOMPARE(box->FontColor(), unfocusedText);
}

void TestL_CCmbo::colourSetterAppliesToCurrentState() {
    TForm form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    TEditNext* box = form.box;
    QVERIFY(box->hasFocus());
    box->SetFocusColor(Qt::red); // switch still off: nothing changes
    QVERIFY(box->Color() != QColor(Qt::red));
    box->SetFocusColorChange(true);
    QCOMPARE(box->Color(), QColor(Qt::red));
    box->SetNoFocusColor(Qt::blue); // the box has the focus: kept for later
    QCOMPARE(box->Color(), QColor(Qt::red));
    box->SetFocusColor(Qt::green);
    QCOMPARE(box->Color(), QColor(Qt::green));
    form.after->setFocus();
    QCOMPARE(box->Color(), QColor(Qt::blue));
    box->SetFocusColorChange(false);
    box->setFocus();
    QCOMPARE(box->Color(), QColor(Qt::blue));
}

void TestL_CCmbo::clickIntoUnfocusedBox_data() {
    QTest::addColumn<bool>("autoSelect");
    QTest::addColumn<QString>("selectedAfterFirstClick");
    QTest::newRow("auto-select selects all") << true << u"ニュース"_s;
    QTest::newRow("without auto-select the caret is placed") << false << QString();
}

void TestL_CCmbo::clickIntoUnfocusedBox() {
    QFETCH(bool, autoSelect);
    QFETCH(QString, selectedAfterFirstClick);
    TForm form;
    QVERIFY(QTest::qWaitForWindowActive(&form.window));
    form.box->SetAutoSelect(autoSelect);
    form.box->setText(u"ニュース"_s);
    form.before->setFocus();
    const QPoint inside(4, form.box->height() / 2);

    QTest::mouseClick(form.box, Qt::LeftButton, {}, inside);
    QVERIFY(form.box->hasFocus());
    QCOMPARE(form.box->selectedText(), selectedAfterFirstClick);

    QTest::mouseClick(form.box, Qt::LeftButton, {}, inside);
    QVERIFY(!form.box->hasSelectedText());
    QCOMPARE(form.box->cursorPosition(), 0);
}

void TestL_CCmbo::paintEditHasWideCaret() {
    TPaintEdit edit;
    QCOMPARE(edit.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &edit), 2);
    QCOMPARE(edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit),
             QApplication::style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
}

// A style the style factory cannot make again (the program's own) still gives all boxes one
// shared wide-caret style.
void TestL_CCmbo::paintEditsShareOneStyle() {
    const QString appStyle = QApplication::style()->name();
    QApplication::setStyle(new QCommonStyle);
    const auto restore =
        qScopeGuard([appStyle] { QApplication::setStyle(QStyleFactory::create(appStyle)); });
    TPaintEdit first;
    TPaintEdit second;
    QCOMPARE(first.style(), second.style());
    QCOMPARE(first.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &first), 2);
}

QTEST_MAIN(TestL_CCmbo)
#include "test_L_CCmbo.moc"
