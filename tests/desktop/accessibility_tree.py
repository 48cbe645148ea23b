"""Reads the editor's window over AT-SPI as a screen reader does and checks what it would say:
every control has a name, the entry grid reads as the user sees it (captions as column headers,
entries numbered from 1, the cell editor a combo box named after its column and row, a short
description with the row keys), and walking the grid with the keys announces each cell moved to,
with its column and text, and each message of the status bar.
Usage: accessibility_tree.py TABLE.tbl (the table file the editor shows)"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

# Roles a user operates; each needs a name a screen reader can say.
CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_TABLE,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SLIDER, pyatspi.ROLE_LIST,
}

CAPTIONS = ["タイトル(必須 100バイト以内)", "日付(任意)", "アドレス(必須 http://から入力)",
            "説明文(任意 400バイト以内)"]

NOT_A_DATE = "日付の形式ではありません"

# The walk from the first entry's title, where the editor starts: the keys (xdotool's names), the
# cell then announced (entry row and column from 0; its text is the table file's unless given),
# the grid's selected rows afterwards, a message that is spoken, and a date cell's description.
STEPS = [
    {"keys": ["Down"], "cell": (1, 0)},
    {"keys": ["Tab"], "cell": (1, 1)},
    {"keys": ["shift+Down"], "cell": (1, 1), "selected": [1]},
    {"keys": ["shift+Down"], "cell": (2, 1), "selected": [1, 2]},
    {"keys": ["Escape", "Tab"], "cell": (2, 2)},
    {"keys": ["shift+Tab"], "cell": (2, 1)},
    # A new empty entry, a date that is none (the example fills the address in from the home
    # page), and the entry deleted again.
    {"keys": ["F2", "n", "o", "t", "Tab"], "cell": (2, 2),
     "text": "https://hidamari-coffee.example/", "message": "「not」", "date": (2, NOT_A_DATE)},
    {"keys": ["shift+Down", "Delete"], "cell": (2, 0),
     "message": "1行削除しました。Ctrl+Zで元に戻せます。"},
]


def entries_of(table_file):
    """The entries' cells as the table file holds them: one TAB-joined line per entry."""
    with open(table_file, encoding="cp932", newline="") as lines:
        return [line.rstrip("\r\n").split("\t") for line in lines if "\t" in line]


def editor_app():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "orvanix":
                return app
        time.sleep(0.2)
    sys.exit("FAIL: the editor is not on the accessibility bus")


def walk(node, path=()):
    yield node, path
    for child in node:
        if child is not None:
            yield from walk(child, path + (node.getRoleName(),))


def check_grid(table_node, failures):
    table = table_node.queryTable()
    if (table.nRows, table.nColumns) != (50, 4):
        failures.append(f"the grid is {table.nRows} × {table.nColumns}, not 50 × 4")
        return
    headers = [table.getColumnHeader(col) for col in range(4)]
    names = [header.name if header else None for header in headers]
    if names != CAPTIONS or [table.getColumnDescription(c) for c in range(4)] != CAPTIONS:
        failures.append(f"the grid's column headers read {names}")
    rows = [table.getRowHeader(row).name for row in (0, 2, 49)]
    if rows != ["1", "3", "50"]:
        failures.append(f"the grid's row headers read {rows}")
    first = table.getAccessibleAt(0, 0).name
    if not first:
        failures.append("the first entry's title reads empty")
    description = table_node.description
    if len(description) > 80 or not all(key in description for key in ("F2", "F6", "Ctrl+Tab")):
        failures.append(f"the grid's description reads {description!r}")


class Listener:
    """The focus and notification events of the editor, as a screen reader receives them."""

    def __init__(self):
        self.events = []
        pyatspi.Registry.registerEventListener(
            self.heard, "object:state-changed:focused", "object:state-changed:showing")

    def heard(self, event):
        try:
            role = event.source.getRole()
        except GLib.Error:  # an object already gone, such as a cell of a row deleted
            return
        if event.detail1 == 1 and (event.type.endswith("focused")
                                   or role == pyatspi.ROLE_NOTIFICATION):
            self.events.append((event.type, role, event.source))

    def until(self, condition, seconds=15):
        """Pumps the events until `condition` holds; false when it never did."""
        context = GLib.MainContext.default()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            if condition():
                return True
            time.sleep(0.05)
        return False


def announced_cell(table, source):
    """(row, column, header, text) of a focused grid cell; None for anything else."""
    if source.getRole() != pyatspi.ROLE_TABLE_CELL:
        return None
    index = source.getIndexInParent()
    row, col = table.getRowAtIndex(index), table.getColumnAtIndex(index)
    return row, col, table.getColumnHeader(col).name, source.name


def walk_grid(table_node, entries, failures):
    table = table_node.queryTable()
    listener = Listener()
    for step in STEPS:
        listener.events.clear()
        subprocess.run(["xdotool", "key", "--delay", "60", *step["keys"]], check=True)
        keys = " ".join(step["keys"])
        if "message" in step:
            def spoken():
                return any(role == pyatspi.ROLE_NOTIFICATION and step["message"] in source.name
                           for _, role, source in listener.events)
            if not listener.until(spoken):
                failures.append(f"{keys}: the message {step['message']!r} is not spoken")
        if "cell" in step:
            row, col = step["cell"]
            expected = (row, col, CAPTIONS[col], step.get("text", entries[row][col]))

            def focused_last():
                cells = [announced_cell(table, source) for kind, _, source in listener.events
                         if kind.endswith("focused")]
                return bool(cells) and cells[-1] == expected
            if not listener.until(focused_last):
                heard = [(kind, source.getRoleName(), source.name)
                         for kind, _, source in listener.events]
                failures.append(f"{keys}: expected {expected}, heard {heard}")
        selected = list(table.getSelectedRows())
        if selected != step.get("selected", []):
            failures.append(f"{keys}: the selected rows are {selected}")
        if "date" in step:
            row, description = step["date"]
            got = table.getAccessibleAt(row, 1).description
            if got != description:
                failures.append(f"{keys}: the date of entry {row + 1} is described {got!r}")


def main():
    entries = entries_of(sys.argv[1])
    app = editor_app()
    failures = []
    grids = []
    editors = []
    for node, path in walk(app):
        role = node.getRole()
        if role == pyatspi.ROLE_TABLE and node.name == "新着情報":
            grids.append(node)
            check_grid(node, failures)
        if role in CONTROLS and not node.name:
            failures.append(f"unnamed {node.getRoleName()} in {' > '.join(path)}")
        if path[-1:] == ("table",) and role not in (pyatspi.ROLE_TABLE_CELL,
                                                    pyatspi.ROLE_TABLE_COLUMN_HEADER,
                                                    pyatspi.ROLE_TABLE_ROW_HEADER):
            editors.append((node.getRoleName(), node.name))
    if editors != [("combo box", "タイトル 1行目")]:
        failures.append(f"the grid's open cell editors are {editors}, "
                        "not the combo box タイトル 1行目")
    if len(grids) != 1:
        failures.append(f"{len(grids)} grids named 新着情報")
    else:
        walk_grid(grids[0], entries, failures)
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    sys.exit(1 if failures else 0)


main()
