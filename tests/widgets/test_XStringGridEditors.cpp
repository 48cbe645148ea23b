#include "XStringGridSupport.h"

#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

enum class TCaret { AtStart, AtEnd, AllSelected };

// Records the key presses a widget receives.
class TKeyRecorder : public QObject {
public:
    explicit TKeyRecorder(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    std::vector<std::pair<int, QString>> presses;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            presses.emplace_back(key->key(), key->text());
        }
        return false;
    }
};

// What the window shows: its backing store, as the screen has it.
QImage Shown(QWidget* window) {
    Settle();
    return window->screen()->grabWindow(window->winId()).toImage();
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ECellEditorError& error) {
        return error.what();
    }
    return "no error";
}

// A cell editor whose control comes from `create`.
class TMadeEditor : public TMetaCellEditor {
public:
    TMadeEditor(QObject* owner, std::function<QWidget*()> create)
        : TMetaCellEditor(owner), create_(std::move(create)) {}
    void StartEdit() override {}
    void CommitEdit() override {}

protected:
    QWidget* CreateControl(QObject*) override { return create_(); }

private:
    std::function<QWidget*()> create_;
};

} // namespace

class TestXStringGridEditors : public QObject {
    Q_OBJECT

    std::unique_ptr<TItemGridWindow> items_;

    // The item grid, its cells (col, 1..50) filled with "abc", the editor open on `start`.
    TItemGridWindow& EditingAt(TGridCoord start, const std::string& text = "abc") {
        items_ = std::make_unique<TItemGridWindow>();
        for (int row = 1; row <= 50; ++row)
            for (int col = 0; col < 4; ++col)
                items_->grid->SetCells(col, row, text);
        items_->grid->FocusCell(start.X, start.Y, true);
        items_->Activate();
        items_->keys.clear();
        return *items_;
    }

private slots:
    void cleanup() { items_.reset(); }

    void oneEditorServesManyColumnsOfOneGrid() {
        QWidget owner;
        TXStringGrid first(&owner);
        first.setObjectName(u"Grid1"_s);
        TXStringGrid second(&owner);
        second.setObjectName(u"Grid2"_s);
        TComboCellEditor editor(&owner);
        editor.setObjectName(u"CellEditor1"_s);
        first.Columns()->Items(1)->SetEditor(&editor);
        first.Columns()->Items(2)->SetEditor(&editor);
        QCOMPARE(editor.AttachCount(), 2);
        QCOMPARE(editor.Grid(), &first);
        QCOMPARE(editor.GetControl()->parentWidget(), first.viewport());

        QCOMPARE(ErrorOf([&] { second.Columns()->Items(1)->SetEditor(&editor); }),
                 std::string("CellEditor1 is already assigned to Grid1"));
        QCOMPARE(second.Columns()->Items(1)->Editor(), nullptr);

        first.Columns()->Items(1)->SetEditor(nullptr);
        QCOMPARE(editor.AttachCount(), 1);
        first.Columns()->Items(2)->SetEditor(nullptr);
        QCOMPARE(editor.AttachCount(), 0);
        QCOMPARE(editor.Grid(), nullptr);
        QCOMPARE(editor.GetControl()->parentWidget(), &owner);
        second.Columns()->Items(1)->SetEditor(&editor);
        QCOMPARE(editor.Grid(), &second);
    }

    void controlNeedsAWidgetOwner() {
        QObject notAWidget;
        QCOMPARE(ErrorOf([&] { TComboCellEditor editor(&notAWidget); }),
                 std::string("Cell Editor not of type TCellEditor"));
        QCOMPARE(ErrorOf([] { TComboCellEditor editor(nullptr); }),
                 std::string("Cell Editor not of type TCellEditor"));
    }

    // What PrepareEditor reports when the control cannot be made: its own error when
    // CreateControl gives none, the creation's own exception otherwise.
    void failedControlKeepsItsCause_data() {
        QTest::addColumn<std::function<QWidget*()>>("create");
        QTest::addColumn<bool>("editorError");
        QTest::addColumn<QString>("message");
        QTest::newRow("no control") << std::function<QWidget*()>([] { return nullptr; }) << true
                                    << u"Cell Editor not of type TCellEditor"_s;
        QTest::newRow("creation failed") << std::function<QWidget*()>([]() -> QWidget* {
            throw std::runtime_error("no display");
        }) << false << u"no display"_s;
    }

    void failedControlKeepsItsCause() {
        QFETCH(std::function<QWidget*()>, create);
        QFETCH(bool, editorError);
        QFETCH(QString, message);
        QWidget owner;
        TMadeEditor editor(&owner, create);
        try {
            editor.PrepareEditor();
            QFAIL("no exception");
        } catch (const std::exception& error) {
            QCOMPARE(dynamic_cast<const ECellEditorError*>(&error) != nullptr, editorError);
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
        QCOMPARE(editor.GetControl(), nullptr);
    }

    void editorAndGridMayGoInEitherOrder() {
        QWidget owner;
        auto grid = std::make_unique<TXStringGrid>(&owner);
        auto editor = std::make_unique<TComboCellEditor>(&owner);
        grid->Columns()->Items(1)->SetEditor(editor.get());
        QPointer<QWidget> control = editor->GetControl();
        grid.reset();
        QVERIFY(control);
        QCOMPARE(control->parentWidget(), &owner);
        QCOMPARE(editor->Grid(), nullptr);

        grid = std::make_unique<TXStringGrid>(&owner);
        grid->Columns()->Items(2)->SetEditor(editor.get());
        grid->Columns()->Items(3)->SetEditor(editor.get());
        editor.reset();
        QVERIFY(!control);
        QCOMPARE(grid->Columns()->Items(2)->Editor(), nullptr);
        QCOMPARE(grid->Columns()->Items(3)->Editor(), nullptr);
    }

    void openingLoadsTheCell_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty cell, no default") << QString() << QString() << QString();
        QTest::newRow("empty cell, default") << QString() << u"未入力"_s << u"未入力"_s;
        QTest::newRow("text wins over default") << u"お知らせ"_s << u"未入力"_s << u"お知らせ"_s;
    }

    void openingLoadsTheCell() {
        QFETCH(QString, cell);
        QFETCH(QString, defaultText);
        QFETCH(QString, shown);
        items_ = std::make_unique<TItemGridWindow>();
        items_->title->SetDefaultText(Sjis(defaultText));
        items_->grid->SetCellQString(0, 1, cell);
        items_->Activate();
        QVERIFY(items_->EditingCurrentCell());
        QCOMPARE(items_->Control()->text(), shown);
        QCOMPARE(items_->Control()->cursorPosition(), 0);
        QVERIFY(!items_->Control()->hasSelectedText());
        QCOMPARE(items_->grid->CellQString(0, 1), cell);
        QVERIFY(items_->edits.empty());
    }

    void unchangedTextRaisesNoEvent() {
        TItemGridWindow& items = EditingAt({0, 3});
        Press(Qt::Key_Tab);
        items.grid->EndCellEdit(false);
        QVERIFY(items.edits.empty());
        Type(u"x"_s);
        items.grid->EndCellEdit(false);
        QCOMPARE(items.edits, std::vector<TEdit>{TEdit(1, 3, "xabc")});
        QVERIFY(items.EditingCurrentCell());
    }

    void keyRules_data() {
        QTest::addColumn<TGridCoord>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<TCaret>("caret");
        QTest::addColumn<TGridCoord>("expected");
        QTest::addColumn<std::vector<int>>("gridKeys"); // what OnKeyDown hears
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const std::vector<int> nothing;
        const std::vector<int> tab{Qt::Key_Tab};
        auto row = [&](const char* name, TGridCoord start, int key, Qt::KeyboardModifiers held,
                       TCaret caret, TGridCoord expected, std::vector<int> heard) {
            QTest::newRow(name) << start << key << held << caret << expected << heard;
        };
        row("tab moves right", {1, 5}, Qt::Key_Tab, none, TCaret::AtEnd, {2, 5}, tab);
        row("shift+tab moves left", {1, 5}, Qt::Key_Backtab, shift, TCaret::AtEnd, {0, 5}, tab);
        row("tab wraps at the row end", {3, 5}, Qt::Key_Tab, none, TCaret::AtEnd, {0, 6}, tab);
        row("enter moves as tab", {1, 5}, Qt::Key_Return, none, TCaret::AtEnd, {2, 5}, tab);
        row("enter on the last cell stays", {3, 50}, Qt::Key_Return, none, TCaret::AtEnd, {3, 50},
            nothing);
        row("up on the first item row is dropped", {1, 1}, Qt::Key_Up, none, TCaret::AtEnd, {1, 1},
            nothing);
        row("page up on the first item row is dropped", {1, 1}, Qt::Key_PageUp, none, TCaret::AtEnd,
            {1, 1}, nothing);
        row("down on the last row is dropped", {2, 50}, Qt::Key_Down, none, TCaret::AtEnd, {2, 50},
            nothing);
        row("page down on the last row is dropped", {2, 50}, Qt::Key_PageDown, none, TCaret::AtEnd,
            {2, 50}, nothing);
        row("up moves up", {1, 5}, Qt::Key_Up, none, TCaret::AtEnd, {1, 4}, {Qt::Key_Up});
        row("down moves down", {1, 5}, Qt::Key_Down, none, TCaret::AtEnd, {1, 6}, {Qt::Key_Down});
        row("left at the start moves back", {2, 5}, Qt::Key_Left, none, TCaret::AtStart, {1, 5},
            tab);
        row("left at the start wraps to the row above", {0, 5}, Qt::Key_Left, none, TCaret::AtStart,
            {3, 4}, tab);
        row("left with all text selected moves back", {2, 5}, Qt::Key_Left, none,
            TCaret::AllSelected, {1, 5}, tab);
        row("left on the first cell is dropped", {0, 1}, Qt::Key_Left, none, TCaret::AtStart,
            {0, 1}, nothing);
        row("left inside the text stays", {2, 5}, Qt::Key_Left, none, TCaret::AtEnd, {2, 5},
            nothing);
        row("ctrl+left at the start stays", {2, 5}, Qt::Key_Left, ctrl, TCaret::AtStart, {2, 5},
            nothing);
        row("shift+left at the start stays", {2, 5}, Qt::Key_Left, shift, TCaret::AtStart, {2, 5},
            nothing);
        row("right at the end stays", {2, 5}, Qt::Key_Right, none, TCaret::AtEnd, {2, 5}, nothing);
        row("function keys go to the grid too", {2, 5}, Qt::Key_F5, none, TCaret::AtEnd, {2, 5},
            {Qt::Key_F5});
        row("shift+insert goes to the grid", {2, 5}, Qt::Key_Insert, shift, TCaret::AtEnd, {2, 5},
            {Qt::Key_Insert});
        row("ctrl+insert on one column stays", {2, 5}, Qt::Key_Insert, ctrl, TCaret::AtEnd, {2, 5},
            nothing);
        row("delete on one column stays", {2, 5}, Qt::Key_Delete, none, TCaret::AtStart, {2, 5},
            nothing);
    }

    void keyRules() {
        QFETCH(TGridCoord, start);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(TCaret, caret);
        QFETCH(TGridCoord, expected);
        QFETCH(std::vector<int>, gridKeys);
        TItemGridWindow& items = EditingAt(start);
        QVERIFY(items.EditingCurrentCell());
        TComboInplace* control = items.Control();
        if (caret == TCaret::AtStart) control->setCursorPosition(0);
        if (caret == TCaret::AtEnd) control->end(false);
        if (caret == TCaret::AllSelected) control->selectAll();
        Press(key, modifiers);
        QCOMPARE((TGridCoord{items.grid->Col(), items.grid->Row()}), expected);
        QCOMPARE(items.keys, gridKeys);
        QVERIFY(items.EditingCurrentCell());
    }

    void enterOnTheLastCellCommitsAndStartsAgain() {
        TItemGridWindow& items = EditingAt({3, 50});
        items.Control()->end(false);
        Type(u"Z"_s);
        Press(Qt::Key_Return);
        QCOMPARE(items.grid->Cells(3, 50), std::string("abcZ"));
        QCOMPARE(items.edits, std::vector<TEdit>{TEdit(3, 50, "abcZ")});
        QVERIFY(items.EditingCurrentCell());
        QCOMPARE(items.Control()->text(), u"abcZ"_s);
        QCOMPARE(items.Control()->cursorPosition(), 0);
    }

    void allowEndEditEventDecides() {
        TItemGridWindow& items = EditingAt({1, 5});
        items.date->AllowEndEditEvent = [](QWidget*, int& key, Qt::KeyboardModifiers,
                                           bool& endEdit) {
            if (key == Qt::Key_Right) endEdit = true;
            if (key == Qt::Key_Up) {
                key = 0;
                endEdit = false;
            }
        };
        Press(Qt::Key_Up);
        QCOMPARE(items.grid->Row(), 5);
        Press(Qt::Key_Right);
        QCOMPARE(items.grid->Col(), 2);
        QCOMPARE(items.keys, std::vector<int>{Qt::Key_Right});
        QVERIFY(items.EditingCurrentCell());
    }

    // A key the handler changed is handled as the combo edit handles that key, F4 included.
    void keyChangedByTheHandlerIsTheComboEditsKey() {
        TItemGridWindow& items = EditingAt({1, 5});
        items.date->AllowEndEditEvent = [](QWidget*, int& key, Qt::KeyboardModifiers,
                                           bool& endEdit) {
            if (key != Qt::Key_Down) return;
            key = Qt::Key_F4;
            endEdit = false;
        };
        Press(Qt::Key_Down);
        QCOMPARE(items.grid->Row(), 5);
        QVERIFY(items.Control() && items.Control()->DroppedDown());
        QVERIFY(items.keys.empty());
    }

    // The grid has the focus and no editor (as after whole-row selection), and the control last
    // edited another cell: a character typed on the grid opens the editor on the current cell's
    // own text and arrives there as a key press.
    void characterTypedOnTheGridReachesTheEditor_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::newRow("letter") << u"a"_s << int(Qt::Key_A);
        QTest::newRow("capital") << u"A"_s << int(Qt::Key_A);
        QTest::newRow("digit") << u"5"_s << int(Qt::Key_5);
        QTest::newRow("minus") << u"-"_s << int(Qt::Key_Minus);
        QTest::newRow("period") << u"."_s << int(Qt::Key_Period);
    }

    void characterTypedOnTheGridReachesTheEditor() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        TItemGridWindow& items = EditingAt({0, 1}, "Hello");
        Type(u"Other"_s);
        items.grid->EndCellEdit(true);
        items.grid->SetOptions(RowOptions);
        items.grid->SetRow(3);
        items.grid->SetOptions(EditingOptions);
        QVERIFY(items.grid->hasFocus());
        QCOMPARE(items.grid->ActiveCellEditor(), nullptr);

        TKeyRecorder recorder(items.title->GetControl());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, typed);
        QApplication::sendEvent(items.grid, &press);
        Settle();
        QVERIFY(items.EditingCurrentCell());
        QCOMPARE(items.grid->Row(), 3);
        QCOMPARE(recorder.presses.size(), size_t(1));
        QCOMPARE(recorder.presses.front().first, key);
        QCOMPARE(recorder.presses.front().second, typed);
        QCOMPARE(items.Control()->text(), typed + u"Hello"_s);
        QCOMPARE(items.grid->Cells(0, 3), std::string("Hello"));
        QCOMPARE(items.grid->PendingChar(), char32_t(0));
    }

    // The first character of a commit opens the editor, the rest follows it there; a character
    // outside the basic plane is two UTF-16 units and is split off whole.
    void japaneseTypedOnTheGridReachesTheEditor_data() {
        QTest::addColumn<QString>("commit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("refused");
        QTest::newRow("Japanese") << u"日本語"_s << u"日本語"_s << QStringList();
        QTest::newRow("refused character first")
            << u"🍞あ"_s << u"あ"_s
            << QStringList{u"「🍞」はこのプログラムでは使用できない文字です。"_s};
    }

    void japaneseTypedOnTheGridReachesTheEditor() {
        QFETCH(QString, commit);
        TItemGridWindow& items = EditingAt({2, 4}, "");
        items.grid->EndCellEdit(true);
        QSignalSpy refused(qobject_cast<TCp932Edit*>(items.title->GetControl()),
                           &TCp932Edit::InputRefused);
        Commit(items.grid, commit);
        Settle();
        QVERIFY(items.EditingCurrentCell());
        QTEST(items.Control()->text(), "text");
        QStringList messages;
        for (const QList<QVariant>& signal : refused)
            messages << signal.front().toString();
        QTEST(messages, "refused");
    }

    void dropDownChoiceGoesIntoTheCellAtOnce_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pick list") << 2 << u"ベータ"_s;
        QTest::newRow("calendar") << 1 << u"2005-01-05"_s;
    }

    void dropDownChoiceGoesIntoTheCellAtOnce() {
        QFETCH(int, col);
        QFETCH(QString, expected);
        items_ = std::make_unique<TItemGridWindow>();
        items_->title->SetItems({Sjis(u"アルファ"_s), Sjis(u"ベータ"_s)});
        items_->grid->FocusCell(col, 3, true);
        items_->Activate();
        Press(Qt::Key_F4);
        TComboInplace* control = items_->Control();
        QVERIFY(control && control->DroppedDown());
        if (col == 1) {
            TXMonthCalendarExt::Existing()->setSelectedDate(QDate(2005, 1, 5));
        } else {
            Press(Qt::Key_Down);
            Press(Qt::Key_Down);
        }
        Press(Qt::Key_Return);
        QCOMPARE(items_->grid->CellQString(col, 3), expected);
        QCOMPARE(items_->edits, std::vector<TEdit>{TEdit(col, 3, Sjis(expected))});
        QVERIFY(items_->EditingCurrentCell());
        QCOMPARE(items_->grid->Col(), col);
    }

    void editStyleWrittenLaterLastsUntilTheNextEdit() {
        TItemGridWindow& items = EditingAt({0, 2});
        items.title->SetEditStyle(esSpin);
        QCOMPARE(items.title->EditStyle(), esSpin);
        QCOMPARE(items.title->ComboControl()->EditStyle(), esSpin);
        items.grid->RestartCellEdit();
        QCOMPARE(items.title->EditStyle(), esPickList);
        QCOMPARE(items.Control()->EditStyle(), esPickList);
    }

    void readOnlyEditorShowsButDoesNotEdit() {
        items_ = std::make_unique<TItemGridWindow>();
        items_->grid->SetCells(0, 1, "fixed");
        items_->title->SetReadOnly(true);
        items_->Activate();
        QVERIFY(items_->EditingCurrentCell());
        QVERIFY(items_->Control()->isReadOnly());
        QCOMPARE(items_->Control()->EditStyle(), esSimple);
        Type(u"zz"_s);
        Press(Qt::Key_Tab);
        QCOMPARE(items_->grid->Cells(0, 1), std::string("fixed"));
        QVERIFY(items_->edits.empty());
    }

    void clickOnAnotherCellCommitsAndMovesTheEditor() {
        TItemGridWindow& items = EditingAt({0, 1});
        Type(u"X"_s);
        const QPoint target = items.grid->CellRect(2, 4).center();
        QTest::mouseClick(items.grid->viewport(), Qt::LeftButton, {}, target);
        QCOMPARE(items.edits, std::vector<TEdit>{TEdit(0, 1, "Xabc")});
        QCOMPARE((TGridCoord{items.grid->Col(), items.grid->Row()}), (TGridCoord{2, 4}));
        QVERIFY(items.EditingCurrentCell());
        QCOMPARE(items.Control()->text(), u"abc"_s);
    }

    // A cell chosen while the grid has no focus (from a dialog) lies in another editor's column:
    // when the grid takes the focus back, the editor left behind is gone, its text committed.
    void cellChosenWithoutFocusLeavesNoOtherEditorShown() {
        TItemGridWindow& items = EditingAt({2, 3});
        Type(u"X"_s);
        {
            QLineEdit dialog;
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            Settle();
            items.grid->FocusCell(1, 3, true);
            items.grid->setFocus();
        }
        QApplication::setActiveWindow(items.Window());
        QVERIFY(QTest::qWaitForWindowActive(items.Window()));
        Settle();
        QVERIFY(!items.title->GetControl()->isVisible());
        QVERIFY(items.EditingCurrentCell());
        QCOMPARE(QApplication::focusWidget(), items.date->GetControl());
        QCOMPARE(items.grid->Cells(2, 3), std::string("Xabc"));
    }

    void clickOnTheHeaderKeepsEditingTheCell() {
        TItemGridWindow& items = EditingAt({1, 3});
        QHeaderView* header = items.grid->horizontalHeader();
        const QPoint onCaption(header->sectionViewportPosition(2) + 20, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, onCaption);
        QCOMPARE((TGridCoord{items.grid->Col(), items.grid->Row()}), (TGridCoord{1, 3}));
        QVERIFY(items.keys.empty());
        QVERIFY(items.EditingCurrentCell());
        QCOMPARE(QApplication::focusWidget(), items.date->GetControl());
    }

    void sizingAColumnKeepsEditingTheCell() {
        TItemGridWindow& items = EditingAt({0, 2});
        QHeaderView* header = items.grid->horizontalHeader();
        const QPoint border(header->sectionViewportPosition(1) - 1, header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, border);
        QTest::mouseMove(header->viewport(), border + QPoint(40, 0));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, border + QPoint(40, 0));
        QCOMPARE(items.grid->ColWidths(0), 240);
        QCOMPARE((TGridCoord{items.grid->Col(), items.grid->Row()}), (TGridCoord{0, 2}));
        QVERIFY(items.EditingCurrentCell());
    }

    void editorFollowsItsCellWhenScrolling() {
        TItemGridWindow& items = EditingAt({0, 1});
        items.grid->EndCellEdit(false);
        items.grid->BeginUpdate();
        items.grid->SetRow(30);
        items.grid->EndUpdate();
        items.grid->RestartCellEdit();
        QVERIFY(items.EditingCurrentCell());
        QScrollBar* scroll = items.grid->verticalScrollBar();
        scroll->setValue(scroll->value() + 3);
        Settle();
        QVERIFY(items.EditingCurrentCell());
        // Scrolled out of sight, the cell has no rectangle; the edit goes on.
        scroll->setValue(0);
        Settle();
        QVERIFY(items.grid->CellRect(0, 30).isEmpty());
        QCOMPARE(QApplication::focusWidget(), items.title->GetControl());
    }

    // A cursor key repaints the cell it leaves and the cell it enters, and in the header no more
    // than the captions of their columns.
    void cursorKeyRepaintsOnlyTheCellsItLeavesAndEnters_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Down") << int(Qt::Key_Down);
        QTest::newRow("Left at the text's start") << int(Qt::Key_Left);
        QTest::newRow("Tab") << int(Qt::Key_Tab);
    }
    void cursorKeyRepaintsOnlyTheCellsItLeavesAndEnters() {
        QFETCH(int, key);
        TItemGridWindow& items = EditingAt({1, 5});
        TPaintCounter body(items.grid->viewport());
        TPaintCounter header(items.grid->horizontalHeader()->viewport());
        const auto cell = [&items] {
            return items.grid->CellRect(items.grid->Col(), items.grid->Row()).adjusted(0, 0, 1, 1);
        };
        const auto caption = [&items](const QRect& area) {
            return QRect(area.x(), 0, area.width(), items.grid->horizontalHeader()->height());
        };
        const QRect left = cell();
        Press(key);
        Settle();
        QVERIFY(items.EditingCurrentCell() && !body.area.isEmpty());
        QCOMPARE(body.area - left - cell(), QRegion());
        QCOMPARE(header.area - caption(left) - caption(cell()), QRegion());
    }

    // What the window shows after painting only what changed is what a whole repaint shows. Each
    // change ends where a part left unpainted would still show the state before.
    void screenMatchesAWholeRepaint_data() {
        QTest::addColumn<std::function<void(TItemGridWindow&)>>("change");
        using TChange = std::function<void(TItemGridWindow&)>;
        const auto keys = [](TGridOptions options, std::vector<QKeyCombination> presses) {
            return TChange([options, presses](TItemGridWindow& items) {
                items.grid->SetOptions(options);
                for (const QKeyCombination press : presses) {
                    Settle();
                    Press(press.key(), press.keyboardModifiers());
                }
            });
        };
        QTest::newRow("keys that scroll")
            << keys(EditingOptions, {Qt::Key_PageDown, Qt::Key_Down, Qt::Key_Right});
        QTest::newRow("rows selected with keys")
            << keys(RowOptions, {Qt::Key_Down, Qt::SHIFT | Qt::Key_Down, Qt::SHIFT | Qt::Key_Down});
        QTest::newRow("bulk change of two rows") << TChange([](TItemGridWindow& items) {
            items.grid->BeginUpdate();
            items.grid->SetCells(0, 2, "moved up");
            items.grid->SetCells(3, 3, "moved down");
            items.grid->EndUpdate();
        });
        QTest::newRow("focus goes to the grid, then away") << TChange([](TItemGridWindow& items) {
            items.grid->FocusWithoutEditing();
            Settle();
            items.grid->clearFocus();
        });
    }
    void screenMatchesAWholeRepaint() {
        QFETCH(std::function<void(TItemGridWindow&)>, change);
        QApplication::setCursorFlashTime(0); // a caret that does not blink between the pictures
        TItemGridWindow& items = EditingAt({0, 1});
        items.Window()->setAttribute(Qt::WA_KeyboardFocusChange); // focus marks show
        for (int row = 1; row <= 50; ++row)
            items.grid->SetCells(2, row, "row " + std::to_string(row));
        (void)Shown(items.Window());
        change(items);
        const QImage shown = Shown(items.Window());
        for (QWidget* widget : items.Window()->findChildren<QWidget*>())
            widget->update();
        QCOMPARE(shown, Shown(items.Window()));
    }

    // The main window's use: entries typed row by row, Japanese through the input method,
    // moving with Tab, Enter and the arrow keys.
    void typingRowsIntoTheItemGrid() {
        items_ = std::make_unique<TItemGridWindow>();
        TItemGridWindow& items = *items_;
        items.Activate();
        QVERIFY(items.EditingCurrentCell());
        Commit(QApplication::focusWidget(), u"新製品のお知らせ"_s);
        Press(Qt::Key_Tab);
        QCOMPARE(items.Control()->EditStyle(), esDate);
        Type(u"2005-01-05"_s);
        Press(Qt::Key_Return);
        Type(u"http://example.jp/news/1.html"_s);
        Press(Qt::Key_Tab);
        Commit(QApplication::focusWidget(), u"発売日は＆の後で"_s);
        Press(Qt::Key_Return);
        QCOMPARE((TGridCoord{items.grid->Col(), items.grid->Row()}), (TGridCoord{0, 2}));
        Type(u"Second & more"_s);
        Press(Qt::Key_Down);
        Type(u"Third"_s);
        Press(Qt::Key_Up);
        QCOMPARE(items.Control()->text(), u"Second & more"_s);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab); // the date stays empty: nothing to commit

        const std::vector<TEdit> expected{
            {0, 1, Sjis(u"新製品のお知らせ"_s)},
            {1, 1, "2005-01-05"},
            {2, 1, "http://example.jp/news/1.html"},
            {3, 1, Sjis(u"発売日は＆の後で"_s)},
            {0, 2, "Second & more"},
            {0, 3, "Third"},
        };
        QCOMPARE(items.edits, expected);
        for (const auto& [col, row, value] : expected)
            QCOMPARE(items.grid->Cells(col, row), value);
        QCOMPARE(items.grid->Cells(1, 2), std::string());
        QCOMPARE((TGridCoord{items.grid->Col(), items.grid->Row()}), (TGridCoord{2, 2}));
        QVERIFY(items.EditingCurrentCell());
    }
};

QTEST_MAIN(TestXStringGridEditors)
#include "test_XStringGridEditors.moc"
