#pragma once

// Names that a screen reader says for the main window's controls that no label of their own
// names (the grid, the feed text); the others take the text of their label.

class TMiniForm;

void NameUnlabelledControls(TMiniForm& form);
