#include "Platform.h"
#include "UserPlaces.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr uid_t Nobody = 65534;

// IsWritableFolder as an ordinary user sees it: root may write anywhere, so as root the check runs
// in a child that has given up root for the user nobody.
bool WritableForAnOrdinaryUser(const std::string& folder) {
    if (geteuid() != 0) return IsWritableFolder(folder);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(Nobody) != 0 || setuid(Nobody) != 0) _exit(2);
        _exit(IsWritableFolder(folder) ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        qFatal("the unprivileged check did not run");
    if (WEXITSTATUS(status) == 2) qFatal("could not give up root");
    return WEXITSTATUS(status) == 0;
}

} // namespace

class TestUserPlaces : public QObject {
    Q_OBJECT

private slots:
    void placesFollowTheProgramFolder_data() {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("dialogs");
        QTest::newRow("own folder") << true << u"/home/u/app/orvanix.ini"_s
                                    << u"/home/u/app/orvanix.tbl"_s << u"/home/u/app"_s;
        QTest::newRow("system folder") << false << u"/cfg/orvanix/orvanix.ini"_s
                                       << u"/data/orvanix/orvanix.tbl"_s << u"/home/u/文書"_s;
    }

    void placesFollowTheProgramFolder() {
        QFETCH(bool, writable);
        const TUserFolders user{"/cfg", "/data", u"/home/u/文書"_s.toStdString()};
        const TUserPlaces places = ChooseUserPlaces("/home/u/app/", writable, user);
        QTEST(QString::fromStdString(places.IniFileName), "ini");
        QTEST(QString::fromStdString(places.DefaultTableFile), "table");
        QTEST(QString::fromStdString(places.DialogFolder), "dialogs");
    }

    void folderWritability_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("writable");
        QTest::newRow("read-only") << 0555 << false;
        QTest::newRow("open to all") << 0777 << true;
    }

    void folderWritability() {
        QFETCH(int, mode);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // The unprivileged user must reach the folder to be asked about it.
        QVERIFY(chmod(dir.path().toLocal8Bit().constData(), 0755) == 0);
        const std::string folder = dir.filePath(u"program"_s).toStdString();
        QVERIFY(mkdir(folder.c_str(), 0700) == 0);
        QVERIFY(chmod(folder.c_str(), static_cast<mode_t>(mode)) == 0);
        QTEST(WritableForAnOrdinaryUser(folder), "writable");
    }

    void buildFolderKeepsEverythingBesideTheProgram() {
        const TUserPlaces& places = UserPlaces();
        QCOMPARE(places.IniFileName, ProgramFolder() + "orvanix.ini");
        QCOMPARE(places.DefaultTableFile, ProgramFolder() + "orvanix.tbl");
    }
};

QTEST_MAIN(TestUserPlaces)
#include "test_UserPlaces.moc"
