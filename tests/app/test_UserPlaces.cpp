#include "app/UserPlaces.h"
#include "text/Platform.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestUserPlaces : public QObject {
    Q_OBJECT

private slots:
    void placesFollowWhereTheProgramRuns_data() {
        QTest::addColumn<bool>("fromBuildFolder");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("table");
        QTest::newRow("build folder") << true << u"/home/u/src/build/bin/orvanix.ini"_s
                                      << u"/home/u/src/build/bin/orvanix.tbl"_s;
        QTest::newRow("installed copy")
            << false << u"/cfg/orvanix/orvanix.ini"_s << u"/data/orvanix/orvanix.tbl"_s;
    }

    // The dialogs never start in a program folder.
    void placesFollowWhereTheProgramRuns() {
        QFETCH(bool, fromBuildFolder);
        const TUserFolders user{"/cfg", "/data", u"/home/u/文書"_s.toStdString()};
        const TUserPlaces places =
            ChooseUserPlaces("/home/u/src/build/bin/", fromBuildFolder, user);
        QTEST(QString::fromStdString(places.IniFileName), "ini");
        QTEST(QString::fromStdString(places.DefaultTableFile), "table");
        QCOMPARE(QString::fromStdString(places.DialogFolder), u"/home/u/文書"_s);
    }

    void buildFolderKeepsEverythingBesideTheProgram() {
        const TUserPlaces& places = UserPlaces();
        QCOMPARE(places.IniFileName, ProgramFolder() + "orvanix.ini");
        QCOMPARE(places.DefaultTableFile, ProgramFolder() + "orvanix.tbl");
    }
};

QTEST_MAIN(TestUserPlaces)
#include "test_UserPlaces.moc"
