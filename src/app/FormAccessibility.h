#pragma once

// What a screen reader says for the main window's controls beyond their own captions: names for
// the controls no label of their own names (the grid, the feed text; the others take the text of
// their label), the grid's short description with the keys that act on its rows and the way out
// of it, and the reason a date cell is marked wrong.

class TMiniForm;

void NameUnlabelledControls(TMiniForm& form);
