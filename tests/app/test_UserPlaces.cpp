#include "Platform.h"
#include "Unprivileged.h"
#include "UserPlaces.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

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
        QTest::newRow("owner may write") << 0755 << true;
    }

    void folderWritability() {
        QFETCH(int, mode);
        QFETCH(bool, writable);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string folder = dir.filePath(u"program"_s).toStdString();
        QVERIFY(mkdir(folder.c_str(), static_cast<mode_t>(mode)) == 0);
        QVERIFY(chmod(folder.c_str(), static_cast<mode_t>(mode)) == 0);
        // Root may write anywhere: the folder is asked about as its owner, an ordinary user.
        const std::optional<std::string> failure = testsupport::RunUnprivileged(
            [&]() -> std::string {
                return IsWritableFolder(folder) == writable ? "" : "wrong answer";
            },
            {dir.path().toStdString(), folder});
        if (!failure) QSKIP("cannot drop to an unprivileged user");
        QCOMPARE(QString::fromStdString(*failure), QString());
    }

    void buildFolderKeepsEverythingBesideTheProgram() {
        const TUserPlaces& places = UserPlaces();
        QCOMPARE(places.IniFileName, ProgramFolder() + "orvanix.ini");
        QCOMPARE(places.DefaultTableFile, ProgramFolder() + "orvanix.tbl");
    }
};

QTEST_MAIN(TestUserPlaces)
#include "test_UserPlaces.moc"
