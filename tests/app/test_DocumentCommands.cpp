// New, open and save in the main window, and the choice of the feed's save folder. File dialogs,
// the folder picker and the message boxes are answered in advance.

#include "FormTestSupport.h"
#include "app/FileClaim.h"
#include "app/FileDialog.h"
#include "app/FilePaths.h"
#include "app/MiniForm.h"
#include "app/Settings.h"
#include "app/UserPlaces.h"
#include "document/TableFile.h"
#include "text/S_string.h"
#include "widgets/L_CCmbo.h"
#include "widgets/SHBFFEX.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <map>
#include <memory>
#include <tuple>

using namespace Qt::StringLiterals;
using namespace formtest;

namespace {

// A dialog answer that stands for Cancel; an empty answer means the dialog must not be shown.
const QString Cancel = u"<cancel>"_s;

const QString SaveComplete = u"テーブルファイルとRSSファイルの保存が完了しました。\r\n\r\n"
                             u"RSSファイルの名前 : \"%1/%2\""_s;
const QString TableSaveFailed = u"テーブルファイルの保存ができません。"_s;
const QString LoadFailed = u"テーブルファイルを読み込むことができません。"_s;
const QString NotTableFile =
    u"テーブルファイルではありません(1行目が\"1.00\"のような形式の番号ではありません)。"_s;
// The question before the changes to Current.tbl are dropped.
const QString SaveQuestion = u"「Current」への変更を保存しますか？"_s;
const QString ChangedOnDiskQuestion =
    u"ファイルが他のプログラムで変更されています。上書きしますか？"_s;

} // namespace

class TestDocumentCommands : public TWindowTest {
    Q_OBJECT

private:
    std::string TempPathCp(const QString& name) const { return FileSystemPath(TempPath(name)); }

    // Queues the file dialog's answer. Without one a Cancel is queued that must stay unused.
    void QueueFileAnswer(const QString& answer) const {
        if (answer.isEmpty() || answer == Cancel)
            TFileDialog::QueueCancel();
        else
            TFileDialog::QueueAnswer(TempPath(answer));
    }

    static void CheckDialogShown(const QString& answer) {
        QCOMPARE(TFileDialog::QueuedAnswerCount(), answer.isEmpty() ? 1 : 0);
        TFileDialog::ClearQueuedAnswers();
    }

    // Types the channel's title, home page, description and feed folder, and the entry "Open" in
    // row 1 (and row 2 with `twice`), whose date and address fill in.
    void TypeDocument(bool twice) {
        ShowPage(Form(), TMiniForm::pgChannel);
        Type(Field(Form(), u"ED_Informer_Title"_s), u"喫茶ひなた"_s);
        Type(Field(Form(), u"ED_Informer_Address"_s), u"http://hinata.example/"_s);
        Type(Field(Form(), u"ED_Informer_Setumei"_s), u"喫茶店のお知らせ"_s);
        Type(Field(Form(), u"ED_Informer_RssAddress"_s), u"http://hinata.example/news/"_s);
        for (int row = 1; row <= (twice ? 2 : 1); ++row) {
            QVERIFY(GoTo(0, row));
            QTest::keyClicks(QApplication::focusWidget(), u"Open"_s);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
    }

private slots:
    void init() { QVERIFY(BeginCase(true)); }

    void cleanup() {
        QCOMPARE(TSHBrowseForFolderEx::QueuedAnswerCount(), 0);
        EndCase();
    }

    void save_data() {
        QTest::addColumn<bool>("named");     // the document is Site.tbl before the command
        QTest::addColumn<bool>("saveAs");    // 名前を付けて保存 instead of 上書き保存
        QTest::addColumn<QString>("answer"); // the save dialog's answer
        QTest::addColumn<int>("extension");
        QTest::addColumn<QString>("saveFolder");
        QTest::addColumn<QString>("obstacle"); // "read-only feed", "folder named like the table"
        QTest::addColumn<bool>("duplicate");
        QTest::addColumn<QString>("message"); // %1 stands for the folder; empty: no box
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("feed"); // the feed file written; empty: none

        const QString plain = u"Orvane Lite版"_s;
        const QString site = u"Orvane Lite版 [Site]"_s;
        const QString news = u"Orvane Lite版 [News]"_s;
        // Unsaved changes are marked in the caption.
        const QString plainChanged = u"*Orvane Lite版"_s;
        const QString siteChanged = u"Orvane Lite版 [*Site]"_s;
        const QString newsChanged = u"Orvane Lite版 [*News]"_s;
        QTest::newRow("first save cancelled writes nothing") << false << false << Cancel << 0 << ""
                                                             << "" << false << ""
                                                             << "" << true << plainChanged << "";
        QTest::newRow("first save asks for the name")
            << false << false << "News.tbl" << 0 << ""
            << "" << false << SaveComplete.arg(u"%1"_s, u"news.rdf"_s) << "News.tbl" << false
            << news << "news.rdf";
        QTest::newRow("named document saves without a dialog")
            << true << false << "" << 1 << ""
            << "" << false << SaveComplete.arg(u"%1"_s, u"site.xml"_s) << "Site.tbl" << false
            << site << "site.xml";
        QTest::newRow("save as renames the document")
            << true << true << "Other.tbl" << 0 << ""
            << "" << false << SaveComplete.arg(u"%1"_s, u"other.rdf"_s) << "Other.tbl" << false
            << u"Orvane Lite版 [Other]"_s << "other.rdf";
        QTest::newRow("save as cancelled keeps everything")
            << true << true << Cancel << 0 << ""
            << "" << false << ""
            << "Site.tbl" << true << siteChanged << "";
        QTest::newRow("save folder") << true << false << "" << 0 << "out"
                                     << "" << false << SaveComplete.arg(u"%1"_s, u"out/site.rdf"_s)
                                     << "Site.tbl" << false << site << "out/site.rdf";
        QTest::newRow("save folder with a trailing slash")
            << true << false << "" << 0 << "out/"
            << "" << false << SaveComplete.arg(u"%1"_s, u"out/site.rdf"_s) << "Site.tbl" << false
            << site << "out/site.rdf";
        QTest::newRow("missing save folder saves only the table")
            << false << false << "News.tbl" << 0 << "missing"
            << "" << false
            << u"[RSSファイルの保存先]の指定が不正です。 RSSファイルの保存はできません。\r\n\r\n"
               u"指定されている保存先 : \"%1/missing\""_s
            << "News.tbl" << true << newsChanged << "";
        QTest::newRow("feed that cannot be replaced is kept")
            << false << false << "News.tbl" << 0 << ""
            << "read-only feed" << false
            << u"RSSファイルが作成できません。\r\nアクセスの権限がありません。"_s << "News.tbl"
            << true << newsChanged << "";
        QTest::newRow("same-day entries are saved without a warning")
            << true << false << "" << 0 << ""
            << "" << true << SaveComplete.arg(u"%1"_s, u"site.rdf"_s) << "Site.tbl" << false << site
            << "site.rdf";
        QTest::newRow("table file that cannot be written")
            << false << false << "Busy.tbl" << 0 << ""
            << "folder named like the table" << false
            << TableSaveFailed + u"\r\nフォルダです。ファイルではありません。"_s << "" << true
            << plainChanged << "";
        QTest::newRow("name outside code page 932 is refused")
            << false << false << u"\U0001F600.tbl"_s << 0 << ""
            << "" << false
            << TableSaveFailed +
                   u"\r\nファイル名の「\U0001F600」はこのプログラムでは使用できません。"_s
            << "" << true << plainChanged << "";
        // 〜 would come back from code page 932 as ～: another file than the one asked for.
        QTest::newRow("name that code page 932 changes is refused")
            << false << false << u"お知らせ〜.tbl"_s << 0 << ""
            << "" << false
            << TableSaveFailed +
                   u"\r\nファイル名の「〜」は「～」に変わってしまうため使用できません。"_s
            << "" << true << plainChanged << "";
        QTest::newRow("folder that code page 932 cannot hold")
            << false << false << u"café/News.tbl"_s << 0 << ""
            << "" << false << SaveComplete.arg(u"%1"_s, u"caf?/news.rdf"_s) << "café/News.tbl"
            << false << news << "café/news.rdf";
    }

    void save() {
        QFETCH(bool, named);
        QFETCH(bool, saveAs);
        QFETCH(QString, answer);
        QFETCH(int, extension);
        QFETCH(QString, saveFolder);
        QFETCH(QString, obstacle);
        QFETCH(bool, duplicate);
        QFETCH(QString, message);
        QFETCH(QString, fileName);
        QFETCH(QString, feed);
        QVERIFY(QDir(dir_->path()).mkdir(u"out"_s));
        if (obstacle == u"read-only feed") {
            QVERIFY(WriteAll(TempPath(u"news.rdf"_s), "old feed"));
            QVERIFY(QFile::setPermissions(TempPath(u"news.rdf"_s), QFile::ReadOwner));
        }
        if (obstacle == u"folder named like the table") QVERIFY(QDir(dir_->path()).mkdir(answer));
        if (answer.contains(u'/')) QVERIFY(QDir(dir_->path()).mkdir(QFileInfo(answer).path()));

        TMiniForm& form = Form();
        if (named) QVERIFY(OpenTable(Form(), WriteTable(u"Site.tbl"_s)));
        TypeDocument(duplicate);
        ClickExtension(form, extension);
        if (!saveFolder.isEmpty()) Type(Field(form, u"Edit_RssSave"_s), TempPath(saveFolder));
        QueueFileAnswer(answer);
        if (!message.isEmpty()) TMsgDlg::QueueAnswer(mrOk);

        Trigger(form, saveAs ? u"Save1"_s : u"Save2"_s);

        CheckDialogShown(answer);
        const QStringList expectedBoxes =
            message.isEmpty() ? QStringList() : QStringList{message.replace(u"%1"_s, dir_->path())};
        QCOMPARE(AnsweredTexts(), expectedBoxes);
        QCOMPARE(form.FileName(), fileName.isEmpty() ? std::string() : TempPathCp(fileName));
        QTEST(form.Modified(), "modified");
        QTEST(form.windowTitle(), "caption");
        if (answer == Cancel && named)
            QCOMPARE(Control<TFileDialog>(u"SaveDialog"_s).FileName, TempPath(u"Site.tbl"_s));
        // A table file is written whenever a box reports on the save; it is code page 932, the
        // feed UTF-8.
        if (!fileName.isEmpty() && !message.isEmpty())
            QVERIFY(ReadAll(TempPath(fileName))
                        .contains(QByteArray::fromStdString(Cp(u"\r\n喫茶ひなた\r\n"_s))));
        if (feed.isEmpty()) {
            const QStringList feeds =
                QDir(dir_->path()).entryList({u"*.rdf"_s, u"*.xml"_s}, QDir::Files);
            QCOMPARE(feeds,
                     obstacle == u"read-only feed" ? QStringList{u"news.rdf"_s} : QStringList());
            if (!feeds.isEmpty()) QCOMPARE(ReadAll(TempPath(feeds[0])), QByteArray("old feed"));
        } else {
            const QByteArray written = ReadAll(TempPath(feed));
            QVERIFY(written.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
            QVERIFY(written.contains("<title>喫茶ひなた</title>"));
        }
        if (fileName.isEmpty() && obstacle.isEmpty())
            QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList());
    }

    // A save names the feed after the table file, and the confirmation page shows it so.
    void confirmationPageFollowsTheSave_data() {
        QTest::addColumn<bool>("feedBlocked");
        QTest::newRow("complete save") << false;
        QTest::newRow("feed that cannot be replaced") << true;
    }

    void confirmationPageFollowsTheSave() {
        QFETCH(bool, feedBlocked);
        if (feedBlocked) {
            QVERIFY(WriteAll(TempPath(u"news.rdf"_s), "old feed"));
            QVERIFY(QFile::setPermissions(TempPath(u"news.rdf"_s), QFile::ReadOwner));
        }
        TypeDocument(false);
        ShowPage(Form(), TMiniForm::pgConfirm);
        const auto& memo = Control<QPlainTextEdit>(u"Memo"_s);
        const QString savedChannel =
            u"<channel rdf:about=\"http://hinata.example/news/news.rdf\">"_s;
        QVERIFY(!memo.toPlainText().contains(savedChannel));
        // 上書き保存 asks for the name of a new document.
        TFileDialog::QueueAnswer(TempPath(u"News.tbl"_s));
        QCOMPARE(Save(Form()).size(), 1);
        QVERIFY(memo.toPlainText().contains(savedChannel));
    }

    void discardQuestions_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer"); // to the question; mrNone: none is asked
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("outcome"); // "kept", "reset" or "loaded"

        QTest::newRow("new, unchanged")
            << "new" << false << int(mrNone) << "" << QStringList() << "reset";
        QTest::newRow("new, changed, cancel")
            << "new" << true << int(mrCancel) << "" << QStringList{SaveQuestion} << "kept";
        QTest::newRow("new, changed, do not save")
            << "new" << true << int(mrNo) << "" << QStringList{SaveQuestion} << "reset";
        QTest::newRow("open, changed, cancel shows no dialog")
            << "open" << true << int(mrCancel) << "" << QStringList{SaveQuestion} << "kept";
        QTest::newRow("open, dialog cancelled")
            << "open" << false << int(mrNone) << Cancel << QStringList() << "kept";
        QTest::newRow("open, changed, do not save")
            << "open" << true << int(mrNo) << "Saved.tbl" << QStringList{SaveQuestion} << "loaded";
        QTest::newRow("open, missing file")
            << "open" << false << int(mrNone) << "Gone.tbl"
            << QStringList{LoadFailed + u"\r\nファイルまたはフォルダが見つかりません。"_s}
            << "kept";
        // A file that is not a table file is refused, so that a save cannot overwrite it.
        for (const char* name : {"logo.png", "memo.txt", "empty.tbl", "folder.tbl"}) {
            const QString reason = QString::fromLatin1(name) == u"folder.tbl"_s
                                       ? u"フォルダです。ファイルではありません。"_s
                                       : NotTableFile;
            QTest::addRow("open, %s", name)
                << "open" << true << int(mrNo) << name
                << QStringList{SaveQuestion, LoadFailed + u"\r\n"_s + reason} << "kept";
        }
    }

    void discardQuestions() {
        QFETCH(QString, command);
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(QString, dialog);
        QFETCH(QStringList, boxes);
        QFETCH(QString, outcome);
        TFeedDocument saved;
        saved.Channel.Title = Cp(u"保存済み"_s);
        saved.Row(1) = {"Saved entry", "2005-04-01", "", ""};
        WriteTable(u"Saved.tbl"_s, saved);
        QVERIFY(WriteAll(TempPath(u"logo.png"_s), QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)));
        QVERIFY(WriteAll(TempPath(u"memo.txt"_s), u"買い物メモ\n牛乳\n"_s.toUtf8()));
        QVERIFY(WriteAll(TempPath(u"empty.tbl"_s), QByteArray()));
        QVERIFY(QDir(dir_->path()).mkdir(u"folder.tbl"_s));

        TMiniForm& form = Form();
        TFeedDocument current;
        current.Channel.Title = Cp(u"編集中"_s);
        current.Row(1).Title = "Draft";
        QVERIFY(OpenTable(Form(), WriteTable(u"Current.tbl"_s, current)));
        if (modified) QTest::keyClicks(&Field(form, u"ED_Informer_Setumei"_s), u"x"_s);
        QVERIFY(GoTo(2, 40));
        if (answer != mrNone) TMsgDlg::QueueAnswer(answer);
        if (outcome != u"reset") QueueFileAnswer(dialog);
        if (boxes.size() > (answer != mrNone ? 1 : 0)) TMsgDlg::QueueAnswer(mrOk);

        const std::string before = TableFileText(form.DocumentAsShown());

        Trigger(form, command == u"new" ? u"N2"_s : u"R1"_s);

        if (outcome == u"kept") QCOMPARE(TableFileText(form.DocumentAsShown()), before);
        if (outcome != u"reset") CheckDialogShown(dialog);
        QCOMPARE(AnsweredTexts(), boxes);
        if (dialog == Cancel)
            QCOMPARE(Control<TFileDialog>(u"OpenDialog"_s).FileName, TempPath(u"Current.tbl"_s));
        const std::map<QString, std::tuple<QString, std::string, std::string, bool, QString>>
            expected{
                {u"kept"_s,
                 {u"編集中"_s, "Draft", TempPathCp(u"Current.tbl"_s), modified,
                  modified ? u"Orvane Lite版 [*Current]"_s : u"Orvane Lite版 [Current]"_s}},
                {u"reset"_s, {u""_s, "", "", false, u"Orvane Lite版"_s}},
                {u"loaded"_s,
                 {u"保存済み"_s, "Saved entry", TempPathCp(u"Saved.tbl"_s), false,
                  u"Orvane Lite版 [Saved]"_s}},
            };
        const auto& [title, cell, fileName, stillModified, caption] = expected.at(outcome);
        if (command == u"new") QCOMPARE(Grid().Row(), outcome == u"reset" ? 1 : 40);
        QCOMPARE(Field(form, u"ED_Informer_Title"_s).text(), title);
        QCOMPARE(Grid().Cells(0, 1), cell);
        QCOMPARE(form.FileName(), fileName);
        QCOMPARE(form.Modified(), stillModified);
        QCOMPARE(form.windowTitle(), caption);
    }

    // 保存 in the question saves first, asking for a name when the document has none, and the
    // command goes on only when the save succeeded; otherwise everything stays as it was.
    void saveAnswer_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("fileName"); // the document's before; empty: none
        QTest::addColumn<QString>("dialog");   // the save dialog's answer; empty: not shown
        QTest::addColumn<bool>("goesOn");
        for (const char* command : {"new", "open", "close"}) {
            const auto row = [command](const char* name, const char* fileName,
                                       const QString& dialog, bool goesOn) {
                QTest::addRow("%s, %s", command, name)
                    << QString::fromLatin1(command) << QString::fromLatin1(fileName) << dialog
                    << goesOn;
            };
            row("named, saved", "Current.tbl", QString(), true);
            row("unnamed, saved", "", u"Named.tbl"_s, true);
            row("unnamed, dialog cancelled", "", Cancel, false);
            row("named, save fails", "missing/Current.tbl", QString(), false);
            row("unnamed, save fails", "", u"missing/Named.tbl"_s, false);
        }
    }

    void saveAnswer() {
        QFETCH(QString, command);
        QFETCH(QString, fileName);
        QFETCH(QString, dialog);
        QFETCH(bool, goesOn);
        TMiniForm* form = &Form();
        if (!fileName.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(TempPath(fileName)).path()));
            QVERIFY(OpenTable(Form(), WriteTable(fileName)));
            // The folder is gone by the time the document is saved.
            if (fileName.startsWith(u"missing/"_s))
                QVERIFY(QDir(TempPath(u"missing"_s)).removeRecursively());
        }
        TypeDocument(false);
        QVERIFY(form->Modified());
        const std::string before = TableFileText(form->DocumentAsShown());
        const QString target = TempPath(fileName.isEmpty() ? dialog : fileName);

        TMsgDlg::QueueAnswer(mrYes);
        if (!dialog.isEmpty()) QueueFileAnswer(dialog);
        if (dialog != Cancel) TMsgDlg::QueueAnswer(mrOk); // the save's report
        if (goesOn && command == u"open") TFileDialog::QueueCancel();
        bool closed = false;
        if (command == u"close")
            closed = form->close();
        else
            Trigger(*form, command == u"new" ? u"N2"_s : u"R1"_s);

        const QStringList boxes = AnsweredTexts();
        QCOMPARE(boxes.value(0),
                 u"「%1」への変更を保存しますか？"_s.arg(
                     fileName.isEmpty() ? u"無題"_s : QFileInfo(fileName).baseName()));
        QCOMPARE(boxes.size(), dialog == Cancel ? 1 : 2);
        QCOMPARE(TFileDialog::QueuedAnswerCount(), 0);
        QCOMPARE(QFile::exists(target), goesOn);
        if (goesOn) QCOMPARE(ReadAll(target).toStdString(), before);
        QCOMPARE(closed, command == u"close" && goesOn);
        if (!goesOn) {
            QVERIFY(form->Modified());
            QCOMPARE(TableFileText(form->DocumentAsShown()), before);
        } else if (command == u"new") {
            QCOMPARE(Field(*form, u"ED_Informer_Title"_s).text(), QString());
        }
    }

    // Editor A has news.tbl open; another program changes it; A saves. The table file on disk
    // afterwards is A's only when nothing was lost or the user agreed to overwrite.
    void tableFileChangedByAnotherProgram_data() {
        QTest::addColumn<QString>("change"); // what the other program did
        QTest::addColumn<QString>("saveAs"); // empty: 上書き保存; else the name chosen
        QTest::addColumn<int>("answer");     // to the question; mrNone: none is asked
        QTest::addColumn<bool>("overwritten");
        QTest::newRow("unchanged") << "none"
                                   << "" << int(mrNone) << true;
        QTest::newRow("row added, overwrite") << "row"
                                              << "" << int(mrYes) << true;
        QTest::newRow("row added, keep") << "row"
                                         << "" << int(mrCancel) << false;
        QTest::newRow("same file by save as, keep") << "row"
                                                    << "news.tbl" << int(mrCancel) << false;
        QTest::newRow("other file by save as") << "row"
                                               << "other.tbl" << int(mrNone) << false;
        QTest::newRow("removed") << "removed"
                                 << "" << int(mrNone) << true;
        QTest::newRow("after the window's own save") << "own save"
                                                     << "" << int(mrNone) << true;
        QTest::newRow("after the window's own save without its feed") << "own save, feed failed"
                                                                      << "" << int(mrNone) << true;
    }

    void tableFileChangedByAnotherProgram() {
        QFETCH(QString, change);
        QFETCH(QString, saveAs);
        QFETCH(int, answer);
        QFETCH(bool, overwritten);
        TFeedDocument original;
        original.Row(1) = {"first", "2005-04-01", "", ""};
        const QString path = WriteTable(u"news.tbl"_s, original);

        TMiniForm& form = Form();
        QVERIFY(OpenTable(form, path));
        if (change.startsWith(u"own save")) {
            if (change.endsWith(u"feed failed"))
                Type(Field(form, u"Edit_RssSave"_s), TempPath(u"missing"_s));
            Save(form);
        }
        TFeedDocument other = original;
        other.Row(2) = {"added elsewhere", "2005-04-02", "", ""};
        const QByteArray otherBytes = QByteArray::fromStdString(TableFileText(other));
        if (change == u"row") QVERIFY(WriteAll(path, otherBytes));
        if (change == u"removed") QVERIFY(QFile::remove(path));
        const QByteArray before = ReadAll(path);
        QVERIFY(GoTo(0, 3));
        QTest::keyClicks(QApplication::focusWidget(), u"mine"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const TFeedDocument mine = form.DocumentAsShown();

        if (answer != mrNone) TMsgDlg::QueueAnswer(answer);
        if (answer != mrCancel) TMsgDlg::QueueAnswer(mrOk);
        if (saveAs.isEmpty()) {
            Trigger(form, u"Save2"_s);
        } else {
            TFileDialog::QueueAnswer(TempPath(saveAs));
            Trigger(form, u"Save1"_s);
        }

        QStringList expected;
        if (answer != mrNone) expected << ChangedOnDiskQuestion;
        const QStringList boxes = AnsweredTexts();
        QCOMPARE(boxes.mid(0, expected.size()), expected);
        QCOMPARE(ReadAll(path),
                 overwritten ? QByteArray::fromStdString(TableFileText(mine)) : before);
        if (answer == mrCancel) {
            QCOMPARE(boxes.size(), 1);
            QVERIFY(form.Modified());
            QVERIFY(!QFile::exists(TempPath(u"news.rdf"_s)));
        }
    }

    // Editor A has news.tbl open; editor B opens it by another name or after A turned to another
    // document. B asks only while A has it; A's window comes forward when B's user declines.
    void secondEditorOnTheSameFile_data() {
        QTest::addColumn<QString>("opened"); // the name B opens
        QTest::addColumn<QString>("first");  // what A did before: "" nothing, "new" 新規
        QTest::addColumn<int>("answer");     // mrNone: not asked
        QTest::newRow("declined") << u"news.tbl"_s << QString() << int(mrCancel);
        QTest::newRow("opened all the same") << u"news.tbl"_s << QString() << int(mrYes);
        QTest::newRow("through a link") << u"link.tbl"_s << QString() << int(mrCancel);
        QTest::newRow("through a path with dots")
            << u"site/../news.tbl"_s << QString() << int(mrCancel);
        QTest::newRow("after the first turned to a new document")
            << u"news.tbl"_s << u"new"_s << int(mrNone);
    }

    void secondEditorOnTheSameFile() {
        QFETCH(QString, opened);
        QFETCH(QString, first);
        QFETCH(int, answer);
        QVERIFY(QDir().mkpath(TempPath(u"site"_s)) && QDir().mkpath(TempPath(u"run"_s)));
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const auto restoreRuntime = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", runtime); });
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(TempPath(u"run"_s)));
        WriteTable(u"news.tbl"_s);
        QVERIFY(QFile::link(TempPath(u"news.tbl"_s), TempPath(u"link.tbl"_s)));
        auto editorA = std::make_unique<TMiniForm>();
        QVERIFY(OpenTable(*editorA, TempPath(u"news.tbl"_s)));
        if (first == u"new"_s) Trigger(*editorA, u"N2"_s);
        QSignalSpy raised(&Child<TFileClaim>(*editorA, u"FileClaim"_s),
                          &TFileClaim::RaiseRequested);

        if (answer != mrNone) TMsgDlg::QueueAnswer(answer);
        auto editorB = std::make_unique<TMiniForm>();
        const bool loaded = answer != mrCancel;
        QCOMPARE(OpenTable(*editorB, TempPath(opened)), loaded);
        QCOMPARE(AnsweredTexts(),
                 answer == mrNone
                     ? QStringList()
                     : QStringList{u"このファイルは別のウィンドウで開かれています。\r\n"
                                   u"「%1」\r\n\r\nこのウィンドウでも開きますか？"_s.arg(
                                       QFileInfo(opened).completeBaseName())});
        QCOMPARE(editorB->FileName(), loaded ? TempPathCp(opened) : std::string());
        if (!loaded) QVERIFY(raised.wait(5000));
        QCOMPARE(raised.size(), loaded ? 0 : 1);
        // Ended editors leave no lock or socket behind.
        editorA.reset();
        editorB.reset();
        QCOMPARE(QDir(TempPath(u"run/orvanix"_s)).entryList(QDir::System | QDir::Files), {});
    }

    void saveFolderButton_data() {
        QTest::addColumn<QString>("saveFolder"); // "<dir>" stands for the test's folder
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("start"); // "<user>": the user's documents or home folder
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("modified");
        QTest::newRow("empty field starts in the user's folder") << ""
                                                                 << "<dir>"
                                                                 << "<user>"
                                                                 << "<dir>" << true;
        QTest::newRow("the same folder again counts as an edit") << "<dir>"
                                                                 << "<dir>"
                                                                 << "<dir>"
                                                                 << "<dir>" << true;
        QTest::newRow("trailing slash dropped for the start, cancelled")
            << "<dir>/" << Cancel << "<dir>"
            << "<dir>/" << false;
    }

    void saveFolderButton() {
        QFETCH(QString, saveFolder);
        QFETCH(QString, answer);
        QFETCH(QString, start);
        QFETCH(QString, field);
        QFETCH(bool, modified);
        const auto resolve = [this](QString text) {
            const QString user = QString::fromStdString(UserPlaces().DialogFolder);
            return text.replace(u"<dir>"_s, dir_->path()).replace(u"<user>"_s, user);
        };
        TMiniForm& form = Form();
        TFeedDocument document;
        document.Channel.SaveFolder = Cp(resolve(saveFolder));
        QVERIFY(OpenTable(Form(), WriteTable(u"news.tbl"_s, document)));
        if (answer == Cancel)
            TSHBrowseForFolderEx::QueueCancel();
        else
            TSHBrowseForFolderEx::QueueAnswer(Cp(resolve(answer)));

        Control<QToolButton>(u"SB_Sansyo"_s).click();

        const auto& picker = Control<TSHBrowseForFolderEx>(u"SHBrowseForFolderEx"_s);
        QCOMPARE(picker.SelectFolderName, Cp(resolve(start)));
        QCOMPARE(picker.Caption, Cp(u"RSSファイルの保存先"_s));
        QCOMPARE(Field(form, u"Edit_RssSave"_s).text(), resolve(field));
        QCOMPARE(form.Modified(), modified);
    }
};

QTEST_MAIN(TestDocumentCommands)
#include "test_DocumentCommands.moc"
