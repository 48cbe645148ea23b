#include "FormTestSupport.h"
#include "app/Startup.h"
#include "dialogs/L_Dialog.h"

#include <QTimer>
#include <QtTest>

#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// An object whose every event handler fails the way `Throw` says.
class TFailingObject : public QObject {
public:
    std::function<void()> Throw;

    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) Throw();
        return QObject::event(event);
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { formtest::FailOnUnexpectedBoxes(); }

    void init() {
        TMsgDlg::ClearQueuedAnswers();
        TMsgDlg::TakeAnsweredBoxes();
    }

    void escapedExceptionIsShown_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("standard exception") << 0 << u"ファイルが壊れています"_s;
        QTest::newRow("anything else") << 1 << u"不明なエラーが発生しました。"_s;
    }

    void escapedExceptionIsShown() {
        QFETCH(int, kind);
        TFailingObject object;
        object.Throw = [kind] {
            if (kind == 0) throw std::runtime_error("ファイルが壊れています");
            throw 42;
        };
        TMsgDlg::QueueAnswer(mrOk);
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&object, &event));
        const std::vector<TMsgDlgRecord> boxes = TMsgDlg::TakeAnsweredBoxes();
        QCOMPARE(boxes.size(), size_t(1));
        QTEST(boxes[0].Text, "text");
        QCOMPARE(boxes[0].Title, u"エラー"_s);
        QCOMPARE(boxes[0].DlgType, mtError);
    }

    void programGoesOnAfterAFailingTimer() {
        QTimer failing;
        failing.setSingleShot(true);
        connect(&failing, &QTimer::timeout, [] { throw std::runtime_error("timer"); });
        bool later = false;
        TMsgDlg::QueueAnswer(mrOk);
        failing.start(0);
        QTimer::singleShot(20, [&later] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(TMsgDlg::TakeAnsweredBoxes().size(), size_t(1));
    }

    void platformQueries() {
        QVERIFY(ColorDepth() > 8);
        QVERIFY(!IsShiftDown());
        // The version text of the project's version 1.0.0.0.
        QCOMPARE(VersionText, std::string("1.00"));
    }
};

// The program's own application object runs the tests, so that its event handling is tested.
int main(int argc, char** argv) {
    TOrvanixApplication application(argc, argv);
    TestStartup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_Startup.moc"
