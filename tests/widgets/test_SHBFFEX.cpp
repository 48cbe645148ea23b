#include "widgets/Cp932Text.h"
#include "widgets/SHBFFEX.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Runs `action` on the folder dialog as soon as it is up.
void WhenDialogIsUp(std::function<void(TBrowseFolderDialog*)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto* dialog = qobject_cast<TBrowseFolderDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll->deleteLater();
        poll->stop();
        action(dialog);
    });
    poll->start(10);
}

// Presses OK when it is enabled, else Cancel.
void Answer(TBrowseFolderDialog* dialog) {
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    (ok->isEnabled() ? ok : buttons->button(QDialogButtonBox::Cancel))->click();
}

} // namespace

class TestSHBrowseForFolderEx : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { TSHBrowseForFolderEx::ClearQueuedAnswers(); }

    void centerScreenPosition_data();
    void centerScreenPosition();
    void folderFallbacks_data();
    void folderFallbacks();
    void dialogChoosesFolder_data();
    void dialogChoosesFolder();
    void statusText_data();
    void statusText();
    void okGreyedByEvent();
    void viewStaysWhereTheUserPutIt();
    void renderGallery();

private:
    QString Path(const QString& relative) const { return temp_.filePath(relative); }
    QTemporaryDir temp_;
};

void TestSHBrowseForFolderEx::initTestCase() {
    QVERIFY(temp_.isValid());
    for (const QString& folder : {u"site/news"_s, u"site/locked"_s, u"ニュース"_s})
        QVERIFY(QDir(temp_.path()).mkpath(folder));
    QFile file(Path(u"news.tbl"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

void TestSHBrowseForFolderEx::centerScreenPosition_data() {
    QTest::addColumn<QRect>("workArea");
    QTest::addColumn<QSize>("dialog");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("1024x738") << QRect(0, 0, 1024, 738) << QSize(400, 300) << QPoint(312, 146);
    QTest::newRow("halves truncated")
        << QRect(0, 0, 801, 602) << QSize(400, 300) << QPoint(200, 100);
    QTest::newRow("work area beside a panel")
        << QRect(60, 27, 1860, 1053) << QSize(400, 300) << QPoint(790, 278);
    QTest::newRow("dialog larger than area")
        << QRect(0, 0, 300, 200) << QSize(400, 300) << QPoint(-50, -33);
}

void TestSHBrowseForFolderEx::centerScreenPosition() {
    QFETCH(QRect, workArea);
    QFETCH(QSize, dialog);
    QTEST(CenterScreenPosition(workArea, dialog), "expected");
}

void TestSHBrowseForFolderEx::folderFallbacks_data() {
    QTest::addColumn<bool>("root"); // the root folder rather than the initial selection
    QTest::addColumn<bool>("manual");
    QTest::addColumn<QString>("name"); // "~" stands for the temporary folder
    QTest::addColumn<QString>("expected");
    QTest::newRow("existing folder") << false << true << u"~/site"_s << u"~/site"_s;
    QTest::newRow("trailing slash") << false << true << u"~/site/news/"_s << u"~/site/news"_s;
    QTest::newRow("Japanese name") << false << true << u"~/ニュース"_s << u"~/ニュース"_s;
    QTest::newRow("file") << false << true << u"~/news.tbl"_s << u"/"_s;
    QTest::newRow("nothing there") << false << true << u"~/missing"_s << u"/"_s;
    QTest::newRow("empty") << false << true << QString() << u"/"_s;
    QTest::newRow("relative") << false << true << u"site"_s << u"/"_s;
    QTest::newRow("name ignored unless manual") << false << false << u"~/site"_s << u"/"_s;
    QTest::newRow("root folder") << true << true << u"~/site"_s << u"~/site"_s;
    QTest::newRow("root file") << true << true << u"~/news.tbl"_s << u"/"_s;
}

void TestSHBrowseForFolderEx::folderFallbacks() {
    QFETCH(bool, root);
    QFETCH(bool, manual);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const std::string cp932Name = ToCp932(QString(name).replace(u'~', temp_.path()));
    TSHBrowseForFolderEx browser;
    if (root) {
        browser.RootFolder = manual ? rfManual : rfDrives;
        browser.RootFolderName = cp932Name;
    } else {
        browser.SelectFolder = manual ? sfManual : sfDrives;
        browser.SelectFolderName = cp932Name;
    }
    const QString resolved = root ? browser.RootPath() : browser.InitialSelectionPath();
    QCOMPARE(resolved, expected.replace(u'~', temp_.path()));
}

void TestSHBrowseForFolderEx::dialogChoosesFolder_data() {
    QTest::addColumn<QString>("root"); // relative to the temporary folder; empty: "/"
    QTest::addColumn<QString>("select");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expected");
    QTest::newRow("initial folder chosen") << QString() << u"site/news"_s << true << u"site/news"_s;
    QTest::newRow("Japanese folder") << QString() << u"ニュース"_s << true << u"ニュース"_s;
    QTest::newRow("within a manual root") << u"site"_s << u"site/news"_s << true << u"site/news"_s;
    QTest::newRow("outside the root: root") << u"site"_s << u"ニュース"_s << true << u"site"_s;
    QTest::newRow("cancel") << QString() << u"site"_s << false << QString();
}

void TestSHBrowseForFolderEx::dialogChoosesFolder() {
    QFETCH(QString, root);
    QFETCH(QString, select);
    QFETCH(bool, ok);
    QFETCH(QString, expected);
    TSHBrowseForFolderEx browser;
    browser.RootFolder = root.isEmpty() ? rfDesktop : rfManual;
    browser.RootFolderName = ToCp932(Path(root));
    browser.SelectFolder = sfManual;
    browser.SelectFolderName = ToCp932(Path(select));
    TSHBrowseForFolderEx::QueueAnswer(ToCp932(Path(u"site"_s)));
    browser.Execute(); // a result the next Execute must clear
    WhenDialogIsUp([ok](TBrowseFolderDialog* dialog) {
        if (ok)
            Answer(dialog);
        else
            dialog->reject();
    });
    QCOMPARE(browser.Execute(), ok);
    QCOMPARE(FromCp932(browser.Folder()), expected.isEmpty() ? QString() : Path(expected));
    QCOMPARE(FromCp932(browser.DisplayName()), expected.section(u'/', -1));
}

void TestSHBrowseForFolderEx::statusText_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("showsPath");
    QTest::newRow("event's text") << int(sboStatusText) << false;
    QTest::newRow("path overrides event") << int(sboStatusTextAndShowPath) << true;
}

void TestSHBrowseForFolderEx::statusText() {
    QFETCH(int, option);
    QFETCH(bool, showsPath);
    TSHBrowseForFolderEx browser;
    browser.Options = {TSHBrowseOption(option)};
    browser.SelectFolder = sfManual;
    browser.SelectFolderName = ToCp932(Path(u"site"_s));
    browser.OnSelectionChanged = [](QObject*, QWidget*, const std::string&, std::string& showText,
                                    TOKButtonState&) { showText = ToCp932(u"保存先"_s); };
    QStringList texts;
    WhenDialogIsUp([&](TBrowseFolderDialog* dialog) {
        texts << dialog->StatusText();
        dialog->SelectPath(Path(u"ニュース"_s));
        texts << dialog->StatusText();
        dialog->reject();
    });
    browser.Execute();
    const QStringList expected = showsPath ? QStringList{Path(u"site"_s), Path(u"ニュース"_s)}
                                           : QStringList{u"保存先"_s, u"保存先"_s};
    QCOMPARE(texts, expected);
}

void TestSHBrowseForFolderEx::okGreyedByEvent() {
    TSHBrowseForFolderEx browser;
    browser.SelectFolder = sfManual;
    browser.SelectFolderName = ToCp932(Path(u"site/locked"_s));
    QObject* sender = nullptr;
    QWidget* wnd = nullptr;
    browser.OnSelectionChanged = [&](QObject* Sender, QWidget* Wnd, const std::string& Path,
                                     std::string&, TOKButtonState& OKButtonState) {
        sender = Sender;
        wnd = Wnd;
        if (Path.ends_with("/locked")) OKButtonState = obsDisabled;
    };
    QList<bool> okStates;
    TBrowseFolderDialog* shown = nullptr;
    WhenDialogIsUp([&](TBrowseFolderDialog* dialog) {
        shown = dialog;
        okStates << dialog->IsOKEnabled();
        dialog->SelectPath(Path(u"site/news"_s));
        okStates << dialog->IsOKEnabled();
        dialog->SelectPath(Path(u"site/locked"_s));
        okStates << dialog->IsOKEnabled();
        dialog->reject();
    });
    browser.Execute();
    QCOMPARE(okStates, QList<bool>({false, true, false}));
    QCOMPARE(sender, &browser);
    QCOMPARE(wnd, shown);
}

// With ORVANIX_GALLERY_DIR set (run under a real X server), saves a picture of the dialog with
// Japanese text there, to be looked at.
// The first selection is brought into view; once the user has scrolled away, opening another
// folder does not pull the view back to it.
void TestSHBrowseForFolderEx::viewStaysWhereTheUserPutIt() {
    const QTemporaryDir many;
    for (int n = 0; n < 80; ++n)
        QVERIFY(QDir(many.path()).mkpath(u"f%1/inner"_s.arg(n, 2, 10, QChar(u'0'))));
    TSHBrowseForFolderEx browser;
    browser.RootFolder = rfManual;
    browser.RootFolderName = ToCp932(many.path());
    browser.SelectFolder = sfManual;
    browser.SelectFolderName = ToCp932(many.path() + u"/f79"_s);
    bool followed = false, stayed = false;
    WhenDialogIsUp([&](TBrowseFolderDialog* dialog) {
        auto* tree = dialog->findChild<QTreeView*>();
        QScrollBar* bar = tree->verticalScrollBar();
        followed = QTest::qWaitFor([&] {
            return bar->value() > 0 &&
                   tree->viewport()->rect().intersects(tree->visualRect(tree->currentIndex()));
        });
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        const QModelIndex opened = tree->model()->index(0, 0, tree->indexAt(QPoint(5, 5)));
        tree->expand(opened);
        // The opened folder loads in the background; the model sorts it once the rows are in.
        const bool loaded = QTest::qWaitFor([&] { return tree->model()->rowCount(opened) > 0; });
        QCoreApplication::processEvents();
        stayed = loaded && bar->value() == 0;
        dialog->reject();
    });
    browser.Execute();
    QVERIFY(followed);
    QVERIFY(stayed);
}

void TestSHBrowseForFolderEx::renderGallery() {
    const QString folder = qEnvironmentVariable("ORVANIX_GALLERY_DIR");
    if (folder.isEmpty()) QSKIP("ORVANIX_GALLERY_DIR not set");
    QApplication::setFont(QFont(u"IPAPGothic"_s, 10));
    TSHBrowseForFolderEx browser;
    browser.Caption = ToCp932(u"RSSファイルの保存先"_s);
    browser.Options = {sboStatusTextAndShowPath};
    browser.SelectFolder = sfManual;
    browser.SelectFolderName = ToCp932(Path(u"ニュース"_s));
    bool saved = false;
    WhenDialogIsUp([&](TBrowseFolderDialog* dialog) {
        // The folder tree fills in in the background, up to the chosen folder.
        auto* tree = dialog->findChild<QTreeView*>();
        saved = QTest::qWaitFor([tree] { return tree->currentIndex().isValid(); }) &&
                dialog->grab().save(folder + u"/SHBFFEX.png"_s);
        dialog->reject();
    });
    browser.Execute();
    QVERIFY(saved);
}

QTEST_MAIN(TestSHBrowseForFolderEx)
#include "test_SHBFFEX.moc"
