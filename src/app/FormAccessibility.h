#pragma once

// What a screen reader says for the main window's controls beyond their own captions: names for
// the controls no label of their own names (the grid, the feed text; the others take the text of
// their label), the grid's short description with the keys that act on its rows and the way out
// of it, and the reason a date cell is marked wrong.

#include <functional>

class QPlainTextEdit;
class TXStringGrid;

// `marksDate(row)` tells whether the date cell of `row` is drawn in the error colour.
void NameUnlabelledControls(TXStringGrid& grid, QPlainTextEdit& feedText,
                            std::function<bool(int row)> marksDate);
