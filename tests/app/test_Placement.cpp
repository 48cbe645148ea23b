#include "SystemCallFaults.h"
#include "Unprivileged.h"
#include "app/L_CtlSize.h"
#include "app/L_Sizeing.h"
#include "app/Settings.h"
#include "text/CodePage.h"

#include <QCloseEvent>
#include <QFile>
#include <QScopeGuard>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <unistd.h>

// Two screens side by side: a desktop of 2304 × 1024 whose right part is only 768 high.
static void UseTwoScreens() {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" ORVANIX_TEST_DATA "/two_screens.json");
}
Q_CONSTRUCTOR_FUNCTION(UseTwoScreens)

using namespace Qt::StringLiterals;

namespace {

const QString NotSaved = u"設定ファイル orvanix.ini が保存できません。\r\n"
                         u"フォルダにアクセス権があるか確認してください。"_s;

// Wired as the editor's main window: placement restored after creation, settings read when the
// window is shown and written when it closes.
class TStandInForm : public QWidget {
public:
    explicit TStandInForm(const QString& iniPath, bool allowClose = true)
        : path(iniPath.toStdString()), allowClose_(allowClose) {
        setObjectName("MiniForm");
        setGeometry(184, 149, 819, 602);
        settings.ColWidths = {400, 90, 400, 400};
        ControlSize = new TControlSize(this);
        ControlSize->SetControl(this);
        ControlSize->SetIniFile(path);
        ControlSize->OwnerCreated();
    }

    TControlSize* ControlSize;
    TEditorSettings settings;
    std::optional<std::string> saveMessage;
    std::string path;

protected:
    void showEvent(QShowEvent*) override {
        settings.OpenLastFile = true;
        LoadSaveSettings(imRead, settings, path);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!allowClose_) return event->ignore();
        saveMessage = LoadSaveSettings(imWrite, settings, path);
    }

private:
    bool allowClose_;
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray StoredSection(const QRect& r, int state = 0) {
    return QStringLiteral("[Sz_MiniForm]\r\nszWindowState=%1\r\nszLeft=%2\r\nszTop=%3\r\n"
                          "szWidth=%4\r\nszHeight=%5\r\n\r\n")
        .arg(state)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toLatin1();
}

} // namespace

class TestPlacement : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString ini_;

private slots:
    void init() {
        ini_ = dir_.filePath("orvanix.ini");
        QFile::remove(ini_);
    }

    void firstStartWithoutFile() {
        auto* form = new TStandInForm(ini_);
        QCOMPARE(form->geometry(), QRect(184, 149, 819, 602));
        form->show();
        QVERIFY(form->settings.OpenLastFile);
        QCOMPARE(form->settings.ColWidths, std::vector<int>({400, 90, 400, 400}));
        QVERIFY(form->close());
        QVERIFY(!form->saveMessage);
        const QByteArray expected =
            "[Environ]\r\nLastOpen=1\r\nDefFileName=\r\n\r\n"
            "[Grid]\r\nCol_0=400\r\nCol_1=90\r\nCol_2=400\r\nCol_3=400\r\n\r\n" +
            StoredSection(QRect(184, 149, 819, 602));
        QCOMPARE(ReadAll(ini_), expected);
        delete form;
        QCOMPARE(ReadAll(ini_), expected);
    }

    // The window's frame must fit too; before it is shown, a title bar of the style's height
    // stands for it.
    static int TitleBar() { return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight); }

    void storedBoundsFitDesktop_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("inside") << QRect(100, 50, 700, 500) << QRect(100, 50, 700, 500);
        QTest::newRow("partly off the right")
            << QRect(2000, 100, 819, 602) << QRect(1485, 100, 819, 602);
        QTest::newRow("on a removed monitor")
            << QRect(3000, 1500, 819, 602) << QRect(1485, 422 - TitleBar(), 819, 602);
        QTest::newRow("above and left") << QRect(-300, -40, 819, 602) << QRect(0, 0, 819, 602);
        QTest::newRow("wider than the desktop")
            << QRect(10, 10, 5000, 600) << QRect(0, 10, 2304, 600);
        QTest::newRow("taller than the desktop")
            << QRect(10, 10, 800, 2000) << QRect(10, 0, 800, 1024 - TitleBar());
    }

    void storedBoundsFitDesktop() {
        QFETCH(QRect, stored);
        QFETCH(QRect, expected);
        WriteAll(ini_, StoredSection(stored));
        TStandInForm form(ini_);
        QCOMPARE(form.geometry(), expected);
        QVERIFY(!form.isMaximized());
    }

    void extremeStoredBoundsStayOnDesktop_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("largest int everywhere")
            << QByteArray("szLeft=2147483647\r\nszTop=2147483647\r\nszWidth=2147483647\r\n"
                          "szHeight=2147483647")
            << QRect(0, 0, 2304, 1024 - TitleBar());
        QTest::newRow("largest place, hexadecimal")
            << QByteArray("szLeft=$7FFFFFFF\r\nszTop=0x7FFFFFFF\r\nszWidth=819\r\nszHeight=602")
            << QRect(1485, 422 - TitleBar(), 819, 602);
        QTest::newRow("smallest place")
            << QByteArray("szLeft=-2147483648\r\nszTop=-2147483648\r\nszWidth=819\r\n"
                          "szHeight=602")
            << QRect(0, 0, 819, 602);
    }

    void extremeStoredBoundsStayOnDesktop() {
        QFETCH(QByteArray, stored);
        WriteAll(ini_, "[Sz_MiniForm]\r\n" + stored + "\r\n");
        TStandInForm form(ini_);
        QTEST(form.geometry(), "expected");
    }

    void maximizedWindowKeepsItsNormalBounds() {
        const QRect normal(200, 100, 700, 500);
        {
            TStandInForm form(ini_);
            form.setGeometry(normal);
            form.showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(form.geometry() != normal);
            QVERIFY(form.close());
        }
        QVERIFY(ReadAll(ini_).endsWith(StoredSection(normal, 1)));

        TStandInForm form(ini_);
        QCOMPARE(form.geometry(), normal);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.isMaximized());
        QCOMPARE(form.geometry(), QRect(0, 0, 1280, 1024));
        QCOMPARE(NormalBounds(&form), normal);
    }

    void settingsRead_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("openLastFile");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<std::vector<int>>("widths");
        const std::vector<int> created{400, 90, 400, 400};
        QTest::newRow("no file") << QByteArray() << true << "current.tbl" << created;
        QTest::newRow("last open off")
            << QByteArray("[Environ]\r\nLastOpen=0\r\nDefFileName=/n.tbl") << false << "current.tbl"
            << created;
        QTest::newRow("last open on") << QByteArray("[environ]\r\nlastopen=1\r\ndeffilename=/n.tbl")
                                      << true << "/n.tbl" << created;
        QTest::newRow("empty file name")
            << QByteArray("[Environ]\r\nDefFileName=") << true << "" << created;
        QTest::newRow("abc for a width") << QByteArray("[Grid]\r\nCol_1=abc\r\nCol_2=$80") << true
                                         << "current.tbl" << std::vector<int>{400, 90, 128, 400};
    }

    void settingsRead() {
        QFETCH(QByteArray, file);
        if (!file.isEmpty()) WriteAll(ini_, file);
        TEditorSettings settings{true, "current.tbl", {400, 90, 400, 400}};
        QVERIFY(!LoadSaveSettings(imRead, settings, ini_.toStdString()));
        QTEST(settings.OpenLastFile, "openLastFile");
        QTEST(QString::fromStdString(settings.FileName), "fileName");
        QTEST(settings.ColWidths, "widths");
    }

    // The last file's path is the file system's bytes (UTF-8), which the settings file keeps as
    // they are, also where a byte looks like a code page 932 lead byte (ニ ends in 0x8B).
    void lastFileNameKeepsTheFileSystemsBytes() {
        for (const std::string path :
             {"/サイト/ニュース.tbl", "/café/Проекты/n.tbl", "/x/ニ", "/x/ニ=ニ]/[n].tbl"}) {
            TEditorSettings written{true, path, {400, 90, 400, 400}};
            QVERIFY(!LoadSaveSettings(imWrite, written, ini_.toStdString()));
            TEditorSettings read{true, "", {400, 90, 400, 400}};
            QVERIFY(!LoadSaveSettings(imRead, read, ini_.toStdString()));
            QCOMPARE(read.FileName, path);
        }
    }

    void lastOpenOffStillWritesFileNameAndKeepsOtherSections() {
        WriteAll(ini_, "; by hand\r\n[Other]\r\nkeep=yes\r\n[Environ]\r\nDefFileName=/old.tbl\r\n"
                       "LastOpen=0\r\n");
        TEditorSettings settings{true, "", {400, 90, 400, 400}};
        LoadSaveSettings(imRead, settings, ini_.toStdString());
        QCOMPARE(settings.FileName, std::string());
        settings.FileName = Utf8ToCp932("/サイト/ニュース.tbl").value();
        QVERIFY(!LoadSaveSettings(imWrite, settings, ini_.toStdString()));
        const std::string expected =
            "; by hand\r\n[Other]\r\nkeep=yes\r\n\r\n[Environ]\r\n"
            "DefFileName=" +
            settings.FileName +
            "\r\nLastOpen=0\r\n\r\n"
            "[Grid]\r\nCol_0=400\r\nCol_1=90\r\nCol_2=400\r\nCol_3=400\r\n\r\n";
        QCOMPARE(ReadAll(ini_).toStdString(), expected);
    }

    void failedSaveIsReportedAndWindowCloses_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("reason");
        QTest::newRow("target is a folder")
            << "folder" << u"フォルダです。ファイルではありません。"_s;
        QTest::newRow("target marked read-only")
            << "read-only" << u"アクセスの権限がありません。"_s;
        QTest::newRow("folder missing")
            << "missing" << u"ファイルまたはフォルダが見つかりません。"_s;
        QTest::newRow("write-protected folder") << "protected" << u"アクセスの権限がありません。"_s;
    }

    void failedSaveIsReportedAndWindowCloses() {
        QFETCH(QString, failure);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        QString path = folder.filePath("orvanix.ini");
        const QByteArray before = "[Environ]\r\nLastOpen=0\r\n\r\n";
        const QString expected = NotSaved + u"\r\n"_s + reason;
        if (failure == "folder") QVERIFY(QDir(folder.path()).mkdir("orvanix.ini"));
        if (failure == "missing") path = folder.filePath("gone/orvanix.ini");
        if (failure == "read-only" || failure == "protected") WriteAll(path, before);
        if (failure == "read-only")
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther);
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(folder.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        if (failure == "protected" && geteuid() == 0) {
            // Permission bits bind only an unprivileged user: the settings' own save is checked
            // as one; the window's part is the same as in the other rows.
            const std::optional<std::string> mismatch = testsupport::RunUnprivileged(
                [&]() -> std::string {
                    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
                    TEditorSettings settings;
                    const QString message = QString::fromStdString(Cp932ToUtf8(
                        LoadSaveSettings(imWrite, settings, path.toStdString()).value_or("")));
                    return message == expected ? "" : message.toStdString();
                },
                {folder.path().toStdString(), path.toStdString()});
            if (!mismatch) QSKIP("cannot drop to an unprivileged user");
            QCOMPARE(*mismatch, std::string());
            QCOMPARE(ReadAll(path), before);
            return;
        }
        if (failure == "protected")
            QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);

        TStandInForm form(path);
        form.show();
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
        QCOMPARE(QString::fromStdString(Cp932ToUtf8(form.saveMessage.value_or(""))), expected);
        if (failure == "read-only" || failure == "protected") QCOMPARE(ReadAll(path), before);
    }

    // Writing the settings back without the file's current content would drop its other
    // sections: a read that fails stops the save, and the message says why.
    void settingsSaveAfterAFailedReadLeavesTheFile() {
        const QByteArray before = "[Other]\r\nkeep=1\r\n\r\n";
        WriteAll(ini_, before);
        TEditorSettings settings{true, "x.tbl", {400}};
        FailNextCall(TSystemCall::Read, EIO);
        const std::optional<std::string> message =
            LoadSaveSettings(imWrite, settings, ini_.toStdString());
        QVERIFY(DisarmCalls());
        QCOMPARE(QString::fromStdString(Cp932ToUtf8(message.value_or(""))),
                 NotSaved + u"\r\n入出力エラーが発生しました。"_s);
        QCOMPARE(ReadAll(ini_), before);
    }

    void placementSectionMovesToEndOnEverySave() {
        WriteAll(ini_, StoredSection(QRect(10, 20, 500, 400)) + "[Other]\r\nkeep=1\r\n\r\n");
        {
            TStandInForm form(ini_);
            form.show();
            form.setGeometry(30, 40, 600, 450);
            QVERIFY(form.close());
        }
        QCOMPARE(ReadAll(ini_), "[Other]\r\nkeep=1\r\n\r\n[Environ]\r\nLastOpen=1\r\n"
                                "DefFileName=\r\n\r\n[Grid]\r\nCol_0=400\r\nCol_1=90\r\n"
                                "Col_2=400\r\nCol_3=400\r\n\r\n" +
                                    StoredSection(QRect(30, 40, 600, 450)));
    }

    void loadsAfterCreationOrAtShow_data() {
        QTest::addColumn<bool>("sizeOnShow");
        QTest::addColumn<QString>("afterCreation");
        QTest::newRow("at creation") << false << "create load start";
        QTest::newRow("at show") << true << "";
    }

    void loadsAfterCreationOrAtShow() {
        QFETCH(bool, sizeOnShow);
        QFETCH(QString, afterCreation);
        WriteAll(ini_, StoredSection(QRect(300, 200, 500, 400)));
        QWidget form;
        form.setObjectName("MiniForm");
        form.setGeometry(184, 149, 819, 602);
        QStringList log;
        auto* size = new TControlSize(&form);
        size->SetControl(&form);
        size->SetIniFile(ini_.toStdString());
        size->SetSizeOnShow(sizeOnShow);
        size->OnCreate = [&](QObject*) { log << "create"; };
        size->OnStart = [&](QObject*) {
            log << (form.geometry() == QRect(300, 200, 500, 400) ? "load" : "none") << "start";
        };
        size->OwnerCreated();
        QCOMPARE(log.join(' '), afterCreation);
        form.show();
        QCOMPARE(log.join(' '), "create load start");
    }

    void placementStoredOnlyWhenCloseGoesAhead() {
        WriteAll(ini_, StoredSection(QRect(300, 200, 500, 400)));
        auto* form = new TStandInForm(ini_, false);
        form->show();
        form->setGeometry(310, 210, 500, 400);
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        QCOMPARE(ReadAll(ini_), StoredSection(QRect(300, 200, 500, 400)));

        form->ControlSize->SetManual(true);
        bool destroyedFirst = false;
        form->ControlSize->OnDestroy = [&](QObject*) {
            destroyedFirst = ReadAll(ini_) == StoredSection(QRect(300, 200, 500, 400));
        };
        delete form;
        QVERIFY(destroyedFirst);
        QCOMPARE(ReadAll(ini_), StoredSection(QRect(310, 210, 500, 400)));
    }

    void controlPlacement_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("all") << int(cssAll) << false << QRect(20, 30, 400, 40)
                             << QByteArray("szVisible=0\r\nszLeft=20\r\nszTop=30\r\nszWidth=400\r\n"
                                           "szHeight=40\r\n");
        QTest::newRow("size") << int(cssSize) << true << QRect(20, 30, 400, 40)
                              << QByteArray(
                                     "szLeft=20\r\nszTop=30\r\nszWidth=400\r\nszHeight=40\r\n"
                                     "szVisible=1\r\n");
        QTest::newRow("visible") << int(cssVisible) << false << QRect(10, 10, 100, 50)
                                 << QByteArray("szVisible=0\r\n");
    }

    void controlPlacement() {
        QFETCH(int, style);
        WriteAll(ini_, "[Sz_Panel]\r\nszVisible=0\r\nszLeft=20\r\nszTop=30\r\nszWidth=5000\r\n"
                       "szHeight=40\r\n");
        QWidget parent;
        parent.resize(400, 300);
        QWidget panel(&parent);
        panel.setObjectName("Panel");
        panel.setGeometry(10, 10, 100, 50);
        TIniFile ini = OpenIniNow(ini_.toStdString());
        std::string section;
        IniPlacement(ini, &panel, section, TControlSizeStyle(style), imRead);
        QCOMPARE(section, std::string("Sz_Panel"));
        QTEST(!panel.isHidden(), "visible");
        QTEST(panel.geometry(), "bounds");
        IniPlacement(ini, &panel, section, TControlSizeStyle(style), imWrite);
        QVERIFY(FlushIni(ini).Ok());
        QFETCH(QByteArray, written);
        QCOMPARE(ReadAll(ini_), "[Sz_Panel]\r\n" + written + "\r\n");
    }

    void centredOnWorkArea_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("third of the way down")
            << QRect(0, 0, 1280, 1024) << QSize(819, 602) << QPoint(230, 140);
        QTest::newRow("larger than the area truncates towards zero")
            << QRect(0, 0, 800, 600) << QSize(1001, 701) << QPoint(-100, -33);
    }

    void centredOnWorkArea() {
        QFETCH(QRect, area);
        QFETCH(QSize, size);
        QTEST(CenteredOnWorkArea(area, size), "expected");
    }

    // A screen at 200% leaves a 1600 × 1000 desktop 800 × 500 to lay out in.
    void fittedToWorkArea_data() {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("fits") << QRect(0, 0, 1280, 1024) << QSize(2, 24) << QSize(819, 602)
                              << QSize(819, 602);
        QTest::newRow("too large at 200%")
            << QRect(0, 14, 800, 472) << QSize(2, 24) << QSize(819, 602) << QSize(798, 448);
        QTest::newRow("no room at all")
            << QRect(0, 0, 1, 1) << QSize(2, 24) << QSize(819, 602) << QSize(0, 0);
    }

    void fittedToWorkArea() {
        QFETCH(QRect, area);
        QFETCH(QSize, frame);
        QFETCH(QSize, size);
        QTEST(FittedToWorkArea(area, frame, size), "expected");
    }

    void screenCentreOnlyBeforeFirstLoad() {
        QWidget form;
        form.setObjectName("MiniForm");
        form.resize(819, 602);
        TControlSize size(&form);
        size.SetControl(&form);
        size.SetIniFile(ini_.toStdString());
        size.SetScreenSenter(true);
        QVERIFY(size.LoadSave(imRead).Ok());
        QCOMPARE(form.geometry(), QRect(230, 140, 819, 602));
        form.move(0, 0);
        QVERIFY(size.LoadSave(imRead).Ok());
        QCOMPARE(form.pos(), QPoint(0, 0));
    }

    void unreadableFileFallsBackToDirectAccess() {
        WriteAll(ini_, "[A]\r\nx=1\r\n");
        QFile::setPermissions(ini_, QFile::WriteOwner);
        const std::optional<std::string> failure = testsupport::RunUnprivileged(
            [&]() -> std::string {
                const auto start = std::chrono::steady_clock::now();
                QObject context;
                std::optional<bool> writeThrough;
                OpenIniRetry(ini_.toStdString(), &context,
                             [&](TIniFile& ini) { writeThrough = ini.WriteThrough(); });
                if (writeThrough) return "no retries";
                // The retries wait on timers: the event loop goes on meanwhile.
                if (!QTest::qWaitFor([&] { return writeThrough.has_value(); }, 5000))
                    return "never opened";
                if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(400))
                    return "retries too soon";
                return *writeThrough ? "" : "not in write-through mode";
            },
            {dir_.path().toStdString(), ini_.toStdString()});
        QFile::setPermissions(ini_, QFile::ReadOwner | QFile::WriteOwner);
        if (!failure) QSKIP("cannot drop to an unprivileged user");
        QCOMPARE(*failure, std::string());
    }
};

QTEST_MAIN(TestPlacement)
#include "test_Placement.moc"
