#pragma once

// Shared by the grid's tests: the item grid set up as the editor's main window sets it up, and
// small helpers to drive it with keys, input-method text and the mouse.

#include "widgets/Cp932Text.h"
#include "widgets/XStringGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QPaintEvent>
#include <QTest>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

inline constexpr TGridOptions EditingOptions = goFixedVertLine | goFixedHorzLine | goVertLine |
                                               goHorzLine | goColSizing | goEditing | goTabs |
                                               goAlwaysShowEditor;
inline constexpr TGridOptions RowOptions = goFixedVertLine | goFixedHorzLine | goVertLine |
                                           goHorzLine | goRangeSelect | goColSizing | goRowSelect;

using TEdit = std::tuple<int, int, std::string>;

// Counts the paint events a widget receives and the area they paint.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    int count = 0;
    QRegion area;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        ++count;
        area += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

// Lets posted events and pending paints run.
inline void Settle() {
    for (int round = 0; round < 3; ++round)
        QApplication::processEvents();
}

// Keys and text go where the keyboard would send them: to the focus widget.
inline void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

inline void Type(const QString& text) {
    QTest::keyClicks(QApplication::focusWidget(), text);
}

// Text committed by an input method, as Japanese arrives.
inline void Commit(QWidget* target, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}

inline std::string Sjis(const QString& text) {
    return ToCp932(text);
}

// A window holding the item grid: 4 columns, a header row and 50 item rows, the title editor
// (pick list) on the title, address and description columns and the date editor on the date
// column; set-edit-text events and the keys the grid hears are recorded.
class TItemGridWindow {
public:
    TItemGridWindow() : window_(std::make_unique<QWidget>()) {
        window_->resize(900, 500);
        grid = new TXStringGrid(window_.get());
        grid->setObjectName(u"XStringGrid"_s);
        grid->setGeometry(0, 0, 900, 500);
        grid->SetFixedCols(0);
        grid->SetFixedRows(1);
        grid->SetOptions(EditingOptions);
        grid->SetImmediateEditMode(true);
        grid->SetDefaultRowHeight(20);
        grid->SetColCount(4);
        title = new TComboCellEditor(window_.get());
        title->setObjectName(u"ComboCellEditor_Title"_s);
        title->SetEditStyle(esPickList);
        date = new TComboCellEditor(window_.get());
        date->setObjectName(u"ComboCellEditor_Date"_s);
        date->SetEditStyle(esDate);
        const QString captions[] = {u"タイトル(必須 100バイト以内)"_s, u"日付(任意)"_s,
                                    u"アドレス(必須 http://から入力)"_s,
                                    u"説明文(任意 400バイト以内)"_s};
        const int widths[] = {200, 90, 200, 200};
        for (int col = 0; col < 4; ++col) {
            TXStringColumnItem& column = *grid->Columns()->Items(col);
            column.SetCaptionQString(captions[col]);
            column.SetWidth(widths[col]);
            column.SetHeaderAlignment(Qt::AlignHCenter);
            column.SetEditor(col == 1 ? date : title);
        }
        grid->Columns()->Items(1)->SetAlignment(Qt::AlignHCenter);
        grid->SetRowCount(51);
        QObject::connect(grid, &TXStringGrid::OnSetEditText,
                         [this](TXStringGrid*, int col, int row, const std::string& value) {
                             edits.emplace_back(col, row, value);
                         });
        QObject::connect(
            grid, &TXStringGrid::OnKeyDown,
            [this](TXStringGrid*, int& key, Qt::KeyboardModifiers) { keys.push_back(key); });
    }

    QWidget* Window() const { return window_.get(); }

    // Shows the window, makes it active and gives the grid the focus, which opens the editor on
    // the current cell.
    void Activate() {
        window_->show();
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        if (!Control()) grid->setFocus();
        Settle();
    }

    // The cell editor's control that has the focus, or nullptr.
    TComboInplace* Control() const {
        return qobject_cast<TComboInplace*>(QApplication::focusWidget());
    }

    // The editor runs on the current cell, its control shown over the cell with the focus.
    bool EditingCurrentCell() const {
        const TComboInplace* control = Control();
        const TGridCoord current{grid->Col(), grid->Row()};
        return control && control->isVisible() && grid->ActiveCellEditor() &&
               grid->EditCell() == current &&
               control->geometry() == grid->CellRect(current.X, current.Y);
    }

    TXStringGrid* grid = nullptr;
    TComboCellEditor* title = nullptr;
    TComboCellEditor* date = nullptr;
    std::vector<TEdit> edits;
    std::vector<int> keys;

private:
    std::unique_ptr<QWidget> window_;
};
