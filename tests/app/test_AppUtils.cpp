// Hand-overs to outside programs, with the desktop replaced by recorders.

#include "app/AppUtils.h"
#include "dialogs/L_Dialog.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

class TestAppUtils : public QObject {
    Q_OBJECT

    struct Launch {
        QString program;
        QStringList arguments;
    };
    QList<Launch> launches_;
    QList<QUrl> urls_;
    QList<TMsgDlgRecord> boxes_;
    bool launchSucceeds_ = true;

private slots:
    void init() {
        launches_.clear();
        urls_.clear();
        launchSucceeds_ = true;
        boxes_.clear();
        TMsgDlg::SetUnqueuedBoxHandler([this](const TMsgDlgRecord& box) {
            boxes_.append(box);
            return int(mrOk);
        });
        SetProgramLauncher(
            [this](const QString& program, const QStringList& arguments, const TStartFailure&) {
                launches_.append({program, arguments});
                return launchSucceeds_ ? QString() : QStringLiteral("no such program");
            });
        SetUrlOpener([this](const QUrl& url) {
            urls_.append(url);
            return QString();
        });
    }

    void execMapsProgramsToTheDesktop_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("browser") << "iexplore.exe"
                                 << "/tmp/news.xml"
                                 << "xdg-open" << QStringList{"/tmp/news.xml"};
        QTest::newRow("editor") << "notepad.exe"
                                << "/opt/orvanix/orvanix.txt"
                                << "xdg-open" << QStringList{"/opt/orvanix/orvanix.txt"};
        QTest::newRow("upper case") << "NOTEPAD.EXE"
                                    << "a b.txt"
                                    << "xdg-open" << QStringList{"a b.txt"};
        QTest::newRow("other program") << "gedit"
                                       << ""
                                       << "gedit" << QStringList{};
        QTest::newRow("no shell") << "sh"
                                  << "x; rm -rf ~"
                                  << "sh" << QStringList{"x; rm -rf ~"};
    }
    void execMapsProgramsToTheDesktop() {
        QFETCH(QString, program);
        QFETCH(QString, parameter);
        QFETCH(QString, started);
        QFETCH(QStringList, arguments);
        QCOMPARE(ExecProgram(program, parameter), ExecSucceeded);
        QCOMPARE(launches_.size(), 1);
        QCOMPARE(launches_[0].program, started);
        QCOMPARE(launches_[0].arguments, arguments);
    }

    void failedStartShowsTheErrorBox() {
        launchSucceeds_ = false;
        QCOMPARE(ExecProgram("missing-program", "x"), ExecFileNotFound);
        QCOMPARE(boxes_.size(), 1);
        QCOMPARE(boxes_[0].Text,
                 QStringLiteral("指定のプロセスは実行出来ませんでした。Er=2\r\nno such program"));
        QCOMPARE(boxes_[0].Title, QStringLiteral("エラー"));
        QCOMPARE(boxes_[0].DlgType, mtError);
    }

    // The desktop's launcher itself, with real programs: what the user is told about a program
    // that does not run, and the way out a caller takes when the desktop's opener gives up.
    void watchedProgramReportsFailures_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QString>("box"); // the error box's text once it ended, "" for none
        const QString box = QStringLiteral("指定のプロセスは実行出来ませんでした。");
        QTest::newRow("runs and succeeds") << QStringList{"true"} << true << "";
        QTest::newRow("missing") << QStringList{"orvanix-no-such-program"} << false << "";
        QTest::newRow("exits at once with its reason")
            << QStringList{"sh", "-c", "echo first >&2; echo 'no method available' >&2; exit 3"}
            << true << box + "Er=3\r\nno method available";
        QTest::newRow("reason without a line break")
            << QStringList{"sh", "-c", "printf 'cannot open display' >&2; exit 4"} << true
            << box + "Er=4\r\ncannot open display";
    }
    void watchedProgramReportsFailures() {
        QFETCH(QStringList, command);
        QFETCH(bool, started);
        QFETCH(QString, box);
        const QString program = command.takeFirst();
        QCOMPARE(StartWatchedProgram(program, command).isEmpty(), started);
        const auto shown = [this] { return boxes_.isEmpty() ? QString() : boxes_[0].Text; };
        QTRY_COMPARE_WITH_TIMEOUT(shown(), box, 5000);
    }

    // Instead of the error box, the caller's own way out when the desktop's opener gives up.
    void openWithDesktopFallsBack_data() {
        QTest::addColumn<QString>("opener"); // the desktop's opener, a shell script; "" for none
        QTest::newRow("no program for the file")
            << "echo 'xdg-open: no method available for opening' >&2; exit 3";
        QTest::newRow("no opener") << "";
    }
    void openWithDesktopFallsBack() {
        QFETCH(QString, opener);
        QTemporaryDir bin;
        if (!opener.isEmpty()) {
            QFile script(bin.filePath("xdg-open"));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(("#!/bin/sh\n" + opener + "\n").toUtf8());
            script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit());
        SetProgramLauncher(StartWatchedProgram);
        bool fellBack = false;
        OpenWithDesktop("/opt/orvanix/orvanix.txt", [&fellBack] { fellBack = true; });
        qputenv("PATH", path);
        QTRY_VERIFY_WITH_TIMEOUT(fellBack, 5000);
        QVERIFY(boxes_.isEmpty());
    }

    void cleanup() { TMsgDlg::SetUnqueuedBoxHandler({}); }

    void openWithShellHandsOverAddresses() {
        OpenWithShell(
            "https://validator.w3.org/feed/check.cgi?url=https%3A%2F%2Fa.example%2Fn.rdf");
        OpenWithShell("/home/user/ニュース.xml");
        QCOMPARE(urls_.size(), 2);
        QCOMPARE(
            urls_[0].toString(QUrl::FullyEncoded),
            QStringLiteral(
                "https://validator.w3.org/feed/check.cgi?url=https%3A%2F%2Fa.example%2Fn.rdf"));
        QCOMPARE(urls_[1].toLocalFile(), QStringLiteral("/home/user/ニュース.xml"));
    }
};

QTEST_MAIN(TestAppUtils)
#include "test_AppUtils.moc"
