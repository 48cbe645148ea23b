#pragma once

// What a screen reader sees of a TXComboEdit: an editable text whose role follows its edit style.
// A box that drops a list or a calendar down (pick list, drop-down list, date, date and time) is a
// combo box, expandable and expanded while its popup is open; any other style is an edit box. The
// text, the caret and the selection read and change as in any edit box.
//
// Nothing of it exists until an assistive technology asks for a box.

// Registers the combo edit's accessibility with Qt; call once before any combo edit is shown.
void InstallComboEditAccessibility();
