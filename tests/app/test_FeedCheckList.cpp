// The feed check in the editor: the list of findings, a double click that goes to the finding's
// cell or field, and the count of errors in the status bar after a save.

#include "FormTestSupport.h"
#include "app/FeedCheckList.h"
#include "app/FileDialog.h"
#include "app/FilePaths.h"
#include "app/MiniForm.h"
#include "app/RadioGroup.h"
#include "app/Settings.h"
#include "widgets/L_CCmbo.h"

#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
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
    static void FillCleanDocument(TMiniForm& form) {
        form.ED_Informer_Title->setText(u"喫茶ひなた"_s);
        form.ED_Informer_Address->setText(u"https://hinata.example/"_s);
        form.ED_Informer_Setumei->setText(u"小さな喫茶店です"_s);
        form.ED_Informer_RssAddress->setText(u"https://hinata.example/news/"_s);
        for (int row = 1; row <= 4; ++row) {
            const std::string number = std::to_string(row);
            form.XStringGrid->SetCells(0, row, "News " + number);
            form.XStringGrid->SetCells(1, row, "2005-04-0" + number);
            form.XStringGrid->SetCells(2, row, "https://hinata.example/" + number + ".html");
        }
    }

    // Double-clicks the list's line of the finding at `place` ("3行目", "チャンネル") whose field
    // is `field`.
    static bool DoubleClickFinding(TFeedCheckList& list, const QString& place,
                                   const QString& field) {
        QTableWidget& table = *list.List;
        for (int line = 0; line < table.rowCount(); ++line) {
            if (table.item(line, 1)->text() != place || table.item(line, 2)->text() != field)
                continue;
            const QRect cell = table.visualItemRect(table.item(line, 3));
            // A widget gets a double click as press, release, then the double click itself.
            QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell.center());
            return true;
        }
        return false;
    }

private slots:
    void init() { QVERIFY(BeginCase(false)); }

    void cleanup() { EndCase(); }

    void cleanDocumentHasNoFindings() {
        TMiniForm form;
        FillCleanDocument(form);
        TMsgDlg::QueueAnswer(mrOk);
        form.Mn_FeedCheck->trigger();
        QCOMPARE(AnsweredTexts(), QStringList{u"問題は見つかりませんでした。"_s});
        QVERIFY(!form.FeedCheckList->isVisible());
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
        TMiniForm form;
        FillCleanDocument(form);
        form.ED_Informer_Setumei->clear();
        form.Edit_Logo_Address->setText(u"https://hinata.example/logo.png"_s);
        form.Edit_Logo_Title->setText(u"ひなた"_s);
        form.XStringGrid->SetCells(1, 3, "");
        form.XStringGrid->SetCells(2, 4, "/4.html");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.XStringGrid->FocusCell(0, 1, true);

        form.Mn_FeedCheck->trigger();

        TFeedCheckList& list = *form.FeedCheckList;
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.List->rowCount(), 4);
        QVERIFY(list.Summary->text().startsWith(u"エラー 4件、警告 0件"_s));
        QVERIFY(DoubleClickFinding(list, place, field));
        QVERIFY(!list.isVisible());
        QCOMPARE(form.PageControl->currentIndex(), page);
        if (page == TMiniForm::pgItems) {
            QTEST(form.XStringGrid->Row(), "row");
            QTEST(form.XStringGrid->Col(), "col");
        } else {
            QFETCH(QString, focus);
            QVERIFY(form.focusWidget());
            QCOMPARE(form.focusWidget()->objectName(), focus);
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
        TMiniForm form;
        FillCleanDocument(form);
        form.FileName = FileSystemPath(dir_->filePath(u"Site.tbl"_s));
        form.XStringGrid->SetCells(1, 2, "2005/04/02");
        form.ED_Informer_Title->clear();
        TMsgDlg::QueueAnswer(mrOk);
        form.Save2->trigger();
        AnsweredTexts();
        QCOMPARE(form.StatusText(1), u"検査: エラー 2件"_s);

        if (change == u"cell") form.XStringGrid->SetCells(1, 2, "2005-04-02");
        if (change == u"channel field") form.ED_Informer_Title->setText(u"ひなた"_s);
        if (change == u"extension") form.RadioGroup_Ext->SetItemIndex(1);
        QCOMPARE(form.StatusText(1), QString());

        // A save without errors leaves the panel empty.
        form.XStringGrid->SetCells(1, 2, "2005-04-02");
        form.ED_Informer_Title->setText(u"ひなた"_s);
        TMsgDlg::QueueAnswer(mrOk);
        form.Save2->trigger();
        AnsweredTexts();
        QCOMPARE(form.StatusText(1), QString());
    }

    // A save that leaves errors in the feed says so under its message and offers the list.
    void saveWithErrorsOffersTheList() {
        TMiniForm form;
        FillCleanDocument(form);
        form.FileName = FileSystemPath(dir_->filePath(u"Site.tbl"_s));
        form.XStringGrid->SetCells(1, 2, "");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TMsgDlg::QueueAnswer(mrList);
        form.Save2->trigger();
        const std::vector<TMsgDlgRecord> boxes = TMsgDlg::TakeAnsweredBoxes();
        QCOMPARE(boxes.size(), size_t(1));
        QVERIFY(boxes[0].Text.endsWith(
            u"\r\n\r\nただし、フィードの検査でエラーが1件見つかりました。"_s));
        QCOMPARE(boxes[0].Buttons, (TMsgDlgButtons{mbOK, mbList}));
        QVERIFY(QTest::qWaitForWindowExposed(form.FeedCheckList));
        QCOMPARE(form.FeedCheckList->List->rowCount(), 1);
    }
};

QTEST_MAIN(TestFeedCheckList)
#include "test_FeedCheckList.moc"
