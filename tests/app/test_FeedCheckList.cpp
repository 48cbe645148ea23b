// The feed check in the editor: the list of findings, a double click that goes to the finding's
// cell or field, and the count of errors in the status bar after a save.

#include "FormTestSupport.h"
#include "app/FeedCheckList.h"
#include "app/FileDialog.h"
#include "app/MiniForm.h"
#include "app/Settings.h"
#include "widgets/L_CCmbo.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace formtest;

class TestFeedCheckList : public formtest::TWindowTest {
    Q_OBJECT

private:
    // A document the check has nothing to say about.
    static TFeedDocument CleanDocument() {
        TFeedDocument document;
        document.Channel.Title = Cp(u"喫茶ひなた"_s);
        document.Channel.HomeAddress = "https://hinata.example/";
        document.Channel.Description = Cp(u"小さな喫茶店です"_s);
        document.Channel.FeedAddress = "https://hinata.example/news/";
        for (int row = 1; row <= 4; ++row) {
            const std::string number = std::to_string(row);
            document.Row(row) = {"News " + number, "2005-04-0" + number,
                                 "https://hinata.example/" + number + ".html", ""};
        }
        return document;
    }

    bool Open(const TFeedDocument& document) {
        return OpenDocument(Form(), TempPath(u"Site.tbl"_s), document);
    }

    TFeedCheckList& List() { return Control<TFeedCheckList>(u"FeedCheckList"_s); }

    // Types the date of row 2 as the user does.
    void TypeDate(const QString& date) {
        QVERIFY(GoTo(icDate, 2));
        Retype(*QApplication::focusWidget(), date);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

private slots:
    void init() { QVERIFY(BeginCase(true)); }

    void cleanup() { EndCase(); }

    void cleanDocumentHasNoFindings() {
        QVERIFY(Open(CleanDocument()));
        TMsgDlg::QueueAnswer(mrOk);
        Trigger(Form(), u"Mn_FeedCheck"_s);
        QCOMPARE(AnsweredTexts(), QStringList{u"問題は見つかりませんでした。"_s});
        QVERIFY(!List().isVisible());
    }

    // Each finding takes the lines its message needs at the width the window gives it.
    void rowsAsHighAsTheirMessages_data() {
        QTest::addColumn<int>("findings");
        QTest::addColumn<int>("words"); // of the message
        QTest::newRow("two short") << 2 << 3;
        QTest::newRow("twenty short") << 20 << 3;
        QTest::newRow("one long") << 1 << 60;
    }
    void rowsAsHighAsTheirMessages() {
        QFETCH(int, findings);
        QFETCH(int, words);
        TFeedCheckList list;
        std::string message;
        for (int word = 0; word < words; ++word)
            message += "finding ";
        list.SetFindings(std::vector<TFeedFinding>(findings, TFeedFinding{{}, 1, 0, {}, message}));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QFontMetrics metrics = list.List->fontMetrics();
        // Whole words wrap: a line may end up to a word short of the column's width.
        const int width = list.List->columnWidth(3) - metrics.horizontalAdvance(u"finding "_s);
        const int lines = metrics.horizontalAdvance(QString::fromStdString(message)) / width + 1;
        for (int row = 0; row < findings; ++row)
            QVERIFY2(
                list.List->rowHeight(row) <= lines * metrics.lineSpacing() + 12,
                qPrintable(u"%1 lines, %2 pixels"_s.arg(lines).arg(list.List->rowHeight(row))));
    }

    void doubleClickGoesToTheFinding_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("row"); // grid row and column, for an entry's finding
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("focus"); // the channel field's edit box, for the channel's

        QTest::newRow("entry's date")
            << u"3行目"_s << u"日付"_s << int(TMiniForm::pgItems) << 3 << 1 << QString();
        QTest::newRow("entry's address")
            << u"4行目"_s << u"アドレス"_s << int(TMiniForm::pgItems) << 4 << 2 << QString();
        QTest::newRow("channel's description")
            << u"チャンネル"_s << u"説明文"_s << int(TMiniForm::pgChannel) << 0 << 0
            << u"ED_Informer_Setumei"_s;
        QTest::newRow("logo's link")
            << u"チャンネル"_s << u"ロゴをクリックしたときのアドレス"_s << int(TMiniForm::pgChannel)
            << 0 << 0 << u"Edit_Logo_Setumei"_s;
    }

    void doubleClickGoesToTheFinding() {
        QFETCH(QString, place);
        QFETCH(QString, field);
        QFETCH(int, page);
        TFeedDocument document = CleanDocument();
        document.Channel.Description.clear();
        document.Channel.LogoImageAddress = "https://hinata.example/logo.png";
        document.Channel.LogoTitle = Cp(u"ひなた"_s);
        document.Row(3).Date.clear();
        document.Row(4).Address = "/4.html";
        QVERIFY(Open(document));
        QVERIFY(GoTo(0, 1));

        Trigger(Form(), u"Mn_FeedCheck"_s);

        TFeedCheckList& list = List();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.List->rowCount(), 4);
        QVERIFY(list.Summary->text().startsWith(u"エラー 4件、警告 0件"_s));
        QVERIFY(DoubleClickFinding(list, place, field));
        QVERIFY(!list.isVisible());
        QCOMPARE(CurrentPage(Form()), page);
        if (page == TMiniForm::pgItems) {
            QTEST(Grid().Row(), "row");
            QTEST(Grid().Col(), "col");
        } else {
            QFETCH(QString, focus);
            QVERIFY(Form().focusWidget());
            QCOMPARE(Form().focusWidget()->objectName(), focus);
        }
    }

    // After a save the status bar counts the errors; the next change takes the count away.
    void saveShowsErrorCountUntilNextChange_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("cell") << u"cell"_s;
        QTest::newRow("channel field") << u"channel field"_s;
        QTest::newRow("extension") << u"extension"_s;
    }

    void saveShowsErrorCountUntilNextChange() {
        QFETCH(QString, change);
        TFeedDocument document = CleanDocument();
        document.Row(2).Date = "2005/04/02";
        document.Channel.Title.clear();
        QVERIFY(Open(document));
        Save(Form());
        QCOMPARE(Form().StatusText(1), u"検査: エラー 2件"_s);

        TPaintEdit& title = Field(Form(), u"ED_Informer_Title"_s);
        if (change == u"cell") TypeDate(u"2005-04-02"_s);
        if (change == u"channel field") Type(title, u"ひなた"_s);
        if (change == u"extension") ClickExtension(Form(), 1);
        QCOMPARE(Form().StatusText(1), QString());

        // A save without errors leaves the panel empty.
        TypeDate(u"2005-04-02"_s);
        Retype(title, u"ひなた"_s);
        Save(Form());
        QCOMPARE(Form().StatusText(1), QString());
    }

    // A save that leaves errors in the feed says so under its message and offers the list.
    void saveWithErrorsOffersTheList() {
        TFeedDocument document = CleanDocument();
        document.Row(2).Date.clear();
        QVERIFY(Open(document));
        TMsgDlg::QueueAnswer(mrList);
        Trigger(Form(), u"Save2"_s);
        const std::vector<TMsgDlgRecord> boxes = TMsgDlg::TakeAnsweredBoxes();
        QCOMPARE(boxes.size(), size_t(1));
        QVERIFY(boxes[0].Text.endsWith(
            u"\r\n\r\nただし、フィードの検査でエラーが1件見つかりました。"_s));
        QCOMPARE(boxes[0].Buttons, (TMsgDlgButtons{mbOK, mbList}));
        QVERIFY(QTest::qWaitForWindowExposed(&List()));
        QCOMPARE(List().List->rowCount(), 1);
    }
};

QTEST_MAIN(TestFeedCheckList)
#include "test_FeedCheckList.moc"
