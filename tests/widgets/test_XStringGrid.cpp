#include "XStringGridSupport.h"

#include <QLineEdit>

#include <functional>

namespace {

// The bounding box of the pixels inside `rect` that differ clearly from `background`.
QRect InkBox(const QImage& image, const QRect& rect, const QColor& background) {
    QRect box;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int difference = std::abs(pixel.red() - background.red()) +
                                   std::abs(pixel.green() - background.green()) +
                                   std::abs(pixel.blue() - background.blue());
            if (difference > 150) box |= QRect(x, y, 1, 1);
        }
    return box;
}

// The grid's picture and a cell's rectangle in it.
struct TGridPicture {
    QImage image;
    QRect cell;
};

TGridPicture Picture(TXStringGrid& grid, int col, int row) {
    Settle();
    const QRect cell = grid.CellRect(col, row);
    return {grid.grab().toImage(), cell.translated(grid.viewport()->mapTo(&grid, QPoint(0, 0)))};
}

// Lets a test ask the grid whether an editor may start.
class TProbeGrid : public TXStringGrid {
public:
    using TXStringGrid::CanEditShow;
    using TXStringGrid::TXStringGrid;
};

} // namespace

class TestXStringGrid : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> window_;

    // A bare grid in a shown window: 5 × 5 cells, 1 fixed row and column as created.
    TXStringGrid* ShownGrid() {
        window_ = std::make_unique<QWidget>();
        window_->resize(500, 300);
        auto* grid = new TXStringGrid(window_.get());
        grid->setGeometry(0, 0, 500, 300);
        window_->show();
        QApplication::setActiveWindow(window_.get());
        Settle();
        return grid;
    }

private slots:
    void cleanup() { window_.reset(); }

    void newGridHasOneColumnItemPerColumn() {
        TXStringGrid grid;
        QCOMPARE(grid.ColCount(), 5);
        QCOMPARE(grid.RowCount(), 5);
        QCOMPARE(grid.Columns()->Count(), 5);
        QCOMPARE(grid.Columns()->Items(2)->Width(), 64);
        QCOMPARE(grid.Columns()->Items(2)->Index(), 2);
        QCOMPARE((TGridCoord{grid.Col(), grid.Row()}), (TGridCoord{1, 1}));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.Columns()->Items(5));
    }

    void columnWidthsOfAnyIntStayWithinAWidget() {
        TXStringGrid grid;
        const int widest = grid.horizontalHeader()->maximumSectionSize() - 1; // less the grid line
        const std::pair<int, int> cases[] = {{120, 120}, {-5, 0}, {INT_MAX, widest}, {INT_MIN, 0}};
        for (const auto& [width, kept] : cases) {
            for (int col : {0, 2}) { // a fixed column and a body column
                grid.SetColWidths(col, width);
                QCOMPARE(grid.ColWidths(col), kept);
            }
        }
    }

    void captionIsTheRowZeroCell_data() {
        QTest::addColumn<bool>("throughCaption");
        QTest::addColumn<QString>("text");
        QTest::newRow("caption, ascii") << true << u"Title"_s;
        QTest::newRow("caption, japanese") << true << u"タイトル(必須 100バイト以内)"_s;
        QTest::newRow("cell, japanese") << false << u"日付(任意)"_s;
        QTest::newRow("cell, empty") << false << QString();
    }

    void captionIsTheRowZeroCell() {
        QFETCH(bool, throughCaption);
        QFETCH(QString, text);
        TXStringGrid grid;
        grid.SetCells(2, 0, "old");
        TXStringColumnItem& column = *grid.Columns()->Items(2);
        if (throughCaption)
            column.SetCaptionQString(text);
        else
            grid.SetCellQString(2, 0, text);
        QCOMPARE(column.Caption(), Sjis(text));
        QCOMPARE(grid.Cells(2, 0), Sjis(text));
        QCOMPARE(column.CaptionQString(), text);
    }

    void cellsKeepTheirBytes() {
        TXStringGrid grid;
        // A byte pair code page 932 does not define comes back unchanged.
        const std::string undefined = "a\x85\x40z";
        grid.SetCells(1, 1, undefined);
        QCOMPARE(grid.Cells(1, 1), undefined);
        grid.SetCells(9, 1, "outside");
        QCOMPARE(grid.Cells(9, 1), std::string());
    }

    void columnCountDownAndUpGivesFreshSettings() {
        TXStringGrid grid;
        grid.SetColCount(4);
        TXStringColumnItem& old = *grid.Columns()->Items(3);
        old.SetColor(Qt::red);
        old.SetHeaderColor(Qt::darkBlue);
        old.SetAlignment(Qt::AlignRight);
        old.SetWidth(200);
        grid.SetColCount(2);
        QCOMPARE(grid.Columns()->Count(), 2);

        QFont bigger = grid.font();
        bigger.setPointSize(bigger.pointSize() + 5);
        grid.setFont(bigger);
        grid.SetColor(Qt::yellow);
        grid.SetFixedColor(Qt::green);
        grid.SetColCount(4);
        QCOMPARE(grid.Columns()->Count(), 4);
        const TXStringColumnItem& fresh = *grid.Columns()->Items(3);
        QCOMPARE(fresh.Index(), 3);
        QCOMPARE(fresh.Color(), QColor(Qt::yellow));
        QCOMPARE(fresh.HeaderColor(), QColor(Qt::green));
        QCOMPARE(fresh.Font(), bigger);
        QCOMPARE(fresh.HeaderFont(), bigger);
        QCOMPARE(fresh.Alignment(), Qt::AlignLeft);
        QCOMPARE(fresh.Width(), 64);
        QCOMPARE(fresh.Editor(), nullptr);
    }

    void columnsFollowQtsOwnColumnCalls() {
        TXStringGrid grid;
        grid.Columns()->Items(1)->SetColor(Qt::red);
        grid.insertColumn(1);
        QCOMPARE(grid.Columns()->Count(), 6);
        QCOMPARE(grid.Columns()->Items(2)->Color(), QColor(Qt::red));
        QCOMPARE(grid.Columns()->Items(2)->Index(), 2);
        grid.removeColumn(0);
        QCOMPARE(grid.Columns()->Count(), 5);
        QCOMPARE(grid.Columns()->Items(1)->Color(), QColor(Qt::red));
    }

    void movedColumnTakesItsSettingsCellsAndWidth() {
        TXStringGrid grid;
        grid.Columns()->Items(1)->SetColor(Qt::red);
        grid.Columns()->Items(1)->SetWidth(120);
        grid.SetCells(1, 0, "caption");
        grid.SetCells(1, 3, "text");
        grid.SetCells(3, 3, "other");
        grid.MoveColumn(1, 3);
        QCOMPARE(grid.Columns()->Items(3)->Color(), QColor(Qt::red));
        QCOMPARE(grid.Columns()->Items(3)->Width(), 120);
        QCOMPARE(grid.Columns()->Items(3)->Caption(), std::string("caption"));
        QCOMPARE(grid.Cells(3, 3), std::string("text"));
        QCOMPARE(grid.Cells(2, 3), std::string("other"));
        for (int col = 0; col < grid.ColCount(); ++col)
            QCOMPARE(grid.Columns()->Items(col)->Index(), col);
    }

    void assignCopiesSettingsAndCaptionButNotTheEditor() {
        TXStringGrid source;
        TXStringGrid target;
        QWidget owner;
        TComboCellEditor editor(&owner);
        TXStringColumnItem& from = *source.Columns()->Items(1);
        from.SetHeaderColor(Qt::darkBlue);
        from.SetColor(Qt::white);
        from.SetAlignment(Qt::AlignRight);
        from.SetHeaderAlignment(Qt::AlignHCenter);
        from.SetCaptionQString(u"日付"_s);
        target.Columns()->Items(1)->SetEditor(&editor);
        target.SetColumns(*source.Columns());
        const TXStringColumnItem& to = *target.Columns()->Items(1);
        QCOMPARE(to.HeaderColor(), QColor(Qt::darkBlue));
        QCOMPARE(to.Color(), QColor(Qt::white));
        QCOMPARE(to.Alignment(), Qt::AlignRight);
        QCOMPARE(to.HeaderAlignment(), Qt::AlignHCenter);
        QCOMPARE(to.CaptionQString(), u"日付"_s);
        QCOMPARE(to.Editor(), nullptr);
        QCOMPARE(editor.AttachCount(), 0);
    }

    void settersRepaintTheColumn_data() {
        QTest::addColumn<std::function<void(TXStringColumnItem&)>>("change");
        QTest::addColumn<bool>("repaints");
        using TChange = std::function<void(TXStringColumnItem&)>;
        QTest::newRow("header alignment unchanged")
            << TChange([](TXStringColumnItem& c) { c.SetHeaderAlignment(Qt::AlignLeft); }) << false;
        QTest::newRow("header alignment changed")
            << TChange([](TXStringColumnItem& c) { c.SetHeaderAlignment(Qt::AlignRight); }) << true;
        QTest::newRow("header colour unchanged")
            << TChange([](TXStringColumnItem& c) { c.SetHeaderColor(c.HeaderColor()); }) << true;
        QTest::newRow("alignment unchanged")
            << TChange([](TXStringColumnItem& c) { c.SetAlignment(Qt::AlignLeft); }) << false;
        QTest::newRow("colour unchanged")
            << TChange([](TXStringColumnItem& c) { c.SetColor(c.Color()); }) << true;
        QTest::newRow("font") << TChange([](TXStringColumnItem& c) { c.SetFont(c.Font()); })
                              << true;
    }

    void settersRepaintTheColumn() {
        QFETCH(std::function<void(TXStringColumnItem&)>, change);
        QFETCH(bool, repaints);
        TXStringGrid* grid = ShownGrid();
        TPaintCounter body(grid->viewport());
        TPaintCounter header(grid->horizontalHeader()->viewport());
        Settle();
        body.count = header.count = 0;
        change(*grid->Columns()->Items(2));
        Settle();
        QCOMPARE(body.count + header.count > 0, repaints);
    }

    void nestedBulkUpdateRepaintsOnceAtTheEnd() {
        TXStringGrid* grid = ShownGrid();
        TPaintCounter body(grid->viewport());
        Settle();
        body.count = 0;
        grid->BeginUpdate();
        grid->BeginUpdate();
        grid->SetCells(1, 1, "one");
        grid->SetCells(2, 2, "two");
        Settle();
        grid->EndUpdate();
        Settle();
        QCOMPARE(body.count, 0);
        QCOMPARE(grid->UpdateDepth(), 1);
        QCOMPARE(grid->Cells(2, 2), std::string("two"));
        grid->EndUpdate();
        Settle();
        QCOMPARE(body.count, 1);
        QCOMPARE(grid->UpdateDepth(), 0);

        body.count = 0;
        grid->BeginUpdate();
        grid->EndUpdate();
        grid->EndUpdate(); // one too many: the depth stays 0
        Settle();
        QCOMPARE(body.count, 0);
        QCOMPARE(grid->UpdateDepth(), 0);
    }

    void endAndRestartDoNothingWithoutAnEditor() {
        TItemGridWindow items;
        items.grid->SetCells(0, 1, "kept");
        items.grid->EndCellEdit(true);
        items.grid->EndCellEdit(false);
        items.grid->RestartCellEdit();
        QCOMPARE(items.grid->ActiveCellEditor(), nullptr);
        QCOMPARE(items.grid->Cells(0, 1), std::string("kept"));
        QVERIFY(items.edits.empty());
        QVERIFY(!items.title->GetControl()->isVisible());
    }

    void selectedCellColours_data() {
        QTest::addColumn<TGridOptions>("options");
        QTest::addColumn<QPalette::ColorRole>("background");
        QTest::newRow("cell selection: button face")
            << TGridOptions(goRangeSelect) << QPalette::Button;
        QTest::newRow("whole rows: highlight") << TGridOptions(goRowSelect) << QPalette::Highlight;
    }

    void selectedCellColours() {
        QFETCH(TGridOptions, options);
        QFETCH(QPalette::ColorRole, background);
        TXStringGrid* grid = ShownGrid();
        grid->SetOptions(options | goVertLine | goHorzLine);
        grid->SetSelection({1, 2, 2, 2});
        const TGridPicture picture = Picture(*grid, 1, 2);
        const QPoint inside(picture.cell.left() + 3, picture.cell.center().y());
        QCOMPARE(picture.image.pixelColor(inside), grid->palette().color(background));
        const TGridPicture other = Picture(*grid, 1, 3);
        QCOMPARE(other.image.pixelColor(other.cell.left() + 3, other.cell.center().y()),
                 grid->Columns()->Items(1)->Color());
    }

    void fixedColumnCellUsesBaseColoursAndBodyAlignment_data() {
        QTest::addColumn<Qt::Alignment>("alignment");
        QTest::addColumn<int>("third"); // where the text's middle lies: 0 left, 1 middle, 2 right
        QTest::newRow("left") << Qt::Alignment(Qt::AlignLeft) << 0;
        QTest::newRow("centre") << Qt::Alignment(Qt::AlignHCenter) << 1;
        QTest::newRow("right") << Qt::Alignment(Qt::AlignRight) << 2;
    }

    void fixedColumnCellUsesBaseColoursAndBodyAlignment() {
        QFETCH(Qt::Alignment, alignment);
        QFETCH(int, third);
        TXStringGrid* grid = ShownGrid();
        grid->SetColWidths(0, 150);
        grid->SetFixedColor(QColor(200, 220, 240));
        TXStringColumnItem& column = *grid->Columns()->Items(0);
        column.SetColor(Qt::red);
        column.SetHeaderAlignment(Qt::AlignRight);
        column.SetAlignment(alignment);
        grid->SetCells(0, 2, "WW");
        const TGridPicture picture = Picture(*grid, 0, 2);
        const QRect ink =
            InkBox(picture.image, picture.cell.adjusted(2, 2, -2, -2), grid->FixedColor());
        QVERIFY(!ink.isEmpty());
        QCOMPARE(ink.center().x() * 3 / picture.cell.right(), third);
        QCOMPARE(picture.image.pixelColor(picture.cell.right() - 3, picture.cell.top() + 3),
                 grid->FixedColor());
    }

    // A single line wider than its cell is cut at the right only, in any alignment.
    void tooWideLineStartsAtTheLeft_data() {
        QTest::addColumn<Qt::Alignment>("alignment");
        QTest::newRow("centre") << Qt::Alignment(Qt::AlignHCenter);
        QTest::newRow("right") << Qt::Alignment(Qt::AlignRight);
    }
    void tooWideLineStartsAtTheLeft() {
        QFETCH(Qt::Alignment, alignment);
        TXStringGrid* grid = ShownGrid();
        grid->SetColWidths(1, 60);
        grid->SetColWidths(2, 60);
        grid->Columns()->Items(1)->SetAlignment(Qt::AlignLeft);
        grid->Columns()->Items(2)->SetAlignment(alignment);
        for (const int col : {1, 2})
            grid->SetCells(col, 2, "2026-12-07T09:00:00+09:00"); // away from the current cell
        const TGridPicture left = Picture(*grid, 1, 2);
        const TGridPicture aligned = Picture(*grid, 2, 2);
        QCOMPARE(aligned.image.copy(aligned.cell), left.image.copy(left.cell));
    }

    // A cell draws its one line as QPainter::drawText would, also after its text or font changed
    // since it was last painted.
    void cellTextIsDrawnAsQtDrawsALine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Qt::Alignment>("alignment");
        QTest::addColumn<bool>("largerFont"); // given after the text was painted
        const QString wide = u"https://hidamari-coffee.example/news/1.html"_s;
        QTest::newRow("Japanese, right")
            << u"新しい豆 & 焙煎 "_s << Qt::Alignment(Qt::AlignRight) << false;
        QTest::newRow("date, centred")
            << u"2025-04-10"_s << Qt::Alignment(Qt::AlignHCenter) << false;
        QTest::newRow("line break and tab")
            << u"AB\r\nC\tD"_s << Qt::Alignment(Qt::AlignLeft) << false;
        QTest::newRow("wider than the cell, centred")
            << wide << Qt::Alignment(Qt::AlignHCenter) << false;
        QTest::newRow("font made larger") << u"お知らせ"_s << Qt::Alignment(Qt::AlignLeft) << true;
    }
    void cellTextIsDrawnAsQtDrawsALine() {
        QFETCH(QString, text);
        QFETCH(Qt::Alignment, alignment);
        QFETCH(bool, largerFont);
        TXStringGrid* grid = ShownGrid();
        grid->SetDefaultRowHeight(21); // odd: the line is centred on a half pixel
        grid->SetColWidths(2, 120);
        TXStringColumnItem& column = *grid->Columns()->Items(2);
        column.SetAlignment(alignment);
        for (const QString& shown : {u"before"_s, text}) {
            grid->SetCellQString(2, 2, shown);
            (void)Picture(*grid, 2, 2);
        }
        if (largerFont) column.SetFont(QFont(column.Font().family(), 14));
        const TGridPicture picture = Picture(*grid, 2, 2);
        QImage expected(picture.cell.size(), picture.image.format());
        expected.fill(column.Color());
        QPainter painter(&expected);
        const QRect inner = expected.rect().adjusted(1, 1, -1, -1);
        const bool tooWide = QFontMetrics(column.Font()).horizontalAdvance(text) > inner.width();
        painter.setFont(column.Font());
        painter.setPen(column.FontColor());
        painter.setClipRect(inner);
        painter.drawText(
            inner, Qt::TextSingleLine | Qt::AlignVCenter | (tooWide ? Qt::AlignLeft : alignment),
            text);
        painter.end();
        QCOMPARE(picture.image.copy(picture.cell), expected);
    }

    void multiLineText_data() {
        QTest::addColumn<bool>("multiLine");
        QTest::newRow("single line, centred") << false;
        QTest::newRow("word-wrapped from the top") << true;
    }

    void multiLineText() {
        QFETCH(bool, multiLine);
        TXStringGrid* grid = ShownGrid();
        grid->SetDefaultRowHeight(60);
        grid->SetColWidths(1, 200);
        grid->SetMultiLine(multiLine);
        grid->SetCells(1, 1, "AB\r\nCD");
        const TGridPicture picture = Picture(*grid, 1, 1);
        const QRect ink = InkBox(picture.image, picture.cell, grid->Columns()->Items(1)->Color());
        const int lineHeight = QFontMetrics(grid->font()).height();
        QVERIFY(!ink.isEmpty());
        if (multiLine) {
            QVERIFY(ink.height() > lineHeight);
            QVERIFY(ink.top() - picture.cell.top() < lineHeight / 2 + 2);
        } else {
            QVERIFY(ink.height() <= lineHeight);
            QVERIFY(std::abs(ink.center().y() - picture.cell.center().y()) <= lineHeight / 2);
            QVERIFY(ink.width() > QFontMetrics(grid->font()).horizontalAdvance(u"ABC"_s));
        }
    }

    void keysMoveTheCurrentCell_data() {
        QTest::addColumn<TGridCoord>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<TGridCoord>("expected");
        const Qt::KeyboardModifiers none = Qt::NoModifier;
        QTest::newRow("down") << TGridCoord{1, 1} << int(Qt::Key_Down) << none << TGridCoord{1, 2};
        QTest::newRow("up stops at the fixed row")
            << TGridCoord{1, 1} << int(Qt::Key_Up) << none << TGridCoord{1, 1};
        QTest::newRow("left stops at the fixed column")
            << TGridCoord{1, 2} << int(Qt::Key_Left) << none << TGridCoord{1, 2};
        QTest::newRow("tab wraps to the next row")
            << TGridCoord{4, 2} << int(Qt::Key_Tab) << none << TGridCoord{1, 3};
        QTest::newRow("tab wraps from the last cell to the first")
            << TGridCoord{4, 4} << int(Qt::Key_Tab) << none << TGridCoord{1, 1};
        QTest::newRow("shift+tab wraps from the first cell to the last")
            << TGridCoord{1, 1} << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ShiftModifier)
            << TGridCoord{4, 4};
        QTest::newRow("ctrl+end") << TGridCoord{1, 1} << int(Qt::Key_End)
                                  << Qt::KeyboardModifiers(Qt::ControlModifier) << TGridCoord{4, 4};
        QTest::newRow("home") << TGridCoord{3, 3} << int(Qt::Key_Home) << none << TGridCoord{1, 3};
    }

    void keysMoveTheCurrentCell() {
        QFETCH(TGridCoord, start);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(TGridCoord, expected);
        TXStringGrid* grid = ShownGrid();
        grid->SetOptions(grid->Options() | goTabs);
        grid->SetSelection({start.X, start.Y, start.X, start.Y});
        grid->setFocus();
        QTest::keyClick(grid, static_cast<Qt::Key>(key), modifiers);
        QCOMPARE((TGridCoord{grid->Col(), grid->Row()}), expected);
        QCOMPARE(grid->Selection(), (TGridRect{expected.X, expected.Y, expected.X, expected.Y}));
    }

    void refusedCellIsNotEntered() {
        TXStringGrid* grid = ShownGrid();
        connect(grid, &TXStringGrid::OnSelectCell,
                [](TXStringGrid*, int, int row, bool& canSelect) { canSelect = row != 3; });
        grid->SetSelection({2, 2, 2, 2});
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->Row(), 2);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 3).center());
        QCOMPARE(grid->Row(), 2);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(3, 4).center());
        QCOMPARE((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{3, 4}));
    }

    void headerClickLeavesTheCurrentCellWhereItWas() {
        TXStringGrid* grid = ShownGrid();
        std::vector<TGridCoord> asked;
        std::vector<int> keys;
        connect(grid, &TXStringGrid::OnSelectCell,
                [&asked](TXStringGrid*, int col, int row, bool&) {
                    asked.push_back({col, row});
                });
        connect(grid, &TXStringGrid::OnKeyDown,
                [&keys](TXStringGrid*, int& key, Qt::KeyboardModifiers) { keys.push_back(key); });
        grid->SetSelection({1, 3, 1, 3});
        QHeaderView* header = grid->horizontalHeader();
        const QPoint onCaption(header->sectionViewportPosition(2) + 20, header->height() / 2);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, onCaption);
        QCOMPARE((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{2, 0}));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, onCaption);
        QCOMPARE((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{1, 3}));
        QVERIFY(!asked.empty());
        QCOMPARE(asked.front(), (TGridCoord{2, 0}));
        QCOMPARE(asked.back(), (TGridCoord{1, 3}));
        // The owner learns of the current cell from OnSelectCell; no key is made up for it.
        QVERIFY(keys.empty());
    }

    void mouseDownEventReportsViewportCoordinates() {
        TXStringGrid* grid = ShownGrid();
        QPoint reported;
        Qt::MouseButton pressed = Qt::NoButton;
        connect(grid, &TXStringGrid::OnMouseDown,
                [&](TXStringGrid*, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                    pressed = button;
                    reported = {x, y};
                });
        const QPoint at = grid->CellRect(3, 2).center();
        QTest::mousePress(grid->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(pressed, Qt::RightButton);
        QCOMPARE(reported, at);
        QCOMPARE((grid->MouseCoord(at.x(), at.y())), (TGridCoord{3, 2}));
        QCOMPARE((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{1, 1}));
        QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, at);
    }

    // Every way the grid would open an in-place editor, on a column without a cell editor.
    void noQtEditorEverOpens() {
        TXStringGrid* grid = ShownGrid();
        grid->SetOptions(grid->Options() | goEditing);
        grid->SetImmediateEditMode(true);
        grid->SetCells(2, 2, "cell");
        grid->SetSelection({2, 2, 2, 2});
        grid->setFocus();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 2).center());
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClick(grid, Qt::Key_Return);
        QTest::keyClicks(grid, u"xyz"_s);
        Commit(grid, u"日本"_s);
        Settle();
        QCOMPARE(QApplication::focusWidget(), grid);
        QVERIFY(grid->viewport()->findChildren<QLineEdit*>().isEmpty());
        QCOMPARE(grid->Cells(2, 2), std::string("cell"));
        QCOMPARE(grid->PendingChar(), char32_t(0));
        QCOMPARE(grid->ActiveCellEditor(), nullptr);
    }

    // Column 1 has a cell editor, column 2 none.
    void canEditShowAnswersWhetherTheEditorMayStart_data() {
        QTest::addColumn<TGridOptions>("options");
        QTest::addColumn<TGridCoord>("current");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<bool>("expected");
        QTest::newRow("all conditions hold") << EditingOptions << TGridCoord{1, 2} << true << true;
        QTest::newRow("no goEditing")
            << (EditingOptions & ~goEditing) << TGridCoord{1, 2} << true << false;
        QTest::newRow("whole rows selected")
            << (EditingOptions | goRowSelect) << TGridCoord{1, 2} << true << false;
        QTest::newRow("editor mode off")
            << (EditingOptions & ~goAlwaysShowEditor) << TGridCoord{1, 2} << true << false;
        QTest::newRow("grid without focus") << EditingOptions << TGridCoord{1, 2} << false << false;
        QTest::newRow("fixed row") << EditingOptions << TGridCoord{1, 0} << true << false;
        QTest::newRow("column without editor")
            << EditingOptions << TGridCoord{2, 2} << true << false;
    }

    void canEditShowAnswersWhetherTheEditorMayStart() {
        QFETCH(TGridOptions, options);
        QFETCH(TGridCoord, current);
        QFETCH(bool, focused);
        QFETCH(bool, expected);
        window_ = std::make_unique<QWidget>();
        auto* elsewhere = new QLineEdit(window_.get()); // first in the focus chain
        auto* grid = new TProbeGrid(window_.get());
        auto* editor = new TComboCellEditor(window_.get());
        grid->Columns()->Items(1)->SetEditor(editor);
        // The control stays hidden, so the grid keeps the focus while the editor runs.
        connect(grid, &TXStringGrid::OnDrawEditor, [](TXStringGrid*, int, int, TCellEditor*) {});
        grid->SetOptions(options);
        grid->SetSelection({current.X, current.Y, current.X, current.Y});
        window_->show();
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        (focused ? static_cast<QWidget*>(grid) : elsewhere)->setFocus();
        Settle();
        QCOMPARE(grid->hasFocus(), focused);
        QCOMPARE(grid->CanEditShow(), expected);
        QCOMPARE(grid->ActiveCellEditor() == editor, expected);
    }

    void fixedCellsHaveRectanglesOutsideTheViewport() {
        TXStringGrid* grid = ShownGrid();
        const QRect header = grid->CellRect(2, 0);
        const QRect side = grid->CellRect(0, 2);
        QVERIFY(header.bottom() < 0 && header.left() >= 0);
        QVERIFY(side.right() < 0 && side.top() >= 0);
        QCOMPARE((grid->MouseCoord(header.center().x(), header.center().y())), (TGridCoord{2, 0}));
        QCOMPARE((grid->MouseCoord(side.center().x(), side.center().y())), (TGridCoord{0, 2}));
        QCOMPARE(grid->CellRect(2, 2).size(), QSize(64, 24));
        grid->SetRowCount(51);
        grid->SetTopRow(20);
        QCOMPARE(grid->TopRow(), 20);
        QVERIFY(grid->CellRect(2, 1).isEmpty());
        QCOMPARE(grid->CellRect(2, 20).top(), 0);
    }
};

QTEST_MAIN(TestXStringGrid)
#include "test_XStringGrid.moc"
