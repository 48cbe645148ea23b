#include "widgets/L_EdtPos.h"
#include "widgets/L_Theme.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Enters the button as the toolkit does when the pointer arrives over it.
void Enter(QWidget* button) {
    button->setAttribute(Qt::WA_UnderMouse, true);
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, button->mapTo(button->window(), inside), button->mapToGlobal(inside));
    QApplication::sendEvent(button, &enter);
}

// Counts the leave events a widget receives.
class TLeaveCounter : public QObject {
public:
    int leaves = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Leave) ++leaves;
        return false;
    }
};

// Runs a test with the application style named, then puts the previous one back.
class TStyleScope {
public:
    explicit TStyleScope(const QString& name) : previous_(QApplication::style()->name()) {
        QApplication::setStyle(QStyleFactory::create(name));
    }
    ~TStyleScope() { QApplication::setStyle(QStyleFactory::create(previous_)); }

private:
    QString previous_;
};

} // namespace

class TestL_EdtPos : public QObject {
    Q_OBJECT

private slots:
    void hoverDroppedWhenPointerIsElsewhere();
    void hoverKeptWhilePointerIsOver();
    void enteringAnotherButtonLeavesTheFirst();
    void destroyingTheHoveredButtonStopsTheTimer();
    void themePanelWithoutBevelsPaintsAsPlainPanel();
    void themePanelTakesEditColourAndGivesItBack_data();
    void themePanelTakesEditColourAndGivesItBack();

private:
    struct TBar {
        QWidget window;
        TAlignSpeedButton* first = new TAlignSpeedButton(&window);
        TAlignSpeedButton* second = new TAlignSpeedButton(&window);
        QLabel* label = new QLabel(u"ラベル"_s, &window);
        TBar() {
            auto* layout = new QHBoxLayout(&window);
            layout->addWidget(first);
            layout->addWidget(second);
            layout->addWidget(label);
            first->setText(u"１行挿入"_s);
            second->setText(u"１行削除"_s);
            window.show();
        }
    };
};

void TestL_EdtPos::hoverDroppedWhenPointerIsElsewhere() {
    TBar bar;
    QVERIFY(QTest::qWaitForWindowExposed(&bar.window));
    TLeaveCounter counter;
    bar.first->installEventFilter(&counter);
    QCursor::setPos(bar.label->mapToGlobal(QPoint(2, 2)));
    Enter(bar.first);
    QVERIFY(bar.first->underMouse());
    QVERIFY(TAlignSpeedButton::HoverTimer()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!bar.first->underMouse(), 400);
    QCOMPARE(counter.leaves, 1);
    QVERIFY(!TAlignSpeedButton::HoverTimer()->isActive());
}

void TestL_EdtPos::hoverKeptWhilePointerIsOver() {
    TBar bar;
    QVERIFY(QTest::qWaitForWindowExposed(&bar.window));
    QCursor::setPos(bar.first->mapToGlobal(QPoint(3, 3)));
    Enter(bar.first);
    QTest::qWait(3 * TAlignSpeedButton::HoverCheckInterval);
    QVERIFY(bar.first->underMouse());
    QVERIFY(TAlignSpeedButton::HoverTimer()->isActive());
}

void TestL_EdtPos::enteringAnotherButtonLeavesTheFirst() {
    TBar bar;
    QVERIFY(QTest::qWaitForWindowExposed(&bar.window));
    QCursor::setPos(bar.second->mapToGlobal(QPoint(3, 3)));
    Enter(bar.first);
    Enter(bar.second);
    QVERIFY(!bar.first->underMouse());
    QVERIFY(bar.second->underMouse());
}

void TestL_EdtPos::destroyingTheHoveredButtonStopsTheTimer() {
    TBar bar;
    QVERIFY(QTest::qWaitForWindowExposed(&bar.window));
    QCursor::setPos(bar.label->mapToGlobal(QPoint(2, 2)));
    Enter(bar.first);
    delete bar.first;
    QVERIFY(!TAlignSpeedButton::HoverTimer()->isActive());
    Enter(bar.second);
    QTRY_VERIFY_WITH_TIMEOUT(!bar.second->underMouse(), 400);
}

void TestL_EdtPos::themePanelWithoutBevelsPaintsAsPlainPanel() {
    QWidget parent;
    TNoPaintPanel plain(&parent);
    TThemePanelExt themed(&parent);
    for (TNoPaintPanel* panel : {&plain, static_cast<TNoPaintPanel*>(&themed)}) {
        panel->resize(217, 89);
        panel->SetBevelOuter(bvNone);
        panel->SetBevelInner(bvNone);
        panel->SetCaption(u"タイトル"_s);
        panel->SetColor(QColor(0xFF, 0xFF, 0xF4));
    }
    QCOMPARE(themed.grab().toImage(), plain.grab().toImage());
}

void TestL_EdtPos::themePanelTakesEditColourAndGivesItBack_data() {
    QTest::addColumn<bool>("ownColour");
    QTest::newRow("own colour") << true;
    QTest::newRow("parent's colour") << false;
}

void TestL_EdtPos::themePanelTakesEditColourAndGivesItBack() {
    QFETCH(bool, ownColour);
    TStyleScope fusion(u"Fusion"_s);
    QWidget parent;
    TThemePanelExt panel(&parent);
    panel.resize(217, 89);
    panel.SetBevelOuter(bvLowered);
    if (ownColour) panel.SetColor(Qt::yellow);
    const QColor before = panel.Color();

    panel.grab();
    QCOMPARE(panel.Color(), ThemedEditFillColor(&panel, TThemeState::ReadOnly));
    QVERIFY(panel.autoFillBackground());

    QApplication::setStyle(QStyleFactory::create(u"Windows"_s));
    QVERIFY(!VisualStylesInUse());
    panel.grab();
    QCOMPARE(panel.Color(), before);
    QCOMPARE(panel.autoFillBackground(), ownColour);
    QCOMPARE(panel.testAttribute(Qt::WA_SetPalette), ownColour);
}

QTEST_MAIN(TestL_EdtPos)
#include "test_L_EdtPos.moc"
