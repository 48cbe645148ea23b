// The keys a desktop user expects of the editor window: the file menu's shortcuts and the page
// changes, from every page and from inside a cell editor, and what the window shows after them.

#include "FormTestSupport.h"
#include "app/FileDialog.h"
#include "app/FilePaths.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"
#include "document/TableFile.h"
#include "widgets/L_CCmbo.h"
#include "widgets/XStringGrid.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace formtest;

namespace {

const QString SaveQuestion = u"「無題」への変更を保存しますか？"_s;

} // namespace

class TestDesktopKeys : public TWindowTest {
    Q_OBJECT

private:
    // Puts the keyboard where `place` names: a channel field, a cell editor or the feed text.
    bool FocusPlace(const QString& place) {
        if (place == u"cell editor") return GoTo(0, 2);
        const bool channel = place == u"channel field";
        ShowPage(Form(), channel ? TMiniForm::pgChannel : TMiniForm::pgConfirm);
        QWidget* target = &Control(channel ? u"ED_Informer_Address"_s : u"Memo"_s);
        target->setFocus();
        return QTest::qWaitFor([target] { return target->hasFocus(); });
    }

    void PressOnFocus(const QKeySequence& keys) {
        const QKeyCombination key = keys[0];
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }

    QString TablePath() const { return TempPath(u"news.tbl"_s); }

private slots:
    void init() { QVERIFY(BeginCase(true)); }

    void cleanup() {
        QCOMPARE(TFileDialog::QueuedAnswerCount(), 0);
        EndCase();
    }

    // The menu shows each shortcut beside its item, and the captions of the commands that hand
    // the feed to the desktop say what they open.
    void menuItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        const auto row = [](const char* name, const QString& caption, QKeySequence keys) {
            QTest::newRow(name) << QString::fromLatin1(name) << caption << keys;
        };
        row("N2", u"新規(&N)"_s, QKeySequence(Qt::CTRL | Qt::Key_N));
        row("R1", u"開く(&R)..."_s, QKeySequence(Qt::CTRL | Qt::Key_O));
        row("Save2", u"上書き保存(&S)"_s, QKeySequence(Qt::CTRL | Qt::Key_S));
        row("Save1", u"名前を付けて保存(&A)..."_s, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        row("Exit1", u"終了(&X)"_s, QKeySequence(Qt::CTRL | Qt::Key_Q));
        row("InternetExplorer1", u"ブラウザで確認(&E)..."_s, QKeySequence());
        row("Mn_feedAnalyzer", u"フィード検証サービスで構文チェック(&F)..."_s, QKeySequence());
    }

    void menuItems() {
        QFETCH(QString, name);
        const auto* action = Form().findChild<QAction*>(name);
        QVERIFY(action);
        QTEST(action->text(), "caption");
        QTEST(action->shortcut(), "shortcut");
    }

    // Each file shortcut runs its command wherever the keyboard is; the command's first step on a
    // changed document (its question, or the save dialog) shows that it ran.
    void fileShortcuts_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("saveDialog");
        for (const char* place : {"channel field", "cell editor", "feed text"}) {
            const auto row = [place](const char* command, QKeySequence keys, const QString& asked,
                                     bool saveDialog) {
                QTest::addRow("%s in %s", command, place)
                    << QString::fromLatin1(place) << keys << asked << saveDialog;
            };
            row("new", QKeySequence(Qt::CTRL | Qt::Key_N), SaveQuestion, false);
            row("open", QKeySequence(Qt::CTRL | Qt::Key_O), SaveQuestion, false);
            row("save as", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), QString(), true);
            row("save unnamed", QKeySequence(Qt::CTRL | Qt::Key_S), QString(), true);
            row("quit", QKeySequence(Qt::CTRL | Qt::Key_Q), SaveQuestion, false);
        }
    }

    void fileShortcuts() {
        QFETCH(QString, place);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, asked);
        QFETCH(bool, saveDialog);
        // The file menu was opened once on the unnamed document, which greys 上書き保存 there.
        Control<QMenu>(u"File1"_s).popup({0, 0});
        Control<QMenu>(u"File1"_s).hide();
        QTest::keyClicks(&Field(Form(), u"ED_Informer_Setumei"_s), u"x"_s);
        QVERIFY(FocusPlace(place));
        if (!asked.isEmpty()) TMsgDlg::QueueAnswer(mrCancel);
        if (saveDialog) TFileDialog::QueueCancel();
        PressOnFocus(keys);
        QCOMPARE(AnsweredTexts(), asked.isEmpty() ? QStringList() : QStringList{asked});
        QVERIFY(Form().isVisible());
        QVERIFY(Form().Modified());
    }

    // Ctrl+S in a cell editor saves the text typed into it, as 上書き保存 from the menu does.
    void saveKeyCommitsTheCellEditor() {
        Save(Form(), TablePath());
        QVERIFY(GoTo(0, 1));
        QTest::keyClicks(QApplication::focusWidget(), u"Opening"_s);
        TMsgDlg::QueueAnswer(mrOk);
        PressOnFocus(QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(AnsweredTexts().size(), 1);
        TFeedDocument saved;
        QVERIFY(LoadTableFile(saved, Cp(TablePath())));
        QCOMPARE(saved.Row(1).Cell(0), std::string("Opening"));
        QVERIFY(!Form().Modified());
    }

    // Ctrl+Tab and Ctrl+PageDown go to the next page, with Shift or PageUp to the one before,
    // around the ends; a cell editor and a text box do not keep these keys.
    void pageKeys_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("page");
        const QKeySequence next(Qt::CTRL | Qt::Key_Tab);
        const QKeySequence before(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab);
        const QKeySequence down(Qt::CTRL | Qt::Key_PageDown);
        const QKeySequence up(Qt::CTRL | Qt::Key_PageUp);
        QTest::newRow("Ctrl+Tab in a cell editor") << u"cell editor"_s << next << 2;
        QTest::newRow("Ctrl+Shift+Tab in a cell editor") << u"cell editor"_s << before << 0;
        QTest::newRow("Ctrl+PageDown in a cell editor") << u"cell editor"_s << down << 2;
        QTest::newRow("Ctrl+PageUp in a cell editor") << u"cell editor"_s << up << 0;
        QTest::newRow("Ctrl+Tab in a channel field") << u"channel field"_s << next << 1;
        QTest::newRow("Ctrl+PageUp wraps to the last") << u"channel field"_s << up << 2;
        QTest::newRow("Ctrl+Tab wraps to the first") << u"feed text"_s << next << 0;
        QTest::newRow("Ctrl+Shift+Tab in the feed text") << u"feed text"_s << before << 1;
    }

    void pageKeys() {
        QFETCH(QString, place);
        QFETCH(QKeySequence, keys);
        QVERIFY(FocusPlace(place));
        const int row = Grid().Row();
        PressOnFocus(keys);
        QTEST(CurrentPage(Form()), "page");
        QCOMPARE(Grid().Row(), row);
    }

    // The page tab with the keyboard's focus looks different from the same tab without it.
    void focusedPageTabShowsAFocusMark() {
        QTabBar* tabs = Control<QTabWidget>(u"PageControl"_s).tabBar();
        ShowPage(Form(), TMiniForm::pgChannel);
        TPaintEdit& title = Field(Form(), u"ED_Informer_Title"_s);
        title.setFocus();
        QTRY_VERIFY(title.hasFocus());
        const QImage unfocused = tabs->grab().toImage();
        tabs->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(tabs->hasFocus());
        QVERIFY(tabs->grab().toImage() != unfocused);
    }

    // 新規 closes the cell editor that was open: only the editor of the new current cell is left
    // on the grid.
    void newLeavesOnlyTheCurrentCellEditor() {
        QVERIFY(GoTo(1, 24));
        QTest::keyClicks(QApplication::focusWidget(), u"2026/12/07"_s);
        TMsgDlg::QueueAnswer(mrNo);
        PressOnFocus(QKeySequence(Qt::ALT | Qt::Key_F));
        auto& menu = Control<QMenu>(u"File1"_s);
        QTRY_VERIFY(menu.isVisible());
        QTest::keyClick(&menu, Qt::Key_N);
        QCOMPARE(AnsweredTexts(), QStringList{u"「%1」への変更を保存しますか？"_s.arg(
                                      DocumentName(Form().FileName()))});
        QTRY_COMPARE(Grid().Row(), 1);
        QCOMPARE(Grid().Col(), 0);
        const QRect current = Grid().CellRect(0, 1);
        for (const TComboInplace* editor : Grid().findChildren<TComboInplace*>()) {
            if (!editor->isVisible()) continue;
            QVERIFY2(
                current.contains(editor->geometry().center()),
                qPrintable(u"an editor is shown at %1,%2"_s.arg(editor->x()).arg(editor->y())));
        }
    }
};

QTEST_MAIN(TestDesktopKeys)
#include "test_DesktopKeys.moc"
