#!/usr/bin/python3
"""What a screen reader sees of zelm over AT-SPI: the names of the tool-bar buttons and the word
box (phase "main"), and the word window's chart as a table of pole names and values, its comment
and its colour strip (phase "word"); phase "fill" only puts «мо*ре» into the word box. Prints a
dump; exits 1 when something is missing."""
import subprocess
import sys
import time

import pyatspi

HINTS = ["Новый файл", "Открыть файл", "Сохранить файл", "Печать", "Отмена", "Вырезать", "Копировать",
         "Вставить", "Оценка слова", "Оценка текста"]


# Every wait has a deadline of its own, long enough for a busy machine: nothing sleeps a fixed time.
DEADLINE = 60


def application():
    for _ in range(DEADLINE * 10):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "zelm":
                return app
        time.sleep(0.1)
    sys.exit("atspi: zelm is not on the accessibility bus")


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def fill_word_box(app, boxes):
    """The word to evaluate, typed as a screen reader user would through the box's text."""
    for box in boxes:
        for node in walk(box):
            if "EditableText" in pyatspi.listInterfaces(node):
                node.queryEditableText().setTextContents("мо*ре")


def main():
    app = application()
    failures = []
    if sys.argv[1] == "fill":  # only the word box, for the Orca script
        fill_word_box(app, [n for n in walk(app) if n.getRoleName() == "combo box"])
        return
    if sys.argv[1] == "main":
        names = {n.name for n in walk(app) if n.getRoleName() == "push button"}
        for hint in HINTS:
            if hint not in names:
                failures.append(f"no button named «{hint}» (buttons: {sorted(names)})")
        named = {n.name for n in walk(app)}
        for name in ("Текст документа", "Выбор рабочего языка"):
            if name not in named:
                failures.append(f"nothing is named «{name}»")
        boxes = [n for n in walk(app) if n.getRoleName() == "combo box"]
        if not any(b.name == "Поле ввода слова для эмоциональной оценки" for b in boxes):
            failures.append("the word box has no name")
        fill_word_box(app, boxes)
        print("buttons:", ", ".join(sorted(names)))
    else:
        tables = []
        for _ in range(DEADLINE * 10):
            tables = [n for n in walk(app) if n.getRoleName() == "table"]
            if tables:
                break
            time.sleep(0.1)
        if not tables:
            sys.exit("atspi: the word window shows no table")
        table = tables[0].queryTable()
        print(f"table «{tables[0].name}»: {table.nRows} rows, {table.nColumns} columns")
        for row in range(3):
            cells = [table.getAccessibleAt(row, c).name for c in range(table.nColumns)]
            print("  row", row + 1, ":", " | ".join(cells))
        first = [table.getAccessibleAt(0, c).name for c in range(table.nColumns)]
        if table.nRows != 24 or first[0] != "Хороший" or first[4] != "Плохой" or not first[2].endswith("%"):
            failures.append(f"the first row reads {first}")
        strips = [n for n in walk(app) if n.name == "Звуко-цветовая оценка"]
        if not strips or not strips[0].description:
            failures.append("the colour strip says nothing")
        else:
            print("colour strip:", strips[0].description)
        texts = [n.queryText().getText(0, -1) for n in walk(app)
                 if n.getRoleName() in ("text", "paragraph") and "Text" in pyatspi.listInterfaces(n)]
        comment = [t for t in texts if "МО*РЕ" in t]
        if not comment:
            failures.append("the comment cannot be read")
        else:
            print("comment:", comment[0].strip())
        # The row the keyboard is on is the table's focused cell, described whole; Down moves it.
        said = []
        for key, want in ((None, "Хороший — Плохой: 34%, значимо"), ("Down", "красивый — отталкивающий: -6%, незначимо")):
            if key:
                subprocess.run(["xdotool", "key", key], check=False)
            found = None
            for _ in range(DEADLINE * 10):
                focused = [n for n in walk(tables[0]) if n is not tables[0] and n.getState().contains(pyatspi.STATE_FOCUSED)]
                found = focused[0].description if focused else None
                if found == want:
                    break
                time.sleep(0.1)
            said.append(found)
            if found != want:
                failures.append(f"the focused chart row reads {found!r}, not {want!r}")
        print("chart rows as focused:", " / ".join(map(str, said)))
    for failure in failures:
        print("atspi:", failure, file=sys.stderr)
    sys.exit(1 if failures else 0)


main()
