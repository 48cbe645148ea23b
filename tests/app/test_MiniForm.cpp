#include "FormTestSupport.h"
#include "SystemCallFaults.h"
#include "app/FilePaths.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "app/RadioGroup.h"
#include "app/UserPlaces.h"
#include "dialogs/L_Dialog.h"
#include "document/TableFile.h"
#include "text/CodePage.h"
#include "widgets/L_CCmbo.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace formtest;

namespace {

// A document with a channel title longer than its field's limit and two entries around a gap.
TFeedDocument SampleDocument() {
    TFeedDocument document;
    document.Channel.Title =
        Cp(u"喫茶ひなたのお知らせ、季節のメニューと営業日のご案内をお届けします"_s);
    document.Channel.HomeAddress = "http://hinata.example/";
    document.Channel.FeedAddress = "http://hinata.example/news/";
    document.Channel.ExtensionIndex = 1;
    document.Channel.AutoDate = false;
    document.Channel.AutoAddress = true;
    document.Row(1) = {Cp(u"サイトを公開しました"_s), "2005-04-01", "http://hinata.example/", ""};
    document.Row(3) = {"Autumn menu", "2005-09-20", "http://hinata.example/menu", "Chestnuts"};
    return document;
}

const QString HtmlQuestion = u"HTMLファイルから新着情報を抽出しますか？"_s;

} // namespace

class TestMiniForm : public formtest::TWindowTest {
    Q_OBJECT

private:
    // Shows the window and waits for the start-up timer to finish.
    static bool StartUp(TMiniForm& form) {
        QSignalSpy finished(&form, &TMiniForm::StartupFinished);
        form.show();
        return finished.wait(5000);
    }

    void WriteSettings(const QByteArray& text) const {
        QVERIFY(WriteAll(QString::fromStdString(IniFileName), text));
    }

    static QByteArray LastOpenSettings(bool lastOpen, const QString& fileName) {
        return "[Environ]\r\nLastOpen=" + QByteArray(lastOpen ? "1" : "0") +
               "\r\nDefFileName=" + QFile::encodeName(fileName) + "\r\n";
    }

    static bool ItemRowsEmpty(TMiniForm& form) {
        const TFeedDocument document = form.DocumentAsShown();
        return std::all_of(document.Items.begin(), document.Items.end(),
                           [](const TFeedItem& item) { return item.IsEmpty(); });
    }

    // 機能 > 起動時に最後に編集したファイルを開く is checked, as the menu shows it.
    static bool ReopensLastFile(TMiniForm& form) {
        OpenMenu(form, u"Commands1"_s);
        return Child<QAction>(form, u"Mn_LastOpen"_s).isChecked();
    }

    static QString DefaultTable() { return QString::fromStdString(UserPlaces().DefaultTableFile); }

    // Writes `document` as the default table file and the HTML page that is named on the command
    // line, TempPath("news.html").
    void WriteHtmlStart(const TFeedDocument& document, bool lastOpen) const {
        QVERIFY(WriteAll(DefaultTable(), QByteArray::fromStdString(TableFileText(document))));
        QVERIFY(WriteAll(TempPath(u"news.html"_s), "<html></html>"));
        WriteSettings(LastOpenSettings(lastOpen, TempPath(u"last.tbl"_s)));
    }

private slots:
    void init() { QVERIFY(BeginCase(false)); }

    void cleanup() { EndCase(); }

    void freshWindow() {
        TMiniForm form;
        const TFeedDocument document = form.DocumentAsShown();
        QVERIFY(Child<QCheckBox>(form, u"CB_AutoData"_s).isChecked());
        QVERIFY(Child<QCheckBox>(form, u"CB_AutoAddress"_s).isChecked());
        QCOMPARE(Child<TRadioGroup>(form, u"RadioGroup_Ext"_s).ItemIndex(), 0);
        for (const std::string* field :
             {&document.Channel.Title, &document.Channel.HomeAddress, &document.Channel.Description,
              &document.Channel.FeedAddress, &document.Channel.LogoTitle,
              &document.Channel.LogoImageAddress, &document.Channel.LogoLinkAddress,
              &document.Channel.SaveFolder, &document.Channel.StyleSheet})
            QCOMPARE(*field, std::string());
        QVERIFY(ItemRowsEmpty(form));
        QCOMPARE(form.windowTitle(), u"Orvane Lite版"_s);
        QVERIFY(!form.Modified());
        QVERIFY(form.FileName().empty());

        const TXStringGrid& grid = GridOf(form);
        QCOMPARE(grid.RowCount(), 51);
        QCOMPARE(grid.ColCount(), 4);
        const QStringList captions{u"タイトル(必須 100バイト以内)"_s, u"日付(任意)"_s,
                                   u"アドレス(必須 http://から入力)"_s,
                                   u"説明文(任意 400バイト以内)"_s};
        const std::array widths{400, 90, 400, 400};
        for (int col = 0; col < 4; ++col) {
            QCOMPARE(grid.CellQString(col, 0), captions[col]);
            QCOMPARE(grid.ColWidths(col), widths[static_cast<size_t>(col)]);
        }
    }

    void caption_data() {
        QTest::addColumn<QString>("fileName"); // the table file opened; empty: none
        QTest::addColumn<bool>("typed");       // into the title
        QTest::addColumn<QString>("caption");
        QTest::newRow("new") << "" << false << u"Orvane Lite版"_s;
        QTest::newRow("new, typed into") << "" << true << u"*Orvane Lite版"_s;
        QTest::newRow("named") << "news.tbl" << false << u"Orvane Lite版 [news]"_s;
        QTest::newRow("named, typed into") << "news.tbl" << true << u"Orvane Lite版 [*news]"_s;
        QTest::newRow("Japanese name")
            << u"ニュース.tbl"_s << false << u"Orvane Lite版 [ニュース]"_s;
        QTest::newRow("two dots") << "news.old.tbl" << false << u"Orvane Lite版 [news.old]"_s;
    }

    void caption() {
        QFETCH(QString, fileName);
        QFETCH(bool, typed);
        TMiniForm form;
        if (!fileName.isEmpty()) QVERIFY(OpenDocument(form, TempPath(fileName), {}));
        if (typed) QTest::keyClicks(&Field(form, u"ED_Informer_Title"_s), u"a"_s);
        QTEST(form.windowTitle(), "caption");
    }

    void fieldByteLimits_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("line"); // the table file's line that stores the field
        QTest::newRow("title") << "ED_Informer_Title" << 40 << 2;
        QTest::newRow("home page") << "ED_Informer_Address" << 255 << 3;
        QTest::newRow("description") << "ED_Informer_Setumei" << 500 << 4;
        QTest::newRow("feed folder") << "ED_Informer_RssAddress" << 255 << 5;
        QTest::newRow("logo title") << "Edit_Logo_Title" << 40 << 6;
        QTest::newRow("logo image") << "Edit_Logo_Address" << 255 << 7;
        QTest::newRow("logo link") << "Edit_Logo_Setumei" << 255 << 8;
        QTest::newRow("save folder") << "Edit_RssSave" << 255 << 9;
        QTest::newRow("style sheet") << "Edit_StyleSheet" << 255 << 13;
    }

    void fieldByteLimits() {
        QFETCH(QString, field);
        QFETCH(int, limit);
        QFETCH(int, line);
        TMiniForm form;
        auto* edit = form.findChild<TPaintEdit*>(field);
        QVERIFY(edit);
        edit->setFocus();
        QTest::keyClicks(edit, QString(limit + 5, u'a'));
        QCOMPARE(int(edit->TextCp932().size()), limit);
        const QByteArray table = QByteArray::fromStdString(TableFileText(form.DocumentAsShown()));
        QCOMPARE(table.split('\n').at(line - 1), QByteArray(limit, 'a') + '\r');

        // Double-byte characters: only whole ones that fit, and an odd limit leaves a byte free.
        edit->clear();
        Commit(*edit, QString(limit, u'新'));
        QCOMPARE(edit->text(), QString(limit / 2, u'新'));
        QVERIFY(form.Modified());
    }

    void loadedTitleIsNotCut() {
        TMiniForm form;
        const TFeedDocument document = SampleDocument();
        QVERIFY(OpenTable(form, WriteTable(u"news.tbl"_s, document)));
        QCOMPARE(Field(form, u"ED_Informer_Title"_s).TextCp932(), document.Channel.Title);
        QVERIFY(document.Channel.Title.size() > 40);
        QVERIFY(!form.Modified());
        QCOMPARE(form.windowTitle(), u"Orvane Lite版 [news]"_s);
        QCOMPARE(Child<TRadioGroup>(form, u"RadioGroup_Ext"_s).ItemIndex(), 1);
        QVERIFY(!Child<QCheckBox>(form, u"CB_AutoData"_s).isChecked());
        const TFeedDocument shown = form.DocumentAsShown();
        QCOMPARE(shown.Row(1).Title, document.Row(1).Title);
        QVERIFY(shown.Row(2).IsEmpty());
        QCOMPARE(shown.Row(3).Description, std::string("Chestnuts"));
        QCOMPARE(TableFileText(shown), TableFileText(document));
    }

    void missingFileLeavesWindowAsItWas() {
        TMiniForm form;
        const QString path = WriteTable(u"news.tbl"_s, SampleDocument());
        QVERIFY(OpenTable(form, path));
        TMsgDlg::QueueAnswer(mrOk);
        QVERIFY(!OpenTable(form, TempPath(u"gone.tbl"_s)));
        QCOMPARE(AnsweredTexts(), QStringList{u"テーブルファイルを読み込むことができません。\r\n"
                                              u"ファイルまたはフォルダが見つかりません。"_s});
        QCOMPARE(form.windowTitle(), u"Orvane Lite版 [news]"_s);
        QCOMPARE(form.FileName(), path.toStdString());
        QCOMPARE(form.DocumentAsShown().Row(3).Title, std::string("Autumn menu"));
    }

    void newEmptiesEverything() {
        TMiniForm form;
        QVERIFY(OpenTable(form, WriteTable(u"news.tbl"_s, SampleDocument())));
        QTest::keyClicks(&Field(form, u"ED_Informer_Setumei"_s), u"x"_s);
        TMsgDlg::QueueAnswer(mrNo);
        Trigger(form, u"N2"_s);
        QCOMPARE(AnsweredTexts(), QStringList{u"「news」への変更を保存しますか？"_s});
        QCOMPARE(TableFileText(form.DocumentAsShown()), TableFileText(TFeedDocument()));
        QVERIFY(!form.Modified());
        QVERIFY(form.FileName().empty());
        QCOMPARE(form.windowTitle(), u"Orvane Lite版"_s);
    }

    void changesMarkModified_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("erased"); // the typed text is erased and the field left
        QTest::newRow("edit box typed") << "ED_Informer_Setumei" << false;
        QTest::newRow("edit box typed and erased") << "ED_Informer_Setumei" << true;
        QTest::newRow("radio group") << "RadioGroup_Ext" << false;
        QTest::newRow("check box") << "CB_AutoAddress" << false;
        QTest::newRow("style sheet clicked") << "Edit_StyleSheet" << false;
        QTest::newRow("save folder clicked") << "Edit_RssSave" << false;
    }

    void changesMarkModified() {
        QFETCH(QString, control);
        QFETCH(bool, erased);
        TMiniForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        ShowPage(form, TMiniForm::pgChannel);
        QVERIFY(!form.Modified());
        auto* widget = form.findChild<QWidget*>(control);
        QVERIFY(widget);
        if (auto* edit = qobject_cast<TPaintEdit*>(widget); edit && control.contains("Informer"))
            QTest::keyClicks(edit, u"x"_s);
        else if (auto* group = qobject_cast<TRadioGroup*>(widget))
            QTest::mouseClick(group->findChildren<QAbstractButton*>().at(1), Qt::LeftButton);
        else
            QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5));
        if (erased) {
            QTest::keyClick(widget, Qt::Key_Backspace);
            QCOMPARE(form.windowTitle(), u"Orvane Lite版"_s);
            TPaintEdit& title = Field(form, u"ED_Informer_Title"_s);
            title.setFocus();
            QTRY_VERIFY(title.hasFocus());
        }
        QCOMPARE(form.Modified(), !erased);
        QCOMPARE(form.windowTitle().startsWith(u'*'), !erased);
    }

    void confirmationPage() {
        TMiniForm form;
        QVERIFY(StartUp(form));
        // A save folder that does not exist leaves the feed without a name.
        TPaintEdit& saveFolder = Field(form, u"Edit_RssSave"_s);
        const auto& memo = Child<QPlainTextEdit>(form, u"Memo"_s);
        Type(Field(form, u"ED_Informer_RssAddress"_s), u"http://hinata.example/news/"_s);
        Type(saveFolder, TempPath(u"missing"_s));
        ShowPage(form, TMiniForm::pgConfirm);
        QVERIFY(memo.toPlainText().contains(u"news/[ファイル名未解決]\""_s));
        QVERIFY(memo.toPlainText().startsWith(u"<?xml"_s));
        QCOMPARE(memo.textCursor().position(), 0);

        // An edit still open in the grid is part of the feed.
        Retype(saveFolder, {});
        Save(form, TempPath(u"News.tbl"_s));
        QVERIFY(GoToCell(form, 0, 1));
        QTest::keyClicks(QApplication::focusWidget(), u"Opening day"_s);
        ShowPage(form, TMiniForm::pgConfirm);
        const QString feed = memo.toPlainText();
        QVERIFY(feed.contains(u"<title>Opening day</title>"_s));
        QVERIFY(feed.contains(u"http://hinata.example/news/news.rdf\""_s));
        QVERIFY(!feed.contains(u"[ファイル名未解決]"_s));
        QCOMPARE(GridOf(form).Cells(0, 1), std::string("Opening day"));
        QVERIFY(form.Modified());
    }

    void wheel_data() {
        QTest::addColumn<QString>("over");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("expectedRow");
        QTest::newRow("grid, towards the user") << "grid" << 5 << -120 << 6;
        QTest::newRow("grid, away from the user") << "grid" << 5 << 120 << 4;
        QTest::newRow("big delta moves one row") << "grid" << 5 << -720 << 6;
        QTest::newRow("first row, away") << "grid" << 1 << 120 << 1;
        QTest::newRow("last row, towards") << "grid" << 50 << -120 << 50;
        QTest::newRow("cell editor") << "editor" << 5 << -120 << 6;
        QTest::newRow("header row") << "header" << 5 << -120 << 5;
        QTest::newRow("toolbar") << "toolbar" << 5 << -120 << 5;
    }

    void wheel() {
        QFETCH(QString, over);
        QFETCH(int, startRow);
        QFETCH(int, delta);
        TMiniForm form;
        QVERIFY(StartUp(form));
        TXStringGrid* grid = &GridOf(form);
        QVERIFY(GoToCell(form, 1, startRow));
        // Column 0 of the top body row: never under the cell editor, which is in column 1.
        QWidget* target = grid->viewport();
        QPoint at(10, 10);
        if (over == "editor") {
            target = Child<TComboCellEditor>(form, u"ComboCellEditor_Date"_s).ComboControl();
            QTRY_VERIFY(target->isVisible());
            at = target->rect().center();
        } else if (over == "header") {
            at = grid->viewport()->mapTo(grid, QPoint(5, 0)) - QPoint(0, 5);
            target = grid->childAt(at);
            QVERIFY(target && target != grid->viewport());
            at = target->mapFrom(grid, at);
        } else if (over == "toolbar") {
            target = &Child(form, u"Label9"_s);
            at = target->rect().center();
        }
        QCursor::setPos(target->mapToGlobal(at));
        QCOMPARE(QApplication::widgetAt(QCursor::pos()), target);
        QWheelEvent event(at, target->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
        QTEST(grid->Row(), "expectedRow");
        QCOMPARE(grid->Col(), 1);
    }

    void startWithoutSettingsFile() {
        TMiniForm form;
        QVERIFY(StartUp(form));
        QCOMPARE(CurrentPage(form), int(TMiniForm::pgItems));
        QVERIFY(ReopensLastFile(form));
        QVERIFY(form.FileName().empty());
        QVERIFY(ItemRowsEmpty(form));
        QCOMPARE(form.windowTitle(), u"Orvane Lite版"_s);
        const QString version = Child<QLabel>(form, u"Version"_s).text();
        QVERIFY(version.startsWith(u"ver."_s));
        QVERIFY(version != u"ver.0.00"_s);
        QCOMPARE(AnsweredTexts(), QStringList());
    }

    void reopenLastFile_data() {
        QTest::addColumn<bool>("lastOpen");
        QTest::addColumn<bool>("fileExists");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("caption");
        QTest::newRow("on, existing file") << true << true << true << u"Orvane Lite版 [news]"_s;
        QTest::newRow("on, missing file") << true << false << false << u"Orvane Lite版"_s;
        QTest::newRow("off") << false << true << false << u"Orvane Lite版"_s;
    }

    void reopenLastFile() {
        QFETCH(bool, lastOpen);
        QFETCH(bool, fileExists);
        QFETCH(bool, loaded);
        const QString path = TempPath(u"news.tbl"_s);
        if (fileExists) WriteTable(u"news.tbl"_s, SampleDocument());
        WriteSettings(LastOpenSettings(lastOpen, path));
        const bool reported = lastOpen && !fileExists;
        if (reported) TMsgDlg::QueueAnswer(mrOk);
        TMiniForm form;
        QVERIFY(StartUp(form));
        QCOMPARE(ReopensLastFile(form), lastOpen);
        QCOMPARE(form.FileName(), loaded ? path.toStdString() : std::string());
        QCOMPARE(Field(form, u"ED_Informer_Title"_s).TextCp932() == SampleDocument().Channel.Title,
                 loaded);
        QVERIFY(!form.Modified());
        QTEST(form.windowTitle(), "caption");
        QCOMPARE(AnsweredTexts(),
                 reported ? QStringList{u"前回編集したファイルが見つかりません。\r\n"_s + path}
                          : QStringList());
        QVERIFY(GridOf(form).hasFocus() || GridOf(form).ActiveCellEditor());
    }

    void htmlOnCommandLine_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("create");
        QTest::addColumn<bool>("asked");
        QTest::newRow("existing page") << "news.html" << true << true;
        QTest::newRow("upper case extension") << "NEWS.HTML" << true << true;
        QTest::newRow("shtm") << "news.shtm" << true << true;
        QTest::newRow("missing page") << "gone.htm" << false << false;
        QTest::newRow("folder named like a page") << "folder.html" << false << false;
    }

    void htmlOnCommandLine() {
        QFETCH(QString, page);
        QFETCH(bool, create);
        QFETCH(bool, asked);
        const QString path = TempPath(page);
        if (create) QVERIFY(WriteAll(path, "<html></html>"));
        if (page.startsWith(u"folder"_s)) QVERIFY(QDir().mkdir(path));
        WriteSettings(LastOpenSettings(true, WriteTable(u"last.tbl"_s, SampleDocument())));
        if (asked) TMsgDlg::QueueAnswer(mrCancel);
        TMiniForm form({u"--verbose"_s, path});
        QVERIFY(StartUp(form));
        QCOMPARE(AnsweredTexts(), asked ? QStringList{HtmlQuestion} : QStringList());
        const std::string defaultTable = UserPlaces().DefaultTableFile;
        QCOMPARE(form.FileName(), asked ? defaultTable : TempPath(u"last.tbl"_s).toStdString());
    }

    // A file named on the command line (as the desktop entry's %f does) is opened instead of the
    // last one; one that cannot be read is reported and the window starts empty.
    void tableFileOnCommandLine_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("content"); // "table", "none" or the file's bytes
        QTest::addColumn<QString>("reason");  // second line of the load message; empty: loaded
        QTest::newRow("table file") << "news.tbl"
                                    << "table"
                                    << "";
        QTest::newRow("folder code page 932 cannot hold") << "café/news.tbl"
                                                          << "table"
                                                          << "";
        QTest::newRow("missing file") << "gone.tbl"
                                      << "none" << u"ファイルまたはフォルダが見つかりません。"_s;
        QTest::newRow("text file")
            << "news.txt"
            << "<html></html>"
            << u"テーブルファイルではありません(1行目が\"1.00\"のような形式の番号ではありません)。"_s;
    }

    void tableFileOnCommandLine() {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(QString, reason);
        const QString path = TempPath(name);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (content == u"table")
            WriteTable(name, SampleDocument());
        else if (content != u"none")
            QVERIFY(WriteAll(path, content.toUtf8()));
        TFeedDocument last;
        last.Channel.Title = "last";
        WriteSettings(LastOpenSettings(true, WriteTable(u"last.tbl"_s, last)));
        if (!reason.isEmpty()) TMsgDlg::QueueAnswer(mrOk);

        TMiniForm form({u"--verbose"_s, path});
        QVERIFY(StartUp(form));

        const bool loaded = reason.isEmpty();
        QCOMPARE(AnsweredTexts(),
                 loaded
                     ? QStringList()
                     : QStringList{u"テーブルファイルを読み込むことができません。\r\n"_s + reason});
        QCOMPARE(form.FileName(), loaded ? FileSystemPath(path) : std::string());
        QCOMPARE(TableFileText(form.DocumentAsShown()),
                 TableFileText(loaded ? SampleDocument() : TFeedDocument()));
        QCOMPARE(form.windowTitle(), loaded ? u"Orvane Lite版 [news]"_s : u"Orvane Lite版"_s);
    }

    void htmlQuestionAnswer_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("lastOpen");
        QTest::newRow("yes") << int(mrYes) << true;
        QTest::newRow("cancel") << int(mrCancel) << true;
        // The document is named after the default table file, so that file is what it shows.
        QTest::newRow("cancel, last file not reopened") << int(mrCancel) << false;
    }

    void htmlQuestionAnswer() {
        QFETCH(int, answer);
        QFETCH(bool, lastOpen);
        // A real default table file is never touched.
        if (QFile::exists(DefaultTable())) QSKIP("a default table file exists already");
        const auto removeTable = qScopeGuard([] { QFile::remove(DefaultTable()); });
        const TFeedDocument document = SampleDocument();
        WriteHtmlStart(document, lastOpen);
        if (QTest::currentTestFailed()) return;
        TMsgDlg::QueueAnswer(answer);

        TMiniForm form({TempPath(u"news.html"_s)});
        QVERIFY(StartUp(form));
        QCOMPARE(AnsweredTexts(), QStringList{HtmlQuestion});
        QCOMPARE(Field(form, u"ED_Informer_Title"_s).TextCp932(), document.Channel.Title);
        QCOMPARE(ItemRowsEmpty(form), answer == mrYes);
        QVERIFY(!form.Modified());
        QCOMPARE(form.windowTitle(), u"Orvane Lite版 [orvanix]"_s);
    }

    // When the question comes, the window on screen already shows the loaded file: what the
    // screen holds is what the window paints afresh.
    void htmlQuestionComesOverThePaintedWindow() {
        if (QFile::exists(DefaultTable())) QSKIP("a default table file exists already");
        const auto removeTable = qScopeGuard([] { QFile::remove(DefaultTable()); });
        WriteHtmlStart(SampleDocument(), true);
        if (QTest::currentTestFailed()) return;
        TMiniForm form({TempPath(u"news.html"_s)});
        QImage onScreen, painted;
        TMsgDlg::SetUnqueuedBoxHandler([&](const TMsgDlgRecord& box) {
            if (box.Text == HtmlQuestion) {
                onScreen = form.screen()->grabWindow(form.winId()).toImage();
                painted = form.grab().toImage();
            }
            return int(mrCancel);
        });
        const auto restoreHandler = qScopeGuard([] { formtest::FailOnUnexpectedBoxes(); });

        QVERIFY(StartUp(form));
        QVERIFY(!painted.isNull());
        QCOMPARE(onScreen.convertToFormat(QImage::Format_RGB32),
                 painted.convertToFormat(QImage::Format_RGB32));
    }

    void closeQuestion() {
        const QString ini = QString::fromStdString(IniFileName);
        TMiniForm form;
        QVERIFY(StartUp(form));
        Type(Field(form, u"ED_Informer_Title"_s), u"変更"_s);
        QVERIFY(form.Modified());

        TMsgDlg::QueueAnswer(mrCancel);
        QVERIFY(!form.close());
        QCOMPARE(AnsweredTexts(), QStringList{u"「無題」への変更を保存しますか？"_s});
        QVERIFY(form.isVisible());
        QVERIFY(!QFile::exists(ini));

        GridOf(form).SetColWidths(1, 120);
        TMsgDlg::QueueAnswer(mrNo);
        QVERIFY(form.close());
        AnsweredTexts();
        const QByteArray settings = ReadAll(ini);
        QVERIFY(settings.startsWith("[Environ]\r\nLastOpen=1\r\nDefFileName=\r\n\r\n[Grid]\r\n"
                                    "Col_0=400\r\nCol_1=120\r\n"));
        QVERIFY(settings.contains("\r\n[Sz_MiniForm]\r\nszWindowState=0\r\n"));
    }

    // The settings and the placement go into one save; the destruction has nothing to add.
    void unmodifiedCloseAsksNothingAndWritesTheSettingsOnce() {
        auto form = std::make_unique<TMiniForm>();
        QVERIFY(StartUp(*form));
        const int before = RenamesOnto(IniFileName);
        QVERIFY(form->close());
        form.reset();
        QCOMPARE(AnsweredTexts(), QStringList());
        QCOMPARE(RenamesOnto(IniFileName) - before, 1);
        const QByteArray settings = ReadAll(QString::fromStdString(IniFileName));
        QVERIFY(settings.startsWith("[Environ]\r\n"));
        QVERIFY(settings.contains("\r\n[Sz_MiniForm]\r\nszWindowState=0\r\n"));
    }

    void settingsCarryOverToTheNextStart() {
        const QString table = WriteTable(u"news.tbl"_s, SampleDocument());
        {
            TMiniForm form;
            QVERIFY(StartUp(form));
            QVERIFY(OpenTable(form, table));
            GridOf(form).SetColWidths(3, 250);
            Trigger(form, u"Mn_LastOpen"_s);
            QVERIFY(!ReopensLastFile(form));
            Trigger(form, u"Mn_LastOpen"_s);
            QVERIFY(form.close());
        }
        TMiniForm form;
        QVERIFY(StartUp(form));
        QCOMPARE(GridOf(form).ColWidths(3), 250);
        QCOMPARE(form.FileName(), table.toStdString());
        QCOMPARE(form.windowTitle(), u"Orvane Lite版 [news]"_s);
    }

    // The file opened or saved is in the settings at once, by its absolute path, so that a start
    // after a crash, from any working folder, reopens it; the file dialogs start in its folder.
    void lastFileSurvivesACrash_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("opened") << u"open"_s;
        QTest::newRow("saved as") << u"save as"_s;
        QTest::newRow("named relatively on the command line") << u"command line"_s;
    }

    void lastFileSurvivesACrash() {
        QFETCH(QString, how);
        QVERIFY(QDir().mkpath(TempPath(u"site"_s)));
        const QString table = TempPath(u"site/news.tbl"_s);
        if (how != u"save as"_s) WriteTable(u"site/news.tbl"_s, SampleDocument());
        const QString working = QDir::currentPath();
        const auto restoreWorking = qScopeGuard([&] { QDir::setCurrent(working); });
        QDir::setCurrent(TempPath(QString()));
        auto form = std::make_unique<TMiniForm>(
            how == u"command line"_s ? QStringList{u"site/news.tbl"_s} : QStringList());
        QVERIFY(StartUp(*form));
        const int before = RenamesOnto(IniFileName);
        if (how == u"open"_s) QVERIFY(OpenTable(*form, table));
        if (how == u"save as"_s) Save(*form, table);
        QCOMPARE(RenamesOnto(IniFileName) - before, how == u"command line"_s ? 0 : 1);
        QCOMPARE(Child<TFileDialog>(*form, u"OpenDialog"_s).InitialDir, TempPath(u"site"_s));
        QCOMPARE(Child<TFileDialog>(*form, u"SaveDialog"_s).InitialDir, TempPath(u"site"_s));
        form.reset(); // as a crash would: never closed

        QDir::setCurrent(u"/"_s);
        TMiniForm next;
        QVERIFY(StartUp(next));
        QCOMPARE(next.FileName(), FileSystemPath(table));
        QCOMPARE(next.windowTitle(), u"Orvane Lite版 [news]"_s);
    }

    void unwritableSettingsFile() {
        // A settings file whose folder does not exist cannot be written, as a read-only one.
        IniFileName = TempPath(u"missing/orvanix.ini"_s).toStdString();
        TMiniForm form;
        QVERIFY(StartUp(form));
        TMsgDlg::QueueAnswer(mrOk);
        QVERIFY(form.close());
        QCOMPARE(AnsweredTexts(), QStringList{u"設定ファイル orvanix.ini が保存できません。\r\n"
                                              u"フォルダにアクセス権があるか確認してください。\r\n"
                                              u"ファイルまたはフォルダが見つかりません。"_s});
        QVERIFY(!form.isVisible());
    }

    void menuStates_data() {
        QTest::addColumn<bool>("named");
        QTest::addColumn<QString>("feedAddress");
        QTest::addColumn<QString>("saveFolder");
        QTest::addColumn<bool>("saveEnabled");
        QTest::addColumn<bool>("validatorEnabled");
        const QString address = u"http://a.example/"_s;
        QTest::newRow("new, no address") << false << ""
                                         << "" << false << false;
        QTest::newRow("new, address") << false << address << "" << false << true;
        QTest::newRow("named, no address") << true << ""
                                           << "" << true << false;
        QTest::newRow("named, address") << true << address << "" << true << true;
        QTest::newRow("named, address, missing save folder")
            << true << address << "/no/such/folder" << true << false;
    }

    void menuStates() {
        QFETCH(bool, named);
        QFETCH(QString, feedAddress);
        QFETCH(QString, saveFolder);
        TMiniForm form;
        if (named) QVERIFY(OpenDocument(form, TempPath(u"news.tbl"_s), {}));
        Type(Field(form, u"Edit_RssSave"_s), saveFolder);
        Type(Field(form, u"ED_Informer_RssAddress"_s), feedAddress);
        OpenMenu(form, u"File1"_s);
        OpenMenu(form, u"Commands1"_s);
        QTEST(Child<QAction>(form, u"Save2"_s).isEnabled(), "saveEnabled");
        QTEST(Child<QAction>(form, u"Mn_feedAnalyzer"_s).isEnabled(), "validatorEnabled");
        QVERIFY(ReopensLastFile(form));
    }

    void menuAccelerators_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("menu");
        QTest::newRow("file") << int(Qt::Key_F) << "File1";
        QTest::newRow("edit") << int(Qt::Key_E) << "Edit1";
        QTest::newRow("commands") << int(Qt::Key_C) << "Commands1";
        QTest::newRow("help") << int(Qt::Key_H) << "Help1";
    }

    void menuAccelerators() {
        QFETCH(int, key);
        QFETCH(QString, menu);
        TMiniForm form;
        QVERIFY(StartUp(form));
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* popup = form.findChild<QMenu*>(menu);
        QTest::keyClick(&form, Qt::Key(key), Qt::AltModifier);
        QTRY_VERIFY(popup->isVisible());
        popup->close();
    }

    void tabOrderOfTheChannelPage() {
        TMiniForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        ShowPage(form, TMiniForm::pgChannel);
        QList<QWidget*> expected;
        for (const char* name : {"ED_Informer_Title", "ED_Informer_Address", "ED_Informer_Setumei",
                                 "ED_Informer_RssAddress", "Edit_Logo_Title", "Edit_Logo_Address",
                                 "Edit_Logo_Setumei", "Edit_StyleSheet", "RadioGroup_Ext",
                                 "CB_AutoData", "CB_AutoAddress", "Edit_RssSave", "SB_Sansyo"})
            expected << &Child(form, QString::fromLatin1(name));
        // The radio group takes the focus on its first button.
        expected[8] = expected[8]->findChildren<QAbstractButton*>().at(0);
        expected[0]->setFocus();
        for (QWidget* next : expected.mid(1)) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }
};

QTEST_MAIN(TestMiniForm)
#include "test_MiniForm.moc"
