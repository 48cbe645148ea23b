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
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_EdtPos.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::string Cp(const QString& text) {
    return ToCp932(text);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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

QStringList AnsweredTexts() {
    QStringList texts;
    for (const TMsgDlgRecord& box : TMsgDlg::TakeAnsweredBoxes())
        texts << box.Text;
    return texts;
}

// Types committed text as an input method does, which is how Japanese reaches a box.
void CommitText(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

const QString HtmlQuestion = u"HTMLファイルから新着情報を抽出しますか？"_s;

} // namespace

class TestMiniForm : public formtest::TWindowTest {
    Q_OBJECT

private:
    // Shows the window and waits for the start-up timer to finish.
    static bool StartUp(TMiniForm& form, const QStringList& params = {}) {
        form.CommandLineParams = params;
        QSignalSpy finished(&form, &TMiniForm::StartupFinished);
        form.show();
        return finished.wait(5000);
    }

    QString WriteTable(const QString& name, const TFeedDocument& document) const {
        const QString path = TempPath(name);
        WriteAll(path, QByteArray::fromStdString(TableFileText(document)));
        return path;
    }

    void WriteSettings(const QByteArray& text) const {
        QVERIFY(WriteAll(QString::fromStdString(IniFileName), text));
    }

    static QByteArray LastOpenSettings(bool lastOpen, const QString& fileName) {
        return "[Environ]\r\nLastOpen=" + QByteArray(lastOpen ? "1" : "0") +
               "\r\nDefFileName=" + QFile::encodeName(fileName) + "\r\n";
    }

    // Moves the grid's current cell as a click does: the open editor ends, the cell's starts.
    static bool MoveToCell(TMiniForm& form, int col, int row) {
        form.XStringGrid->EndCellEdit(true);
        form.XStringGrid->FocusWithoutEditing();
        return form.XStringGrid->FocusCell(col, row, true);
    }

    static bool ItemRowsEmpty(TMiniForm& form) {
        const TFeedDocument document = form.DocumentFromControls();
        return std::all_of(document.Items.begin(), document.Items.end(),
                           [](const TFeedItem& item) { return item.IsEmpty(); });
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
        const TFeedDocument document = form.DocumentFromControls();
        QVERIFY(form.CB_AutoData->isChecked());
        QVERIFY(form.CB_AutoAddress->isChecked());
        QCOMPARE(form.RadioGroup_Ext->ItemIndex(), 0);
        for (const std::string* field :
             {&document.Channel.Title, &document.Channel.HomeAddress, &document.Channel.Description,
              &document.Channel.FeedAddress, &document.Channel.LogoTitle,
              &document.Channel.LogoImageAddress, &document.Channel.LogoLinkAddress,
              &document.Channel.SaveFolder, &document.Channel.StyleSheet})
            QCOMPARE(*field, std::string());
        QVERIFY(ItemRowsEmpty(form));
        QCOMPARE(form.windowTitle(), u"Orvane Lite版"_s);
        QVERIFY(!form.Modified);
        QVERIFY(form.FileName.empty());

        QCOMPARE(form.XStringGrid->RowCount(), 51);
        QCOMPARE(form.XStringGrid->ColCount(), 4);
        const QStringList captions{u"タイトル(必須 100バイト以内)"_s, u"日付(任意)"_s,
                                   u"アドレス(必須 http://から入力)"_s,
                                   u"説明文(任意 400バイト以内)"_s};
        const std::array widths{400, 90, 400, 400};
        for (int col = 0; col < 4; ++col) {
            QCOMPARE(form.XStringGrid->CellQString(col, 0), captions[col]);
            QCOMPARE(form.XStringGrid->ColWidths(col), widths[static_cast<size_t>(col)]);
        }
    }

    void caption_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("change"); // "flag" sets Modified, "typing" edits the title
        QTest::addColumn<QString>("caption");
        QTest::newRow("new") << ""
                             << "" << u"Orvane Lite版"_s;
        QTest::newRow("new, modified") << ""
                                       << "flag" << u"*Orvane Lite版"_s;
        QTest::newRow("named") << "/site/news.tbl"
                               << "" << u"Orvane Lite版 [news]"_s;
        QTest::newRow("named, modified") << "/site/news.tbl"
                                         << "flag" << u"Orvane Lite版 [*news]"_s;
        QTest::newRow("named, typed into") << "/site/news.tbl"
                                           << "typing" << u"Orvane Lite版 [*news]"_s;
        QTest::newRow("Japanese name")
            << u"/サイト/ニュース.tbl"_s << "" << u"Orvane Lite版 [ニュース]"_s;
        QTest::newRow("two dots") << "/site/news.old.tbl"
                                  << "" << u"Orvane Lite版 [news.old]"_s;
    }

    void caption() {
        QFETCH(QString, fileName);
        QFETCH(QString, change);
        TMiniForm form;
        form.FileName = FileSystemPath(fileName);
        form.UpdateCaption();
        if (change == u"flag") form.SetModified(true);
        if (change == u"typing") QTest::keyClicks(form.ED_Informer_Title, u"a"_s);
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
        const QByteArray table =
            QByteArray::fromStdString(TableFileText(form.DocumentFromControls()));
        QCOMPARE(table.split('\n').at(line - 1), QByteArray(limit, 'a') + '\r');

        // Double-byte characters: only whole ones that fit, and an odd limit leaves a byte free.
        edit->clear();
        CommitText(edit, QString(limit, u'新'));
        QCOMPARE(edit->text(), QString(limit / 2, u'新'));
        QVERIFY(form.Modified);
    }

    void loadedTitleIsNotCut() {
        TMiniForm form;
        const TFeedDocument document = SampleDocument();
        const QString path = WriteTable(u"news.tbl"_s, document);
        QVERIFY(form.LoadTableFile(path.toStdString()));
        QCOMPARE(form.ED_Informer_Title->TextCp932(), document.Channel.Title);
        QVERIFY(document.Channel.Title.size() > 40);
        QVERIFY(!form.Modified);
        QCOMPARE(form.windowTitle(), u"Orvane Lite版 [news]"_s);
        QCOMPARE(form.RadioGroup_Ext->ItemIndex(), 1);
        QVERIFY(!form.CB_AutoData->isChecked());
        const TFeedDocument shown = form.DocumentFromControls();
        QCOMPARE(shown.Row(1).Title, document.Row(1).Title);
        QVERIFY(shown.Row(2).IsEmpty());
        QCOMPARE(shown.Row(3).Description, std::string("Chestnuts"));
        QCOMPARE(TableFileText(shown), TableFileText(document));
    }

    void missingFileLeavesWindowAsItWas() {
        TMiniForm form;
        const QString path = WriteTable(u"news.tbl"_s, SampleDocument());
        QVERIFY(form.LoadTableFile(path.toStdString()));
        TMsgDlg::QueueAnswer(mrOk);
        QVERIFY(!form.LoadTableFile(TempPath(u"gone.tbl"_s).toStdString()));
        QCOMPARE(AnsweredTexts(), QStringList{u"テーブルファイルを読み込むことができません。\r\n"
                                              u"ファイルまたはフォルダが見つかりません。"_s});
        QCOMPARE(form.windowTitle(), u"Orvane Lite版 [news]"_s);
        QCOMPARE(form.FileName, path.toStdString());
        QCOMPARE(form.DocumentFromControls().Row(3).Title, std::string("Autumn menu"));
    }

    void resetEmptiesEverything() {
        TMiniForm form;
        QVERIFY(form.LoadTableFile(WriteTable(u"news.tbl"_s, SampleDocument()).toStdString()));
        form.Modified = true;
        form.ResetDocument(false);
        QCOMPARE(TableFileText(form.DocumentFromControls()), TableFileText(TFeedDocument()));
        QVERIFY(!form.Modified);
        QVERIFY(form.FileName.empty());
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
        form.PageControl->setCurrentIndex(TMiniForm::pgChannel);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!form.Modified);
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
            form.ED_Informer_Title->setFocus();
            QTRY_VERIFY(form.ED_Informer_Title->hasFocus());
        }
        QCOMPARE(form.Modified, !erased);
        QCOMPARE(form.windowTitle().startsWith(u'*'), !erased);
    }

    void confirmationPage() {
        TMiniForm form;
        QVERIFY(StartUp(form));
        // A save folder that does not exist leaves the feed without a name.
        form.ED_Informer_RssAddress->setText(u"http://hinata.example/news/"_s);
        form.Edit_RssSave->setText(TempPath(u"missing"_s));
        form.PageControl->setCurrentIndex(TMiniForm::pgConfirm);
        QVERIFY(form.Memo->toPlainText().contains(u"news/[ファイル名未解決]\""_s));
        QVERIFY(form.Memo->toPlainText().startsWith(u"<?xml"_s));
        QCOMPARE(form.Memo->textCursor().position(), 0);

        // An edit still open in the grid is part of the feed.
        form.Edit_RssSave->clear();
        form.FileName = TempPath(u"News.tbl"_s).toStdString();
        form.PageControl->setCurrentIndex(TMiniForm::pgItems);
        QVERIFY(MoveToCell(form, 0, 1));
        QWidget* editor = form.ComboCellEditor_Title->ComboControl();
        QTRY_VERIFY(editor->hasFocus());
        QTest::keyClicks(editor, u"Opening day"_s);
        form.PageControl->setCurrentIndex(TMiniForm::pgConfirm);
        const QString feed = form.Memo->toPlainText();
        QVERIFY(feed.contains(u"<title>Opening day</title>"_s));
        QVERIFY(feed.contains(u"http://hinata.example/news/news.rdf\""_s));
        QVERIFY(!feed.contains(u"[ファイル名未解決]"_s));
        QCOMPARE(form.XStringGrid->Cells(0, 1), std::string("Opening day"));
        QVERIFY(form.Modified);
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
        TXStringGrid* grid = form.XStringGrid;
        QVERIFY(MoveToCell(form, 1, startRow));
        // Column 0 of the top body row: never under the cell editor, which is in column 1.
        QWidget* target = grid->viewport();
        QPoint at(10, 10);
        if (over == "editor") {
            target = form.ComboCellEditor_Date->ComboControl();
            QTRY_VERIFY(target->isVisible());
            at = target->rect().center();
        } else if (over == "header") {
            at = grid->viewport()->mapTo(grid, QPoint(5, 0)) - QPoint(0, 5);
            target = grid->childAt(at);
            QVERIFY(target && target != grid->viewport());
            at = target->mapFrom(grid, at);
        } else if (over == "toolbar") {
            target = form.Label9;
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
        QCOMPARE(form.PageControl->currentIndex(), int(TMiniForm::pgItems));
        QVERIFY(form.OpenLastFile);
        QVERIFY(form.FileName.empty());
        QVERIFY(ItemRowsEmpty(form));
        QCOMPARE(form.windowTitle(), u"Orvane Lite版"_s);
        QVERIFY(form.Version->text().startsWith(u"ver."_s));
        QVERIFY(form.Version->text() != u"ver.0.00"_s);
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
        QCOMPARE(form.OpenLastFile, lastOpen);
        QCOMPARE(form.FileName, loaded ? path.toStdString() : std::string());
        QCOMPARE(form.ED_Informer_Title->TextCp932() == SampleDocument().Channel.Title, loaded);
        QVERIFY(!form.Modified);
        QTEST(form.windowTitle(), "caption");
        QCOMPARE(AnsweredTexts(),
                 reported ? QStringList{u"前回編集したファイルが見つかりません。\r\n"_s + path}
                          : QStringList());
        QVERIFY(form.XStringGrid->hasFocus() || form.XStringGrid->ActiveCellEditor());
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
        TMiniForm form;
        QVERIFY(StartUp(form, {u"--verbose"_s, path}));
        QCOMPARE(AnsweredTexts(), asked ? QStringList{HtmlQuestion} : QStringList());
        const std::string defaultTable = UserPlaces().DefaultTableFile;
        QCOMPARE(form.FileName, asked ? defaultTable : TempPath(u"last.tbl"_s).toStdString());
        QCOMPARE(form.ImportFileName, asked ? path.toStdString() : std::string());
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

        TMiniForm form;
        QVERIFY(StartUp(form, {u"--verbose"_s, path}));

        const bool loaded = reason.isEmpty();
        QCOMPARE(AnsweredTexts(),
                 loaded
                     ? QStringList()
                     : QStringList{u"テーブルファイルを読み込むことができません。\r\n"_s + reason});
        QCOMPARE(form.FileName, loaded ? FileSystemPath(path) : std::string());
        QCOMPARE(TableFileText(form.DocumentFromControls()),
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

        TMiniForm form;
        QVERIFY(StartUp(form, {TempPath(u"news.html"_s)}));
        QCOMPARE(AnsweredTexts(), QStringList{HtmlQuestion});
        QCOMPARE(form.ED_Informer_Title->TextCp932(), document.Channel.Title);
        QCOMPARE(ItemRowsEmpty(form), answer == mrYes);
        QVERIFY(!form.Modified);
        QCOMPARE(form.windowTitle(), u"Orvane Lite版 [orvanix]"_s);
    }

    // When the question comes, the window on screen already shows the loaded file: what the
    // screen holds is what the window paints afresh.
    void htmlQuestionComesOverThePaintedWindow() {
        if (QFile::exists(DefaultTable())) QSKIP("a default table file exists already");
        const auto removeTable = qScopeGuard([] { QFile::remove(DefaultTable()); });
        WriteHtmlStart(SampleDocument(), true);
        if (QTest::currentTestFailed()) return;
        TMiniForm form;
        QImage onScreen, painted;
        TMsgDlg::SetUnqueuedBoxHandler([&](const TMsgDlgRecord& box) {
            if (box.Text == HtmlQuestion) {
                onScreen = form.screen()->grabWindow(form.winId()).toImage();
                painted = form.grab().toImage();
            }
            return int(mrCancel);
        });
        const auto restoreHandler = qScopeGuard([] { formtest::FailOnUnexpectedBoxes(); });

        QVERIFY(StartUp(form, {TempPath(u"news.html"_s)}));
        QVERIFY(!painted.isNull());
        QCOMPARE(onScreen.convertToFormat(QImage::Format_RGB32),
                 painted.convertToFormat(QImage::Format_RGB32));
    }

    void closeQuestion() {
        const QString ini = QString::fromStdString(IniFileName);
        TMiniForm form;
        QVERIFY(StartUp(form));
        form.ED_Informer_Title->setText(u"変更"_s);
        QVERIFY(form.Modified);

        TMsgDlg::QueueAnswer(mrCancel);
        QVERIFY(!form.close());
        QCOMPARE(AnsweredTexts(), QStringList{u"「無題」への変更を保存しますか？"_s});
        QVERIFY(form.isVisible());
        QVERIFY(!QFile::exists(ini));

        form.XStringGrid->SetColWidths(1, 120);
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
            QVERIFY(form.LoadTableFile(table.toStdString()));
            form.XStringGrid->SetColWidths(3, 250);
            form.Mn_LastOpen->trigger();
            QVERIFY(!form.OpenLastFile);
            form.Mn_LastOpen->trigger();
            QVERIFY(form.close());
        }
        TMiniForm form;
        QVERIFY(StartUp(form));
        QCOMPARE(form.XStringGrid->ColWidths(3), 250);
        QCOMPARE(form.FileName, table.toStdString());
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
        auto form = std::make_unique<TMiniForm>();
        QVERIFY(StartUp(*form, how == u"command line"_s ? QStringList{u"site/news.tbl"_s}
                                                        : QStringList()));
        const int before = RenamesOnto(IniFileName);
        if (how == u"open"_s) {
            TFileDialog::QueueAnswer(table);
            form->R1->trigger();
        } else if (how == u"save as"_s) {
            TFileDialog::QueueAnswer(table);
            TMsgDlg::QueueAnswer(mrOk);
            form->Save1->trigger();
            AnsweredTexts();
        }
        QCOMPARE(RenamesOnto(IniFileName) - before, how == u"command line"_s ? 0 : 1);
        QCOMPARE(form->OpenDialog->InitialDir, TempPath(u"site"_s));
        QCOMPARE(form->SaveDialog->InitialDir, TempPath(u"site"_s));
        form.reset(); // as a crash would: never closed

        QDir::setCurrent(u"/"_s);
        TMiniForm next;
        QVERIFY(StartUp(next));
        QCOMPARE(next.FileName, FileSystemPath(table));
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
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("feedAddress");
        QTest::addColumn<QString>("saveFolder");
        QTest::addColumn<bool>("saveEnabled");
        QTest::addColumn<bool>("validatorEnabled");
        const QString missing = u"/no/such/folder"_s;
        QTest::newRow("new, no address") << ""
                                         << ""
                                         << "" << false << false;
        QTest::newRow("new, address") << ""
                                      << "http://a.example/"
                                      << "" << false << true;
        QTest::newRow("named, no address") << "/site/news.tbl"
                                           << ""
                                           << "" << true << false;
        QTest::newRow("named, address") << "/site/news.tbl"
                                        << "http://a.example/"
                                        << "" << true << true;
        QTest::newRow("named, address, missing save folder")
            << "/site/news.tbl"
            << "http://a.example/" << missing << true << false;
    }

    void menuStates() {
        QFETCH(QString, fileName);
        QFETCH(QString, feedAddress);
        QFETCH(QString, saveFolder);
        TMiniForm form;
        form.FileName = FileSystemPath(fileName);
        form.Edit_RssSave->setText(saveFolder);
        form.ED_Informer_RssAddress->setText(feedAddress);
        emit form.File1->aboutToShow();
        emit form.Commands1->aboutToShow();
        QTEST(form.Save2->isEnabled(), "saveEnabled");
        QTEST(form.Mn_feedAnalyzer->isEnabled(), "validatorEnabled");
        QVERIFY(form.Mn_LastOpen->isChecked());
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
        form.PageControl->setCurrentIndex(TMiniForm::pgChannel);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QList<QWidget*> expected{form.ED_Informer_Title,
                                       form.ED_Informer_Address,
                                       form.ED_Informer_Setumei,
                                       form.ED_Informer_RssAddress,
                                       form.Edit_Logo_Title,
                                       form.Edit_Logo_Address,
                                       form.Edit_Logo_Setumei,
                                       form.Edit_StyleSheet,
                                       form.RadioGroup_Ext->findChildren<QAbstractButton*>().at(0),
                                       form.CB_AutoData,
                                       form.CB_AutoAddress,
                                       form.Edit_RssSave,
                                       form.SB_Sansyo};
        form.ED_Informer_Title->setFocus();
        for (QWidget* next : expected.mid(1)) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }
};

QTEST_MAIN(TestMiniForm)
#include "test_MiniForm.moc"
