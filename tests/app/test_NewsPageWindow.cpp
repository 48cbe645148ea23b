// The news page from the window: 機能 > お知らせページの設定... answered as a user would, the
// saves that write the page beside the feed, and its settings following a save under another
// name. Controls are found by their object names.

#include "FormTestSupport.h"
#include "app/FileDialog.h"
#include "app/MiniForm.h"
#include "widgets/Cp932Edit.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace formtest;

namespace {

// Fills the dialog the next command opens and presses OK; with a name the page cannot take, the
// dialog says why, and is then cancelled.
void AnswerNewsPageDialog(bool enabled, const QString& name, bool nameRefused = false) {
    QTimer::singleShot(0, [=] {
        QDialog* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog && dialog->objectName() == u"NewsPageDialog"_s);
        dialog->findChild<QCheckBox*>(u"CB_NewsPage"_s)->setChecked(enabled);
        dialog->findChild<QLineEdit*>(u"ED_NewsPageName"_s)->setText(name);
        if (nameRefused) TMsgDlg::QueueAnswer(mrOk);
        dialog->accept();
        QCOMPARE(dialog->isVisible(), nameRefused);
        if (nameRefused) dialog->reject();
    });
}

} // namespace

class TestNewsPageWindow : public TWindowTest {
    Q_OBJECT

private:
    void Trigger(const QString& action) { formtest::Trigger(Form(), action); }

    // Saves (under `name` when it is given); the text of the save's report.
    QString Save(const QString& name = {}) {
        const QStringList texts = formtest::Save(Form(), name.isEmpty() ? name : TempPath(name));
        return texts.isEmpty() ? QString() : texts.back();
    }

private slots:
    void initTestCase() { FailOnUnexpectedBoxes(); }
    void init() { QVERIFY(BeginCase(true)); }
    void cleanup() { EndCase(); }

    void savesWriteThePageTheTableFileAsksFor() {
        Retype(Field(Form(), u"ED_Informer_Title"_s), u"ひなた珈琲 <店>"_s);
        TMsgDlg::QueueAnswer(mrOk);
        Trigger(u"Mn_NewsPage"_s); // before the first save: the settings need a table file
        QVERIFY(AnsweredTexts().back().contains(u"先にテーブルファイルを保存してください"_s));
        QVERIFY(!Save(u"News.tbl"_s).contains(u"お知らせページ"_s));

        AnswerNewsPageDialog(true, u"sub/page.html"_s, true);
        Trigger(u"Mn_NewsPage"_s);
        AnswerNewsPageDialog(true, u"お知らせ.html"_s);
        Trigger(u"Mn_NewsPage"_s);
        QVERIFY(
            Save().contains(u"お知らせページの名前 : \"%1\""_s.arg(TempPath(u"お知らせ.html"_s))));
        QVERIFY(ReadAll(TempPath(u"お知らせ.html"_s)).contains("<h1>ひなた珈琲 &lt;店&gt;</h1>"));
        QVERIFY(QFile::exists(TempPath(u"お知らせ-list.html"_s)));

        // A save under another name takes the settings along.
        Save(u"Other.tbl"_s);
        QVERIFY(QFile::remove(TempPath(u"お知らせ.html"_s)));
        Save();
        QVERIFY(QFile::exists(TempPath(u"お知らせ.html"_s)));

        AnswerNewsPageDialog(false, u"お知らせ.html"_s);
        Trigger(u"Mn_NewsPage"_s);
        QVERIFY(QFile::remove(TempPath(u"お知らせ.html"_s)));
        QVERIFY(!Save().contains(u"お知らせページ"_s));
        QVERIFY(!QFile::exists(TempPath(u"お知らせ.html"_s)));
    }
};

QTEST_MAIN(TestNewsPageWindow)
#include "test_NewsPageWindow.moc"
