#pragma once

// What a screen reader sees of a TXStringGrid: a table of the body cells only, whose column
// headers are the captions of the fixed rows (their last row) and whose row headers number the
// body rows from 1 (or show the fixed column's text when the grid has one). The in-place cell
// editor is named after its column, without the caption's note in brackets, and its row:
// "タイトル 3行目".
//
// Nothing of it exists until an assistive technology asks for the grid.

#include <QString>

class TXStringGrid;

// Registers the grid's accessibility with Qt; call once before any grid is shown.
void InstallGridAccessibility();

// The name of the cell editor on body cell (`col`, `row`) of `grid`, grid coordinates.
QString CellEditorName(const TXStringGrid& grid, int col, int row);
