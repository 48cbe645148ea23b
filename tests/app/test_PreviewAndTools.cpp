// The browser preview, the feed validation service, the readme and the maker's pages. Outside
// programs and addresses reach a recorder instead of the desktop; boxes are answered in advance.

#include "FormTestSupport.h"
#include "app/FilePaths.h"
#include "app/MiniForm.h"
#include "app/Settings.h"
#include "document/MakerPages.h"
#include "text/Platform.h"
#include "widgets/L_Theme.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace formtest;

namespace {

const QString Heading = u"構文のチェックを目的としますので以下の点に注意してください。\r\n"_s;
const QString XmlLine = u"\r\n●拡張子は\"xml\"でテストデータを生成します。"_s;
const QString SheetLine = u"\r\n●スタイルシートの場所特定できませんので使用しません。"_s;
const QString Validator = u"https://validator.w3.org/feed/check.cgi?url="_s;
// A style sheet that the test puts beside the program for one case only.
const QString ProgramSheet = u"orvanix-preview-test.xsl"_s;

// The confirmation page's text as the test copy holds it: CR LF line ends.
QByteArray WithCrLf(QString memoText) {
    return memoText.replace(u'\n', u"\r\n"_s).toUtf8();
}

// A click as the window sees it: the release of the left button inside the widget.
void Click(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, {},
                        {});
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

} // namespace

class TestPreviewAndTools : public formtest::TWindowTest {
    Q_OBJECT

private:
    THandOverRecorder recorder_;
    QByteArray savedTmpDir_;
    QByteArray savedRuntimeDir_;

    // The temporary folder the program sees: a folder of the test's own.
    QString TmpFolder() const { return TempPath(u"tmp"_s); }

    QString Resolve(QString text) const {
        return text.replace(u"<site>"_s, TempPath(u"site"_s))
            .replace(u"<missing>"_s, TempPath(u"missing"_s))
            .replace(u"<program>"_s, QString::fromStdString(ProgramFolder()));
    }

private slots:
    void initTestCase() {
        savedTmpDir_ = qgetenv("TMPDIR");
        savedRuntimeDir_ = qgetenv("XDG_RUNTIME_DIR");
    }

    void cleanupTestCase() {
        qputenv("TMPDIR", savedTmpDir_);
        qputenv("XDG_RUNTIME_DIR", savedRuntimeDir_);
    }

    void init() {
        QVERIFY(BeginCase(false));
        QVERIFY(QDir(dir_->path()).mkpath(u"tmp"_s));
        QVERIFY(QDir(dir_->path()).mkpath(u"site"_s));
        QVERIFY(WriteAll(TempPath(u"site/feed.xsl"_s), ""));
        qputenv("TMPDIR", TmpFolder().toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
        recorder_.Install();
    }

    void cleanup() {
        QVERIFY(!QApplication::overrideCursor());
        EndCase();
    }

    void preview_data() {
        QTest::addColumn<int>("extension");
        QTest::addColumn<QString>("styleSheet");
        QTest::addColumn<QString>("feedAddress");
        QTest::addColumn<QString>("saveFolder");
        QTest::addColumn<int>("answer"); // mrNone: no question is expected
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("href"); // of the copy's style sheet instruction; empty: none

        QTest::newRow("xml without style sheet asks nothing") << 1 << ""
                                                              << ""
                                                              << "" << int(mrNone) << ""
                                                              << "";
        QTest::newRow("rdf is previewed as xml") << 0 << ""
                                                 << ""
                                                 << "" << int(mrYes) << Heading + XmlLine << "";
        QTest::newRow("bare sheet under the feed address") << 1 << "feed.xsl"
                                                           << "http://s.example/news"
                                                           << "" << int(mrNone) << ""
                                                           << "http://s.example/news/feed.xsl";
        QTest::newRow("feed address with its slash") << 1 << "feed.xsl"
                                                     << "http://s.example/news/"
                                                     << "" << int(mrNone) << ""
                                                     << "http://s.example/news/feed.xsl";
        QTest::newRow("bare sheet in the save folder") << 1 << "feed.xsl"
                                                       << ""
                                                       << "<site>" << int(mrNone) << ""
                                                       << "file://<site>/feed.xsl";
        QTest::newRow("bare sheet in the program's folder") << 1 << ProgramSheet << ""
                                                            << "" << int(mrNone) << ""
                                                            << "file://<program>" + ProgramSheet;
        QTest::newRow("bare sheet not found")
            << 1 << "gone.xsl"
            << ""
            << "<site>" << int(mrYes) << Heading + SheetLine << "";
        QTest::newRow("sheet with a folder is left to the writer") << 1 << "css/feed.xsl"
                                                                   << ""
                                                                   << "" << int(mrNone) << ""
                                                                   << "css/feed.xsl";
        QTest::newRow("both notices")
            << 0 << "gone.xsl"
            << ""
            << "<site>" << int(mrYes) << Heading + XmlLine + SheetLine << "";
        QTest::newRow("cancel changes nothing")
            << 0 << "feed.xsl"
            << ""
            << "<site>" << int(mrCancel) << Heading + XmlLine << "";
        QTest::newRow("missing save folder still previews") << 1 << ""
                                                            << "http://s.example/news/"
                                                            << "<missing>" << int(mrNone) << ""
                                                            << "";
    }

    void preview() {
        QFETCH(int, extension);
        QFETCH(QString, styleSheet);
        QFETCH(QString, feedAddress);
        QFETCH(QString, saveFolder);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QString, href);
        const QString programSheet = Resolve(u"<program>"_s) + ProgramSheet;
        if (styleSheet == ProgramSheet) {
            if (QFile::exists(programSheet))
                QSKIP("a file of the test's name is beside the program");
            QVERIFY(WriteAll(programSheet, ""));
        }
        const auto removeSheet = qScopeGuard([&] {
            if (styleSheet == ProgramSheet) QFile::remove(programSheet);
        });

        TMiniForm form;
        TFeedDocument document;
        document.Channel.Title = Cp(u"喫茶ひなた"_s);
        document.Channel.ExtensionIndex = extension;
        document.Channel.StyleSheet = Cp(styleSheet);
        document.Channel.FeedAddress = Cp(feedAddress);
        document.Channel.SaveFolder = Cp(Resolve(saveFolder));
        QVERIFY(OpenDocument(form, TempPath(u"Site News.TBL"_s), document));
        ShowPage(form, TMiniForm::pgChannel);
        if (answer != mrNone) TMsgDlg::QueueAnswer(answer);

        Trigger(form, u"InternetExplorer1"_s);

        QCOMPARE(AnsweredTexts(), question.isEmpty() ? QStringList() : QStringList{question});
        const QString copy = TmpFolder() + u"/site news.xml"_s;
        if (answer == mrCancel) {
            QCOMPARE(CurrentPage(form), int(TMiniForm::pgChannel));
            QVERIFY(!QFile::exists(copy));
            QVERIFY(recorder_.handOvers.isEmpty());
            return;
        }
        QCOMPARE(CurrentPage(form), int(TMiniForm::pgConfirm));
        const QByteArray written = ReadAll(copy);
        QCOMPARE(written, WithCrLf(Child<QPlainTextEdit>(form, u"Memo"_s).toPlainText()));
        QVERIFY(written.contains("<title>喫茶ひなた</title>"));
        if (href.isEmpty())
            QVERIFY(!written.contains("<?xml-stylesheet"));
        else
            QVERIFY(written.contains("href=\"" + Resolve(href).toUtf8() + "\"?>"));
        if (saveFolder == u"<missing>") QVERIFY(written.contains("news/[ファイル名未解決]\""));
        QCOMPARE(recorder_.handOvers.size(), 1);
        QCOMPARE(recorder_.handOvers[0].program, u"xdg-open"_s);
        QCOMPARE(recorder_.handOvers[0].arguments, QStringList{copy});
        QVERIFY(!recorder_.handOvers[0].busyCursor);
    }

    void testCopy_data() {
        QTest::addColumn<QString>("fileName"); // the table file; empty for a new document
        // "old copy": one is there; "missing": no folder; "runtime": the user has a runtime folder
        QTest::addColumn<QString>("tmp");
        QTest::addColumn<QString>("copyName");
        QTest::newRow("new document") << ""
                                      << ""
                                      << "orvanetest.xml";
        QTest::newRow("name lower-cased") << "Site News.TBL"
                                          << ""
                                          << "site news.xml";
        QTest::newRow("Japanese name") << "ニュース.tbl"
                                       << ""
                                       << "ニュース.xml";
        QTest::newRow("old copy rewritten") << "news.tbl"
                                            << "old copy"
                                            << "news.xml";
        QTest::newRow("copy that cannot be written is reported") << "news.tbl"
                                                                 << "missing"
                                                                 << "news.xml";
        QTest::newRow("runtime folder before the temporary folder") << "news.tbl"
                                                                    << "runtime"
                                                                    << "news.xml";
    }

    void testCopy() {
        QFETCH(QString, fileName);
        QFETCH(QString, tmp);
        QFETCH(QString, copyName);
        const QString folder = tmp == u"runtime" ? TempPath(u"run"_s) : TmpFolder();
        const QString copy = folder + u'/' + copyName;
        if (tmp == u"old copy") QVERIFY(WriteAll(copy, QByteArray(100000, 'x')));
        if (tmp == u"missing") QVERIFY(QDir(TmpFolder()).removeRecursively());
        if (tmp == u"runtime") {
            QVERIFY(QDir(dir_->path()).mkpath(u"run"_s));
            qputenv("XDG_RUNTIME_DIR", folder.toUtf8());
        }
        if (tmp == u"missing") TMsgDlg::QueueAnswer(mrOk);

        TMiniForm form;
        if (!fileName.isEmpty()) QVERIFY(OpenDocument(form, TempPath(fileName), {}));
        ClickExtension(form, 1);
        Trigger(form, u"InternetExplorer1"_s);

        const auto& memo = Child<QPlainTextEdit>(form, u"Memo"_s);
        QVERIFY(memo.toPlainText().startsWith(u"<?xml"_s));
        if (tmp == u"missing") {
            QCOMPARE(AnsweredTexts(), QStringList{u"RSSファイルが作成できません。\r\n"
                                                  u"ファイルまたはフォルダが見つかりません。"_s});
            QVERIFY(recorder_.handOvers.isEmpty());
            return;
        }
        QCOMPARE(AnsweredTexts(), QStringList());
        QCOMPARE(ReadAll(copy), WithCrLf(memo.toPlainText()));
        QCOMPARE(recorder_.handOvers.size(), 1);
        QCOMPARE(recorder_.handOvers[0].arguments, QStringList{copy});
    }

    void openEditIsPreviewed() {
        QVERIFY(StartForm(form_));
        ClickExtension(Form(), 1);
        QVERIFY(GoTo(0, 1));
        QTest::keyClicks(QApplication::focusWidget(), u"Opening day"_s);

        Trigger(Form(), u"InternetExplorer1"_s);

        QVERIFY(ReadAll(TmpFolder() + u"/orvanetest.xml"_s).contains("<title>Opening day</title>"));
        QCOMPARE(Grid().Cells(0, 1), std::string("Opening day"));
    }

    void validation_data() {
        QTest::addColumn<QString>("feedAddress");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("extension");
        QTest::addColumn<QString>("query");
        QTest::newRow("folder without slash")
            << "http://s.example/news"
            << "News.tbl" << 0 << "http%3A%2F%2Fs.example%2Fnews%2Fnews.rdf";
        QTest::newRow("folder with slash")
            << "http://s.example/news/"
            << "News.tbl" << 1 << "http%3A%2F%2Fs.example%2Fnews%2Fnews.xml";
        QTest::newRow("query and fragment characters")
            << "http://s.example/a?b=1&c=2#top/"
            << "news.tbl" << 0 << "http%3A%2F%2Fs.example%2Fa%3Fb%3D1%26c%3D2%23top%2Fnews.rdf";
        QTest::newRow("Japanese folder")
            << "http://s.example/ニュース"
            << "news.tbl" << 0
            << "http%3A%2F%2Fs.example%2F%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9%2Fnews.rdf";
        QTest::newRow("Japanese file name")
            << "http://s.example/"
            << "お知らせ.tbl" << 0
            << "http%3A%2F%2Fs.example%2F%E3%81%8A%E7%9F%A5%E3%82%89%E3%81%9B.rdf";
    }

    void validation() {
        QFETCH(QString, feedAddress);
        QFETCH(QString, fileName);
        QFETCH(int, extension);
        QFETCH(QString, query);
        TMiniForm form;
        TFeedDocument document;
        document.Channel.FeedAddress = Cp(feedAddress);
        document.Channel.ExtensionIndex = extension;
        QVERIFY(OpenDocument(form, TempPath(fileName), document));
        Trigger(form, u"Mn_feedAnalyzer"_s);
        QCOMPARE(recorder_.handOvers.size(), 1);
        QCOMPARE(recorder_.handOvers[0].url.toString(QUrl::FullyEncoded), Validator + query);
        QVERIFY(recorder_.handOvers[0].busyCursor);
    }

    void handOvers_data() {
        QTest::addColumn<QString>("source"); // a menu item or a widget of the window
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("target"); // the program's parameter or the address opened
        const QString readme = QString::fromStdString(ProgramFolder()) + u"orvanix.txt"_s;
        const QString home = QString::fromLatin1(HomePageAddress);
        const QString fullEdition = QString::fromLatin1(FullEditionAddress);
        QTest::newRow("manual") << "M1"
                                << "" << QString::fromLatin1(ManualAddress);
        QTest::newRow("readme") << "ReadmeR1"
                                << "xdg-open" << readme;
        QTest::newRow("full edition") << "N9"
                                      << "" << fullEdition;
        QTest::newRow("full edition notice") << "Label7"
                                             << "" << fullEdition;
        QTest::newRow("home page") << "N8"
                                   << "" << home;
        QTest::newRow("latest version notice") << "Label10"
                                               << "" << home;
        QTest::newRow("title plate") << "ThemePanelExt1"
                                     << "" << home;
        QTest::newRow("version on the plate") << "Version"
                                              << "" << home;
    }

    void handOvers() {
        QFETCH(QString, source);
        QFETCH(QString, program);
        QFETCH(QString, target);
        TMiniForm form;
        if (auto* action = form.findChild<QAction*>(source))
            action->trigger();
        else
            Click(form.findChild<QWidget*>(source));
        QCOMPARE(recorder_.handOvers.size(), 1);
        const THandOverRecorder::THandOver& handOver = recorder_.handOvers[0];
        QCOMPARE(handOver.program, program);
        if (program.isEmpty())
            QCOMPARE(handOver.url.toString(), target);
        else
            QCOMPARE(handOver.arguments, QStringList{target});
        QVERIFY(handOver.busyCursor);
    }

    // Without the desktop's program the preview reports it over the window; the readme shows in
    // the editor's own window instead.
    void missingProgram_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("box"); // the error box's text, "" for none
        QTest::addColumn<bool>("readmeWindow");
        QTest::newRow("browser") << "InternetExplorer1"
                                 << u"指定のプロセスは実行出来ませんでした。Er=2\r\nnot found"_s
                                 << false;
        QTest::newRow("text viewer") << "ReadmeR1" << QString() << true;
    }

    void missingProgram() {
        QFETCH(QString, command);
        QFETCH(QString, box);
        QFETCH(bool, readmeWindow);
        recorder_.programsStart = false;
        TMiniForm form;
        ClickExtension(form, 1);
        if (!box.isEmpty()) TMsgDlg::QueueAnswer(mrOk);
        form.findChild<QAction*>(command)->trigger();
        QCOMPARE(AnsweredTexts(), box.isEmpty() ? QStringList() : QStringList{box});
        auto* readme = form.findChild<QDialog*>(u"ReadmeWindow"_s);
        QCOMPARE(readme != nullptr, readmeWindow);
        if (readme)
            QCOMPARE(readme->findChild<QPlainTextEdit*>()->toPlainText(),
                     QString::fromUtf8(ReadAll(ShownPath(ProgramFolder() + "orvanix.txt"))));
        QCOMPARE(recorder_.handOvers.size(), 1);
    }
};

QTEST_MAIN(TestPreviewAndTools)
#include "test_PreviewAndTools.moc"
