#pragma once

// What a screen reader sees of a TXStringGrid: a table of the body cells only, whose column
// headers are the captions of the fixed rows (their last row) and whose row headers number the
// body rows from 1 (or show the fixed column's text when the grid has one). The in-place cell
// editor is named after its column, without the caption's note in brackets, and its row:
// "タイトル 3行目".
//
// The grid's one current cell is what a QTableWidget's current item is to a screen reader: each
// move of it is announced as the focus event of that cell (its column header, row header and
// text with it) once the event that moved it has been handled, so after the cell editor has
// started there. The headers never take the focus. The table's selected cells are the grid's
// selection, and a whole-row selection (goRowSelect) gives its selected rows. A cell the owner
// describes (SetCellDescriber) carries that text as its description, and so does the cell editor
// on it.
//
// Nothing of it exists until an assistive technology asks for the grid, and until then moves
// announce nothing.

#include <QString>

#include <functional>

class TXStringGrid;

// Registers the grid's accessibility with Qt; call once before any grid is shown.
void InstallGridAccessibility();

// The name of the cell editor on body cell (`col`, `row`) of `grid`, grid coordinates.
QString CellEditorName(const TXStringGrid& grid, int col, int row);

// What the owner says of a cell (grid coordinates) beyond its text, such as why it is marked
// wrong; an empty text says nothing.
using TCellDescriber = std::function<QString(int col, int row)>;
void SetCellDescriber(TXStringGrid& grid, TCellDescriber describer);

// The grid's current cell or selection has changed: announces the current cell once the event
// under way has been handled, when the grid or its editor has the focus. Called by the grid.
void AnnounceCurrentCell(TXStringGrid& grid);
