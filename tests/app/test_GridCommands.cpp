#include "FormTestSupport.h"
#include "app/FilePaths.h"
#include "app/GridMessages.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"
#include "document/TableFile.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDate>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include <map>
#include <memory>

using namespace Qt::StringLiterals;
using namespace formtest;

namespace {

const QString& InsertRefused = MsgInsertRefused;
const QString& DeleteQuestion = MsgDeleteRowQuestion;

QClipboard& Clipboard() {
    return *QGuiApplication::clipboard();
}

QString Today() {
    return QDate::currentDate().toString(u"yyyy-MM-dd"_s);
}

// Keys written as "S-Down", "C-Insert", "CS-Up" (Ctrl and Shift) or "Esc", "F5", "V".
QKeyCombination ParseKey(const QString& text) {
    const qsizetype dash = text.indexOf(u'-');
    Qt::KeyboardModifiers modifiers;
    if (dash > 0 && text.left(dash).contains(u'S')) modifiers |= Qt::ShiftModifier;
    if (dash > 0 && text.left(dash).contains(u'C')) modifiers |= Qt::ControlModifier;
    const QString name = text.mid(dash + 1);
    const int key = name == u"Esc"_s ? Qt::Key_Escape : QKeySequence(name)[0].key();
    return QKeyCombination(modifiers, Qt::Key(key));
}

void Press(const QString& keys) {
    for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts)) {
        const QKeyCombination combination = ParseKey(key);
        QTest::keyClick(QApplication::focusWidget(), combination.key(),
                        combination.keyboardModifiers());
    }
}

// Counts the paint events of the grid's body that reach beyond the cell editor: the area behind
// the editor is painted again on its own whenever the editor shows a new text.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(const QWidget& editor) : editor_(editor) {}
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint &&
            !(static_cast<QPaintEvent*>(event)->region() - editor_.geometry()).isEmpty())
            ++Count;
        return false;
    }

private:
    const QWidget& editor_;
};

} // namespace

class TestGridCommands : public formtest::TWindowTest {
    Q_OBJECT

private:
    // Opens a table file of `document` with the rows "n=title|date|address|description;m=…".
    bool OpenRows(const QString& rows, TFeedDocument document = {}) {
        for (const QString& entry : rows.split(u';', Qt::SkipEmptyParts)) {
            const QStringList cells = entry.section(u'=', 1).split(u'|');
            for (int col = 0; col < ItemColumns; ++col)
                document.Row(entry.section(u'=', 0, 0).toInt()).Cell(col) = Cp(cells.value(col));
        }
        return OpenDocument(Form(), TempPath(u"news.tbl"_s), document);
    }
    // Rows "n=rn" for the titles of rows first .. last.
    static QString Titles(int first, int last) {
        QStringList rows;
        for (int row = first; row <= last; ++row)
            rows << u"%1=r%1"_s.arg(row);
        return rows.join(u';');
    }
    QString Row(int row) {
        QStringList parts;
        for (int col = 0; col < ItemColumns; ++col)
            parts << Grid().CellQString(col, row);
        return parts.join(u'|');
    }
    // "n=cells;m=cells" for the listed rows.
    void CompareRows(const QString& expected) {
        for (const QString& entry : expected.split(u';', Qt::SkipEmptyParts)) {
            const int row = entry.section(u'=', 0, 0).toInt();
            QString cells = entry.section(u'=', 1);
            cells.replace(u"today"_s, Today());
            QCOMPARE(Row(row), cells);
        }
    }
    // Every item row, for comparing before and after.
    QString Rows() {
        QStringList rows;
        for (int row = 1; row <= MaxItemRows; ++row)
            rows << Row(row);
        return rows.join(u';');
    }
    // Whole rows are selected: the row mode.
    bool RowsSelected() { return Grid().Options().testFlag(goRowSelect); }

    QToolButton& Button(const QString& name) { return Control<QToolButton>(name); }
    QAction& Action(const QString& name) { return Control<QAction>(name); }
    TComboInplace& CellEditor(const QString& name) {
        return *Control<TComboCellEditor>(name).ComboControl();
    }

    void FocusField(QWidget& field) {
        ShowPage(Form(), TMiniForm::pgChannel);
        field.setFocus();
        QTRY_VERIFY(field.hasFocus());
    }

    // The whole document as its table file, for comparing before and after.
    std::string Document() { return TableFileText(Form().DocumentAsShown()); }

    // Runs a paste by key, toolbar button or menu item, each menu set as it opens.
    void RunPaste(const QString& how) {
        if (how == u"button"_s) {
            Button(u"SB_LinePaste"_s).click();
        } else if (how == u"main menu"_s) {
            OpenMenu(Form(), u"Edit1"_s);
            Trigger(Form(), u"Mn_LinePaste2"_s);
        } else if (how == u"popup menu"_s) {
            OpenMenu(Form(), u"PopupMenu"_s);
            Trigger(Form(), u"Mn_LinePaste"_s);
        } else {
            Press(how);
        }
    }

    // Sends an input method's composition to the focused cell editor, as a conversion shows it.
    static void Compose(const QString& preedit) {
        QInputMethodEvent composing(preedit, {});
        QCoreApplication::sendEvent(QApplication::focusWidget(), &composing);
    }

private slots:
    void init() {
        Clipboard().clear();
        QVERIFY(BeginCase(true));
    }

    void cleanup() { EndCase(); }

    // The toolbar's row commands and their keys on the current row of rows r1 .. r5 (and "last" in
    // row 50): the rows afterwards, the current row and the question asked.
    void rowCommands_data() {
        QTest::addColumn<bool>("bottomFilled");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("current");
        QTest::newRow("insert") << false << 3 << u"ins"_s << 0 << u""_s
                                << u"2=r2|||;3=|||;4=r3|||;6=r5|||"_s << 3;
        QTest::newRow("insert, row 50 holds text")
            << true << 3 << u"ins"_s << int(mrOk) << InsertRefused << u"3=r3|||;50=last|||"_s << 3;
        QTest::newRow("delete, yes") << true << 3 << u"del"_s << int(mrYes) << DeleteQuestion
                                     << u"3=r4|||;5=|||;49=last|||;50=|||"_s << 3;
        QTest::newRow("delete, cancel") << true << 3 << u"del"_s << int(mrCancel) << DeleteQuestion
                                        << u"3=r3|||;50=last|||"_s << 3;
        QTest::newRow("F2 inserts")
            << false << 1 << u"F2"_s << 0 << u""_s << u"1=|||;2=r1|||"_s << 1;
        QTest::newRow("F3 deletes") << false << 1 << u"F3"_s << int(mrYes) << DeleteQuestion
                                    << u"1=r2|||;4=r5|||;5=|||"_s << 1;
        QTest::newRow("down") << false << 2 << u"down"_s << 0 << u""_s << u"2=r3|||;3=r2|||"_s << 3;
        QTest::newRow("up") << false << 2 << u"up"_s << 0 << u""_s << u"1=r2|||;2=r1|||"_s << 1;
        QTest::newRow("F5 into an empty row")
            << false << 5 << u"F5"_s << 0 << u""_s << u"5=|||;6=r5|||"_s << 6;
        QTest::newRow("F6 from row 50")
            << true << 50 << u"F6"_s << 0 << u""_s << u"49=last|||;50=|||"_s << 49;
    }

    void rowCommands() {
        QFETCH(bool, bottomFilled);
        QFETCH(int, row);
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(QString, rows);
        QVERIFY(OpenRows(Titles(1, 5) + (bottomFilled ? u";50=last"_s : QString())));
        QVERIFY(GoTo(2, row));
        const QString before = Rows();
        TMsgDlg::QueueAnswer(answer);
        const std::map<QString, QString> buttons{{u"ins"_s, u"SB_LineIns"_s},
                                                 {u"del"_s, u"SB_LineDelete"_s},
                                                 {u"down"_s, u"SB_LineDown"_s},
                                                 {u"up"_s, u"SB_LineUp"_s}};
        if (buttons.contains(command))
            Button(buttons.at(command)).click();
        else
            Press(command);
        QTEST(AnsweredTexts().join(u'/'), "asked");
        TMsgDlg::ClearQueuedAnswers();
        CompareRows(rows);
        QCOMPARE(Form().Modified(), Rows() != before);
        QTEST(Grid().Row(), "current");
        QCOMPARE(Grid().Col(), 2);
    }

    void insertWorksAgainAfterADelete() {
        QVERIFY(OpenRows(u"50=last"_s));
        QVERIFY(GoTo(0, 3));
        TMsgDlg::QueueAnswer(mrOk);
        Button(u"SB_LineIns"_s).click();
        TMsgDlg::QueueAnswer(mrYes);
        Button(u"SB_LineDelete"_s).click();
        Button(u"SB_LineIns"_s).click();
        QCOMPARE(AnsweredTexts(), QStringList({InsertRefused, DeleteQuestion}));
        CompareRows(u"50=last|||"_s);
    }

    void copyRowsAndPasteThemBack() {
        QVERIFY(OpenRows(u"2=a|b|c|d;3=e|f|g|h"_s));
        QVERIFY(GoTo(0, 2));
        Press(u"S-Down S-Down"_s);
        Button(u"SB_LineIns"_s).click();
        QCOMPARE(Clipboard().text(), u"a\tb\tc\td\r\ne\tf\tg\th\r\n"_s);
        QVERIFY(RowsSelected());
        Press(u"Esc"_s);
        QVERIFY(GoTo(0, 2));
        Button(u"SB_LinePaste"_s).click();
        CompareRows(u"1=|||;2=a|b|c|d;3=e|f|g|h;4=a|b|c|d;5=e|f|g|h;6=|||"_s);
        QVERIFY(Form().Modified());
    }

    void rowModeKeys_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("rowMode");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("col");
        QTest::newRow("Shift+Down") << u"S-Down"_s << true << 3 << 3 << 1;
        QTest::newRow("Shift+Down twice") << u"S-Down S-Down"_s << true << 3 << 4 << 1;
        QTest::newRow("Shift+Up twice") << u"S-Up S-Up"_s << true << 2 << 3 << 1;
        QTest::newRow("Ctrl+Shift+Down") << u"CS-Down"_s << true << 3 << 3 << 1;
        QTest::newRow("Esc leaves") << u"S-Down Esc"_s << false << 3 << 3 << 1;
        QTest::newRow("Down leaves on the current row")
            << u"S-Down S-Down Down"_s << false << 4 << 4 << 1;
        QTest::newRow("Right leaves") << u"S-Down Right"_s << false << 3 << 3 << 1;
        QTest::newRow("Ctrl+Insert copies, stays") << u"S-Down C-Insert"_s << true << 3 << 3 << 1;
    }

    void rowModeKeys() {
        QFETCH(QString, keys);
        QFETCH(bool, rowMode);
        QFETCH(int, top);
        QFETCH(int, bottom);
        QFETCH(int, col);
        QVERIFY(GoTo(1, 3));
        Press(keys);
        QCOMPARE(RowsSelected(), rowMode);
        const TGridRect selection = Grid().Selection();
        QCOMPARE(selection.Top, top);
        QCOMPARE(selection.Bottom, bottom);
        QCOMPARE(Form().StatusText(0), u"%1 : 50"_s.arg(Grid().Row()));
        QCOMPARE(Button(u"SB_LineIns"_s).text(), rowMode ? u"コピー"_s : u"１行挿入"_s);
        QCOMPARE(Button(u"SB_LineIns"_s).toolTip(),
                 rowMode ? u"選択範囲をコピーします"_s : u"現在の行に１行挿入します"_s);
        QCOMPARE(Button(u"SB_LineDelete"_s).text(), rowMode ? u"切り取り"_s : u"１行削除"_s);
        QCOMPARE(Button(u"SB_LineDelete"_s).toolTip(),
                 rowMode ? u"選択範囲を切り取ります"_s : u"現在の行を削除します"_s);
        if (rowMode) {
            QCOMPARE(QApplication::focusWidget(), &Grid());
        } else {
            QCOMPARE(Grid().Col(), col);
            QTRY_VERIFY(CellEditor(u"ComboCellEditor_Date"_s).hasFocus());
        }
        if (keys.contains(u"Insert"_s)) QCOMPARE(Clipboard().text(), u"\t\t\t\r\n"_s);
    }

    void removeSelectedRows_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("clipboard");
        const QString rows = u"r3\t\t\t\r\nr4\t\t\t\r\n"_s;
        QTest::newRow("Delete") << u"Delete"_s << u"kept"_s;
        QTest::newRow("Shift+Delete cuts") << u"S-Delete"_s << rows;
        QTest::newRow("cut button") << u"button"_s << rows;
        QTest::newRow("delete menu item") << u"menu"_s << u"kept"_s;
    }

    void removeSelectedRows() {
        QFETCH(QString, command);
        QVERIFY(OpenRows(Titles(1, 6)));
        Clipboard().setText(u"kept"_s);
        QVERIFY(GoTo(1, 3));
        Press(u"S-Down S-Down"_s);
        // A question would take this answer.
        TMsgDlg::QueueAnswer(mrCancel);
        if (command == u"button"_s)
            Button(u"SB_LineDelete"_s).click();
        else if (command == u"menu"_s)
            Trigger(Form(), u"Mn_LineDelete2"_s);
        else
            Press(command);
        QCOMPARE(TMsgDlg::QueuedAnswerCount(), 1);
        TMsgDlg::ClearQueuedAnswers();
        CompareRows(u"2=r2|||;3=r5|||;4=r6|||;5=|||"_s);
        QTEST(Clipboard().text(), "clipboard");
        QVERIFY(!RowsSelected());
        QVERIFY(Form().Modified());
        QCOMPARE(Grid().Row(), 3);
        QCOMPARE(Grid().Col(), 0);
        QTRY_VERIFY(CellEditor(u"ComboCellEditor_Title"_s).hasFocus());
    }

    void toolbarStates_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("rowMode");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("up");
        QTest::newRow("first row") << 1 << false << true << false;
        QTest::newRow("middle row") << 25 << false << true << true;
        QTest::newRow("last row") << 50 << false << false << true;
        QTest::newRow("row mode") << 25 << true << false << false;
    }

    void toolbarStates() {
        QFETCH(int, row);
        QFETCH(bool, rowMode);
        if (row == 1) QCOMPARE(Form().StatusText(0), u"1 : 50"_s);
        QVERIFY(GoTo(0, row));
        if (rowMode) Press(u"S-Down"_s);
        QTEST(Button(u"SB_LineDown"_s).isEnabled(), "down");
        QTEST(Button(u"SB_LineUp"_s).isEnabled(), "up");
        QCOMPARE(Form().StatusText(0), u"%1 : 50"_s.arg(row));
        QCOMPARE(Form().StatusText(1), QString());
    }

    void pasteButtonFollowsTheClipboard_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("row text") << u"a\tb"_s << true;
        QTest::newRow("no TAB") << u"ab"_s << false;
        QTest::newRow("empty") << u""_s << false;
    }

    void pasteButtonFollowsTheClipboard() {
        QFETCH(QString, clipboard);
        QFETCH(bool, enabled);
        QToolButton& paste = Button(u"SB_LinePaste"_s);
        Clipboard().setText(enabled ? u"ab"_s : u"a\tb"_s);
        QTRY_COMPARE_WITH_TIMEOUT(paste.isEnabled(), !enabled, 1500);
        Clipboard().setText(clipboard);
        QTRY_COMPARE_WITH_TIMEOUT(paste.isEnabled(), enabled, 1500);
    }

    void pickList_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("addresses")
            << 2
            << QStringList{"http://a/", "http://b/", "HTTP://A/", "", "http://b/  ", "http://c/"}
            << QStringList{"http://a/", "http://b/", "http://c/"};
    }

    void pickList() {
        QFETCH(int, col);
        QFETCH(QStringList, cells);
        TFeedDocument document;
        for (int row = 1; row <= cells.size(); ++row)
            document.Row(row).Cell(col) = formtest::Cp(cells[row - 1]);
        QVERIFY(OpenDocument(Form(), TempPath(u"news.tbl"_s), document));
        QVERIFY(GoTo(col, 1));
        TComboInplace* combo = &CellEditor(u"ComboCellEditor_Title"_s);
        combo->DropDown();
        QStringList items;
        for (const std::string& item : combo->Items())
            items << FromCp932(item);
        combo->CloseUp(false);
        QTEST(items, "items");
        QCOMPARE(Control<TComboCellEditor>(u"ComboCellEditor_Title"_s).Items(),
                 std::vector<std::string>{std::string()});
    }

    void autoFill_data() {
        QTest::addColumn<bool>("autoDate");
        QTest::addColumn<bool>("autoAddress");
        QTest::addColumn<QString>("home");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        const QString home = u"http://hinata.example/"_s;
        QTest::newRow("title") << true << true << home << 0 << u"|||"_s << u"News"_s
                               << u"News|today|"_s + home + "|";
        QTest::newRow("options off")
            << false << false << home << 0 << u"|||"_s << u"News"_s << u"News|||"_s;
        QTest::newRow("cleared cell")
            << true << true << home << 0 << u"x|||"_s << u""_s << u"|||"_s;
    }

    void autoFill() {
        QFETCH(bool, autoDate);
        QFETCH(bool, autoAddress);
        QFETCH(QString, home);
        QFETCH(int, col);
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        TFeedDocument document;
        document.Channel.AutoDate = autoDate;
        document.Channel.AutoAddress = autoAddress;
        document.Channel.HomeAddress = home.toStdString();
        QVERIFY(OpenRows("1=" + before, document));
        QVERIFY(GoTo(col, 1));
        auto* editor = qobject_cast<TComboInplace*>(QApplication::focusWidget());
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, typed);
        QVERIFY(GoTo(col == 0 ? 1 : 0, 2));
        CompareRows("1=" + after);
        QVERIFY(Form().Modified());
    }

    // Row 1 gets its title typed, which fills in its date and address; then a cell of that row
    // takes a text committed as typed (Backspace for "<BS>") or a paste. The cell afterwards,
    // whether its date is marked, and what the status bar says.
    void typedAndPastedCells_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("status");
        const QString notDate =
            u"日付「12月上旬」はフィードの日付の形式ではありません。例: "_s + Today();
        const QString joined = u"2行の文字列を1行につないで貼り付けました。セルには1行だけが入り"
                               u"ます。"_s;
        QTest::newRow("date typed over today's")
            << 1 << u"2026/12/7"_s << QString() << u"2026-12-07"_s << false << QString();
        QTest::newRow("full-width date")
            << 1 << u"２０２６年１２月９日"_s << QString() << u"2026-12-09"_s << false << QString();
        QTest::newRow("no date") << 1 << u"12月上旬"_s << QString() << u"12月上旬"_s << true
                                 << notDate;
        QTest::newRow("the day it is typed")
            << 1 << u"今日"_s << QString() << Today() << false << QString();
        QTest::newRow("date with its time") << 1 << u"2026-12-14T18:30:00+09:00"_s << QString()
                                            << u"2026-12-14T18:30:00+09:00"_s << false << QString();
        QTest::newRow("date cleared")
            << 1 << u"<BS>"_s << QString() << QString() << true << QString();
        QTest::newRow("address typed over the home page")
            << 2 << u"https://x.example/"_s << QString() << u"https://x.example/"_s << false
            << QString();
        QTest::newRow("lines pasted") << 3 << QString() << u"第1回\r\n12月20日\r\n"_s
                                      << u"第1回 12月20日"_s << false << joined;
        QTest::newRow("spreadsheet cell pasted")
            << 3 << QString() << u"\"店長の\"\"おすすめ\"\"豆\""_s << u"店長の\"おすすめ\"豆"_s
            << false << QString();
    }

    void typedAndPastedCells() {
        QFETCH(int, col);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        TFeedDocument document;
        document.Channel.HomeAddress = "http://hinata.example/";
        QVERIFY(OpenDocument(Form(), TempPath(u"news.tbl"_s), document));
        QVERIFY(GoTo(0, 1));
        QTest::keyClicks(QApplication::focusWidget(), u"News"_s);
        QVERIFY(GoTo(col, 1));
        if (typed == u"<BS>"_s)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        else if (!typed.isEmpty())
            Commit(*QApplication::focusWidget(), typed);
        if (!pasted.isEmpty()) {
            Clipboard().setText(pasted);
            Press(u"C-V"_s);
        }
        QVERIFY(GoTo(0, 2));
        QTEST(Grid().CellQString(col, 1), "cell");
        QTEST(Form().MarksDateCell(1), "marked");
        QTEST(Form().StatusText(1), "status");
    }

    // An item of the edit menu on the channel title "abcd", typed into or with a part selected.
    void editCommandsOnAField_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("clipboardAfter");
        const QString paste = u"Mn_LinePaste2"_s;
        QTest::newRow("cut") << u"Mn_LineCut2"_s << u""_s << 1 << u""_s << u"ad"_s << u""_s
                             << u"bc"_s;
        QTest::newRow("copy") << u"Mn_LineCopy2"_s << u""_s << 1 << u""_s << u"abcd"_s << u"bc"_s
                              << u"bc"_s;
        QTest::newRow("delete") << u"Mn_LineDelete2"_s << u""_s << 1 << u"k"_s << u"ad"_s << u""_s
                                << u"k"_s;
        QTest::newRow("paste") << paste << u""_s << 1 << u"xy"_s << u"axyd"_s << u""_s << u"xy"_s;
        QTest::newRow("paste rows as one line")
            << paste << u""_s << 1 << u"x\ty\r\nz"_s << u"ax yd"_s << u""_s << u"x\ty\r\nz"_s;
        QTest::newRow("paste, empty clipboard")
            << paste << u""_s << 1 << u""_s << u"abcd"_s << u"bc"_s << u""_s;
        QTest::newRow("paste outside the code page")
            << paste << u""_s << 1 << u"😀"_s << u"abcd"_s << u"bc"_s << u"😀"_s;
        QTest::newRow("select all")
            << u"Mn_LineSelect2"_s << u""_s << 1 << u""_s << u"abcd"_s << u"abcd"_s << u""_s;
        QTest::newRow("undo") << u"Mn_LineUndo2"_s << u"z"_s << 4 << u""_s << u"abcd"_s << u""_s
                              << u""_s;
    }

    void editCommandsOnAField() {
        QFETCH(QString, item);
        QFETCH(QString, typed);
        QFETCH(int, selectionStart);
        QFETCH(QString, clipboard);
        TFeedDocument document;
        document.Channel.Title = "abcd";
        QVERIFY(OpenDocument(Form(), TempPath(u"news.tbl"_s), document));
        TPaintEdit& field = Field(Form(), u"ED_Informer_Title"_s);
        FocusField(field);
        QTest::keyClick(&field, Qt::Key_End);
        QTest::keyClicks(&field, typed);
        field.setSelection(selectionStart, typed.isEmpty() ? 2 : 0);
        Clipboard().setText(clipboard);
        OpenMenu(Form(), u"Edit1"_s);
        Trigger(Form(), item);
        QTEST(field.text(), "text");
        QTEST(field.selectedText(), "selected");
        QTEST(Clipboard().text(), "clipboardAfter");
    }

    // Item states in menu order: undo, cut, copy, paste, delete, select all.
    void editMenuStates_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("states");
        QTest::newRow("rows selected") << u"rows"_s << u"x"_s << u"011010"_s;
        QTest::newRow("field, part selected") << u"part"_s << u"x"_s << u"011111"_s;
        QTest::newRow("field, all selected") << u"all"_s << u""_s << u"011010"_s;
        QTest::newRow("empty field") << u"empty"_s << u"x"_s << u"000100"_s;
        QTest::newRow("field after typing") << u"typed"_s << u""_s << u"100001"_s;
        QTest::newRow("check box") << u"check"_s << u"x"_s << u"000000"_s;
        QTest::newRow("read-only memo") << u"memo"_s << u"x"_s << u"001001"_s;
        QTest::newRow("cell editor, row text") << u"cell"_s << u"a\tb"_s << u"000101"_s;
    }

    void editMenuStates() {
        QFETCH(QString, focus);
        QFETCH(QString, clipboard);
        TPaintEdit& field = Field(Form(), u"ED_Informer_Title"_s);
        if (focus == u"part"_s || focus == u"all"_s) {
            TFeedDocument document;
            document.Channel.Title = "abcd";
            QVERIFY(OpenDocument(Form(), TempPath(u"news.tbl"_s), document));
        }
        if (focus == u"rows"_s) {
            QVERIFY(GoTo(0, 3));
            Press(u"S-Down"_s);
        } else if (focus == u"check"_s) {
            FocusField(Control(u"CB_AutoData"_s));
        } else if (focus == u"memo"_s) {
            ShowPage(Form(), TMiniForm::pgConfirm);
            auto& memo = Control<QPlainTextEdit>(u"Memo"_s);
            memo.setFocus();
            QTRY_VERIFY(memo.hasFocus());
            QTextCursor cursor = memo.textCursor();
            cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 5);
            memo.setTextCursor(cursor);
        } else if (focus == u"cell"_s) {
            QVERIFY(OpenRows(u"1=abc"_s));
            QVERIFY(GoTo(0, 1));
        } else {
            FocusField(field);
            if (focus == u"typed"_s) QTest::keyClicks(&field, u"x"_s);
            if (focus == u"part"_s) field.setSelection(1, 2);
            if (focus == u"all"_s) field.selectAll();
        }
        Clipboard().setText(clipboard);
        // Each menu sets its items as it opens.
        for (const QString& name : {u"Edit1"_s, u"PopupMenu"_s}) {
            auto& menu = Control<QMenu>(name);
            menu.popup(Form().mapToGlobal(QPoint(20, 20)));
            QTRY_VERIFY(menu.isVisible());
            menu.close();
        }
        // The edit menu's items end in 2, their twins in the grid's context menu do not.
        const auto states = [this](const QString& suffix) {
            QString flags;
            for (const char* item : {"Mn_LineUndo", "Mn_LineCut", "Mn_LineCopy", "Mn_LinePaste",
                                     "Mn_LineDelete", "Mn_LineSelect"})
                flags += Action(QLatin1String(item) + suffix).isEnabled() ? u'1' : u'0';
            return flags;
        };
        QTEST(states(u"2"_s), "states");
        QTEST(states(QString()), "states");
    }

    void rowPasteKeys_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("Ctrl+V") << u"C-V"_s;
        QTest::newRow("Shift+Insert") << u"S-Insert"_s;
        QTest::newRow("F4 in the cell editor") << u"F4"_s;
        QTest::newRow("paste button") << u"button"_s;
    }

    void rowPasteKeys() {
        QFETCH(QString, key);
        QVERIFY(OpenRows(Titles(1, 3)));
        Clipboard().setText(u"a\tb\r\nc\td"_s);
        QVERIFY(GoTo(0, 2));
        if (key == u"button"_s)
            Button(u"SB_LinePaste"_s).click();
        else
            Press(key);
        CompareRows(u"1=r1|||;2=a|b||;3=c|d||;4=r2|||;5=r3|||"_s);
        // A key that pasted rows is used up: no pick list drops down over the result.
        QVERIFY(!CellEditor(u"ComboCellEditor_Title"_s).DroppedDown());
    }

    // Every paste command in cell and row mode, with room for the rows and with row 50 filled: a
    // paste the window's command handled, done or refused, is never pasted by the cell editor too.
    void everyPasteChangesTheDocumentOnce_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("rowMode");
        QTest::addColumn<bool>("full");
        for (const QString& how :
             {u"C-V"_s, u"S-Insert"_s, u"F4"_s, u"button"_s, u"main menu"_s, u"popup menu"_s}) {
            for (const bool rowMode : {false, true}) {
                for (const bool full : {false, true}) {
                    const QString name = how + (rowMode ? u", row mode"_s : u", cell mode"_s) +
                                         (full ? u", full grid"_s : u", room"_s);
                    QTest::newRow(qPrintable(name)) << how << rowMode << full;
                }
            }
        }
    }

    void everyPasteChangesTheDocumentOnce() {
        QFETCH(QString, how);
        QFETCH(bool, rowMode);
        QFETCH(bool, full);
        TFeedDocument document;
        document.Channel.Title = formtest::Cp(u"喫茶ひなた"_s);
        QVERIFY(OpenRows(Titles(1, 3) + (full ? u";50=last"_s : QString()), document));
        Clipboard().setText(u"a\tb\r\nc\td\r\n"_s);
        QVERIFY(GoTo(0, 3));
        if (rowMode) Press(u"S-Down"_s);
        const std::string before = Document();
        TFeedDocument expected = Form().DocumentAsShown();
        const bool pastes = !rowMode && !full;
        const bool refuses = !rowMode && full;
        if (pastes) {
            for (int row = MaxItemRows; row >= 5; --row)
                expected.Row(row) = expected.Row(row - 2);
            expected.Row(3) = {"a", "b", "", ""};
            expected.Row(4) = {"c", "d", "", ""};
        }
        if (refuses) TMsgDlg::QueueAnswer(mrOk);

        RunPaste(how);

        QCOMPARE(AnsweredTexts(), refuses ? QStringList{InsertRefused} : QStringList());
        QCOMPARE(Document(), pastes ? TableFileText(expected) : before);
        QCOMPARE(Form().Modified(), pastes);
    }

    // A composition still open in a cell goes into that cell, whatever moves or ends the edit.
    void openCompositionStaysInItsCell_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const QString spring = u"桜の季節"_s;
        QTest::newRow("click on another cell") << u"click"_s << u""_s << spring;
        QTest::newRow("click, cell with text") << u"click"_s << u"春"_s << spring + u"春"_s;
        QTest::newRow("Tab") << u"Tab"_s << u""_s << spring;
        QTest::newRow("Down") << u"Down"_s << u""_s << spring;
        QTest::newRow("page change") << u"page"_s << u""_s << spring;
        QTest::newRow("save") << u"save"_s << u""_s << spring;
        QTest::newRow("closing the window") << u"close"_s << u""_s << spring;
    }

    void openCompositionStaysInItsCell() {
        QFETCH(QString, how);
        QFETCH(QString, before);
        QVERIFY(OpenRows(u"5="_s + before));
        QVERIFY(GoTo(0, 5));
        Compose(u"桜の季節"_s);
        if (how == u"click"_s) {
            QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {},
                              Grid().CellRect(0, 7).center());
            QCOMPARE(Grid().Row(), 7);
        } else if (how == u"page"_s) {
            ShowPage(Form(), TMiniForm::pgChannel);
        } else if (how == u"save"_s) {
            Save(Form());
        } else if (how == u"close"_s) {
            TMsgDlg::QueueAnswer(mrCancel);
            QVERIFY(!Form().close());
            AnsweredTexts();
        } else {
            Press(how);
        }
        QTEST(Grid().CellQString(0, 5), "after");
        QCOMPARE(Form().Modified(), how != u"save"_s);
    }

    // A save reads a field's open conversion too: the menu that starts it does not end it.
    void openCompositionInAFieldIsSaved() {
        FocusField(Field(Form(), u"ED_Informer_Title"_s));
        Compose(u"喫茶ひなた"_s);
        Save(Form(), TempPath(u"news.tbl"_s));
        TFeedDocument saved;
        QVERIFY(LoadTableFile(saved, FileSystemPath(TempPath(u"news.tbl"_s))));
        QCOMPARE(saved.Channel.Title, formtest::Cp(u"喫茶ひなた"_s));
        QCOMPARE(Field(Form(), u"ED_Informer_Title"_s).text(), u"喫茶ひなた"_s);
    }

    // What an edit box or the row paste leaves out is named in the status bar.
    void refusedCharactersAreNamed_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("kept");
        const QString bread = u"「🍞」はこのプログラムでは使用できない文字です。"_s;
        QTest::newRow("commit into a field")
            << u"field"_s << u"🍣食べたい"_s << u"「🍣」はこのプログラムでは使用できない文字です。"_s
            << u"食べたい"_s;
        QTest::newRow("commit into a cell")
            << u"cell"_s << u"焼きたて🍞パン"_s << bread << u"焼きたてパン"_s;
        QTest::newRow("field over its limit")
            << u"field"_s << u"東京都"_s
            << u"入力できるのは40バイトまでです。「都」は入りませんでした。"_s << u"東京"_s;
    }

    void refusedCharactersAreNamed() {
        QFETCH(QString, where);
        QFETCH(QString, input);
        QFETCH(QString, message);
        QFETCH(QString, kept);
        const bool limitCase = input == u"東京都"_s;
        if (where == u"field"_s) {
            TPaintEdit& field = Field(Form(), u"ED_Informer_Title"_s);
            FocusField(field);
            if (limitCase) QTest::keyClicks(&field, QString(36, u'x'));
            Commit(field, input);
            QCOMPARE(field.text(), (limitCase ? QString(36, u'x') : QString()) + kept);
        } else {
            QVERIFY(GoTo(0, 1));
            Commit(*QApplication::focusWidget(), input);
            QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), kept);
        }
        QCOMPARE(Form().StatusText(1), message);
        // The next edit clears the message.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QCOMPARE(Form().StatusText(1), QString());
    }

    // A paste on row 17 (rows 1 to 16 hold text) that cannot go in as it is asks first: rows with
    // characters the table file cannot hold, into a cell too, and more rows than fit. The answer is
    // 貼り付ける, キャンセル, or Enter on the box as it opens.
    void pasteAsksFirst_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("rows");
        const QString replace = u"それぞれを「〓」に置き換えて貼り付けますか？"_s;
        const QString unheld =
            u"%1行目の%2: 「%3」(U+%4) はこのファイルに保存できない文字です。\r\n"_s;
        const QString bread = u"焼きたて🍞パン\t2005/1/5\r\nx\ty\tz\t説明😀\r\n"_s;
        const QString breadAsked = unheld.arg(u"17"_s, u"タイトル"_s, u"🍞"_s, u"1F35E"_s) +
                                   unheld.arg(u"18"_s, u"説明"_s, u"😀"_s, u"1F600"_s) + replace;
        for (const QString& answer : {u"paste"_s, u"cancel"_s, u"Enter"_s}) {
            const bool pastes = answer == u"paste"_s;
            QTest::addRow("rows, %s", qPrintable(answer))
                << u"rows"_s << bread << answer << breadAsked
                << (pastes ? u"16=r16|||;17=焼きたて〓パン|2005-01-05||;18=x|y|z|説明〓;19=|||"_s
                           : u"16=r16|||;17=|||"_s);
            QTest::addRow("cell, %s", qPrintable(answer))
                << u"cell"_s << u"おいしい😀\r\nパン"_s << answer
                << unheld.arg(u"17"_s, u"説明"_s, u"😀"_s, u"1F600"_s) + replace
                << (pastes ? u"17=|today||おいしい〓パン"_s : u"17=|||"_s);
            QString lines;
            for (int n = 1; n <= 40; ++n)
                lines += u"n%1\t\r\n"_s.arg(n);
            QTest::addRow("40 rows where 34 fit, %s", qPrintable(answer))
                << u"rows"_s << lines << answer
                << u"クリップボードには40行ありますが、ここに貼り付けられるのは34行です。\r\n"
                   u"最初の34行を貼り付けますか？"_s
                << (pastes ? u"16=r16|||;17=n1|||;50=n34|||"_s : u"17=|||;50=|||"_s);
        }
        QTest::newRow("five in a row, four in its cells")
            << u"rows"_s << u"😀\t😀\t😀\t😀\t😀"_s << u"paste"_s
            << unheld.arg(u"17"_s, u"タイトル"_s, u"😀"_s, u"1F600"_s) +
                   unheld.arg(u"17"_s, u"日付"_s, u"😀"_s, u"1F600"_s) +
                   unheld.arg(u"17"_s, u"アドレス"_s, u"😀"_s, u"1F600"_s) +
                   u"ほかに1文字あります。\r\n"_s + replace
            << u"17=〓|〓|〓|〓;18=|||"_s;
    }

    void pasteAsksFirst() {
        QFETCH(QString, where);
        QFETCH(QString, clipboard);
        QFETCH(QString, answer);
        QVERIFY(OpenRows(Titles(1, 16)));
        QVERIFY(GoTo(where == u"cell"_s ? icDescription : icTitle, 17));
        Clipboard().setText(clipboard);
        QStringList buttons;
        if (answer == u"Enter"_s) {
            // The box as the user meets it, Enter pressed as soon as it is up.
            TMsgDlg::SetUnqueuedBoxHandler(nullptr);
            QTimer poll;
            connect(&poll, &QTimer::timeout, [&] {
                QWidget* box = QApplication::activeModalWidget();
                if (!box || !box->isVisible()) return;
                poll.stop();
                for (const QAbstractButton* button : box->findChildren<QAbstractButton*>())
                    buttons << button->text();
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
            });
            poll.start(10);
            Press(u"C-V"_s);
            formtest::FailOnUnexpectedBoxes();
            buttons.sort();
            QCOMPARE(buttons, QStringList({u"キャンセル"_s, u"貼り付ける"_s}));
            Form().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&Form()));
        } else {
            TMsgDlg::QueueAnswer(answer == u"paste"_s ? mrOk : mrCancel);
            Press(u"C-V"_s);
            QTEST(AnsweredTexts().join(u'/'), "asked");
        }
        QVERIFY(GoTo(icTitle, 1));
        QFETCH(QString, rows);
        CompareRows(rows);
        QCOMPARE(Form().Modified(), answer == u"paste"_s);
    }

    void keyboardMenuKeepsTheCellEditor() {
        QVERIFY(GoTo(0, 2));
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor->isVisible());
        auto& menu = Control<QMenu>(u"Edit1"_s);
        QTest::keyClick(editor, Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(menu.isVisible());
        QTest::keyClick(&menu, Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!menu.isVisible());
        QVERIFY(editor->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), editor);

        // A command chosen from the menu by keys works on the cell editor it came from.
        QVERIFY(OpenRows(Titles(1, 3)));
        Clipboard().setText(u"a\tb\r\n"_s);
        QVERIFY(GoTo(0, 2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(menu.isVisible());
        QTest::keyClick(&menu, Qt::Key_P);
        CompareRows(u"1=r1|||;2=a|b||;3=r2|||;4=r3|||"_s);
    }

    void itemsPageTakesTheKeyboard() {
        ShowPage(Form(), TMiniForm::pgChannel);
        QTRY_VERIFY(!Grid().isAncestorOf(QApplication::focusWidget()));
        ShowPage(Form(), TMiniForm::pgItems);
        QTRY_VERIFY(Grid().isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == &Grid());
    }

    void copyKeysInRowMode_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("Ctrl+C") << u"C-C"_s;
        QTest::newRow("Ctrl+Insert") << u"C-Insert"_s;
        QTest::newRow("copy button") << u"button"_s;
    }

    void copyKeysInRowMode() {
        QFETCH(QString, key);
        QVERIFY(OpenRows(u"4=a|b|c|d"_s));
        // The edit menu last opened over an empty field, where copy is off.
        FocusField(Field(Form(), u"ED_Informer_Title"_s));
        OpenMenu(Form(), u"Edit1"_s);
        QVERIFY(!Action(u"Mn_LineCopy2"_s).isEnabled());
        QVERIFY(GoTo(0, 4));
        Press(u"S-Down"_s);
        if (key == u"button"_s)
            Button(u"SB_LineIns"_s).click();
        else
            Press(key);
        QCOMPARE(Clipboard().text(), u"a\tb\tc\td\r\n"_s);
        CompareRows(u"4=a|b|c|d"_s);
        QVERIFY(!Form().Modified());
    }

    void mousePressLeavesRowMode() {
        QVERIFY(GoTo(0, 2));
        Press(u"S-Down S-Down"_s);
        const QRect cell = Grid().CellRect(1, 5);
        QTest::mouseClick(Grid().viewport(), Qt::RightButton, {}, cell.center());
        QVERIFY(RowsSelected());
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(!RowsSelected());
        QCOMPARE(Grid().Row(), 5);
        QCOMPARE(Grid().Col(), 1);
        QCOMPARE(Grid().Selection(), (TGridRect{1, 5, 1, 5}));
    }

    void pasteOf10RowsPaintsOnce() {
        QVERIFY(GoTo(0, 1));
        QString lines;
        for (int row = 1; row <= 10; ++row)
            lines += u"t%1\t2005/1/%1\r\n"_s.arg(row);
        Clipboard().setText(lines);
        QApplication::processEvents(); // what the clipboard's change repaints
        TPaintCounter counter(CellEditor(u"ComboCellEditor_Title"_s));
        Grid().viewport()->installEventFilter(&counter);
        Press(u"C-V"_s);
        QTRY_VERIFY(counter.Count > 0);
        QApplication::processEvents(); // a second paint would have been asked for by now
        QCOMPARE(counter.Count, 1);
        CompareRows(u"10=t10|2005-01-10||"_s);
    }

    void themedHeader_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("plainHeader");
        QTest::newRow("visual styles") << u"Fusion"_s << false;
        QTest::newRow("plain Windows style") << u"Windows"_s << true;
    }

    void themedHeader() {
        QFETCH(QString, style);
        QFETCH(bool, plainHeader);
        QApplication::setStyle(QStyleFactory::create(style));
        const auto restore =
            qScopeGuard([] { QApplication::setStyle(QStyleFactory::create(u"Fusion"_s)); });
        // A point of the title column's header cell, clear of its centred caption.
        const QPoint at = Grid().viewport()->geometry().topLeft() + QPoint(8, -6);
        const QColor header = Grid().grab().toImage().pixelColor(at);
        QCOMPARE(header == QColor(0, 0, 0x88), plainHeader);
    }

    // Each kind of step done through the window, undone with Ctrl+Z and redone with Ctrl+Y and
    // Ctrl+Shift+Z: the whole document and Modified each time, the step's name in the edit menu
    // and what the status bar says.
    void undoRedo_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("status");
        const QString none;
        QTest::newRow("Delete key in row mode") << u"S-Down S-Down Delete"_s << u"2行削除"_s
                                                << u"2行削除しました。Ctrl+Zで元に戻せます。"_s;
        QTest::newRow("F3 answered yes") << u"F3"_s << u"1行削除"_s << none;
        QTest::newRow("cut in row mode") << u"S-Down S-Down S-Delete"_s << u"2行切り取り"_s << none;
        QTest::newRow("insert") << u"F2"_s << u"1行挿入"_s << none;
        QTest::newRow("move down") << u"F5"_s << u"行の移動"_s << none;
        QTest::newRow("paste with a date") << u"F4"_s << u"1行貼り付け"_s << none;
        QTest::newRow("cell with auto-fill") << u"type"_s << u"7行目のタイトルの入力"_s << none;
        QTest::newRow("feed check jump, then a cell")
            << u"finding"_s << u"2行目の日付の入力"_s << none;
        QTest::newRow("channel field left") << u"field"_s << u"説明文の変更"_s << none;
        QTest::newRow("check box") << u"check"_s << u"日付の自動セットの変更"_s << none;
        QTest::newRow("extension") << u"radio"_s << u"拡張子の変更"_s << none;
    }

    void undoRedo() {
        QFETCH(QString, how);
        QFETCH(QString, step);
        QFETCH(QString, status);
        QVERIFY(OpenRows(Titles(1, 5)));
        Clipboard().setText(u"p\t2024/7/8"_s);
        const std::string before = Document();
        QVERIFY(GoTo(0, 2));
        if (how == u"F3"_s) TMsgDlg::QueueAnswer(mrYes);
        if (how == u"type"_s) {
            QVERIFY(GoTo(0, 7));
            QTest::keyClicks(QApplication::focusWidget(), u"new"_s);
            Press(u"Return"_s);
        } else if (how == u"finding"_s) {
            Trigger(Form(), u"Mn_FeedCheck"_s);
            QVERIFY(DoubleClickFinding(Control<TFeedCheckList>(u"FeedCheckList"_s), u"2行目"_s,
                                       u"日付"_s));
            QTRY_VERIFY(qobject_cast<TComboInplace*>(QApplication::focusWidget()));
            QTest::keyClicks(QApplication::focusWidget(), u"2024-01-02"_s);
            Press(u"Return"_s);
        } else if (how == u"field"_s) {
            TPaintEdit& field = Field(Form(), u"ED_Informer_Setumei"_s);
            FocusField(field);
            QTest::keyClicks(&field, u"x"_s);
            ShowPage(Form(), TMiniForm::pgItems);
        } else if (how == u"check"_s) {
            Control<QCheckBox>(u"CB_AutoData"_s).click();
        } else if (how == u"radio"_s) {
            ClickExtension(Form(), 1);
        } else {
            Press(how);
        }
        const std::string after = Document();
        QVERIFY(after != before);
        QVERIFY(Form().Modified());
        QCOMPARE(Form().StatusText(1), status);
        OpenMenu(Form(), u"Edit1"_s);
        QCOMPARE(Action(u"Mn_LineUndo2"_s).text(), u"元に戻す: %1(&U)"_s.arg(step));

        // Undo works in row mode too.
        QVERIFY(GoTo(0, 1));
        Press(u"S-Down C-Z"_s);
        QCOMPARE(Document(), before);
        QVERIFY(!Form().Modified());
        OpenMenu(Form(), u"PopupMenu"_s);
        QCOMPARE(Action(u"Mn_LineRedo"_s).text(), u"やり直し: %1(&R)"_s.arg(step));
        Press(u"C-Y"_s);
        QCOMPARE(Document(), after);
        QVERIFY(Form().Modified());
        Press(u"C-Z CS-Z"_s);
        QCOMPARE(Document(), after);
        QCOMPARE(Control<QUndoStack>(u"UndoStack"_s).count(), 1);
    }

    // Ctrl+Z first takes back what the cell editor holds and has not committed, then the
    // document's steps; a save is where Modified clears again.
    void cellEditorUndoesFirst() {
        QVERIFY(GoTo(0, 1));
        QTest::keyClicks(QApplication::focusWidget(), u"one"_s);
        Press(u"Return"_s);
        QVERIFY(GoTo(0, 1));
        QTest::keyClicks(QApplication::focusWidget(), u"x"_s);
        auto* editor = qobject_cast<TComboInplace*>(QApplication::focusWidget());
        QVERIFY(editor);
        Press(u"C-Z"_s);
        QCOMPARE(editor->text(), u"one"_s);
        QCOMPARE(Grid().CellQString(0, 1), u"one"_s);
        Press(u"C-Z"_s);
        QCOMPARE(Grid().CellQString(0, 1), QString());
        QVERIFY(Control<QUndoStack>(u"UndoStack"_s).canRedo());
    }

    // Loading a file and 新規 start a new history; undoing back to the save clears Modified.
    void historyFollowsTheFile() {
        QVERIFY(GoTo(0, 1));
        QTest::keyClicks(QApplication::focusWidget(), u"one"_s);
        Press(u"Return"_s);
        const QString path = TempPath(u"news.tbl"_s);
        Save(Form(), path);
        QVERIFY(!Form().Modified());
        QVERIFY(GoTo(0, 2));
        QTest::keyClicks(QApplication::focusWidget(), u"two"_s);
        Press(u"Return C-Z"_s);
        QVERIFY(!Form().Modified());
        Press(u"C-Z"_s);
        QVERIFY(Form().Modified());
        TMsgDlg::QueueAnswer(mrNo);
        QVERIFY(OpenTable(Form(), path));
        AnsweredTexts();
        const auto& history = Control<QUndoStack>(u"UndoStack"_s);
        QVERIFY(!history.canUndo() && !history.canRedo());
        QVERIFY(!Form().Modified());
    }
};

QTEST_MAIN(TestGridCommands)
#include "test_GridCommands.moc"
