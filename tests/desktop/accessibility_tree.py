"""Reads the editor's window over AT-SPI as a screen reader does and checks what it would say:
every control has a name, and the entry grid reads as the user sees it (captions as column
headers, entries numbered from 1, the cell editor named after its column and row)."""

import sys
import time

import pyatspi

# Roles a user operates; each needs a name a screen reader can say.
CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_TABLE,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SLIDER, pyatspi.ROLE_LIST,
}

# What the grid of examples/news.tbl reads as.
CAPTIONS = ["タイトル(必須 100バイト以内)", "日付(任意)", "アドレス(必須 http://から入力)",
            "説明文(任意 400バイト以内)"]


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


def main():
    app = editor_app()
    failures = []
    grids = 0
    editors = []
    for node, path in walk(app):
        role = node.getRole()
        if role == pyatspi.ROLE_TABLE and node.name == "新着情報":
            grids += 1
            check_grid(node, failures)
        if role in CONTROLS and not node.name:
            failures.append(f"unnamed {node.getRoleName()} in {' > '.join(path)}")
        if role in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY) and path[-1:] == ("table",):
            editors.append(node.name)
    if editors != ["タイトル 1行目"]:
        failures.append(f"the grid's open cell editors are {editors}, not ['タイトル 1行目']")
    if grids != 1:
        failures.append(f"{grids} grids named 新着情報")
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    sys.exit(1 if failures else 0)


main()
