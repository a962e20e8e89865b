#!/usr/bin/python3
"""The program as a screen reader sees it, over AT-SPI: `check` compares what each open window
offers the keyboard with the names and roles it should have; `press WINDOW NAME` presses a
control of a window through its action; `text WINDOW NAME` prints a control's text as its text
interface gives it; `value WINDOW NAME` prints a control's role and value (a progress bar's)."""
import os
import subprocess
import sys
import time

import pyatspi


def focusable():
    """The controls that take the focus, by window caption: (name, role), as the window
    descriptions give them (framora_form_facts)."""
    table = {}
    facts = subprocess.check_output([os.environ["FRAMORA_FORM_FACTS"]], text=True)
    for kind, window, *rest in (line.split("\t") for line in facts.splitlines()):
        table.setdefault(window, [])
        if kind == "focus":
            table[window].append(tuple(rest))
    return table


def app():
    for _ in range(300):
        for candidate in pyatspi.Registry.getDesktop(0):
            if candidate is not None and candidate.name == "Framoraaudioconverter":
                return candidate
        time.sleep(0.1)
    sys.exit("the program does not show on the accessibility bus")


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def controls(node):
    """The controls below a node; a drop-down list's own list and items are its inside."""
    for child in node:
        if child is not None:
            yield child
            if child.getRoleName() != "combo box":
                yield from controls(child)


def named(node):
    """A control's name as a screen reader says it: a drop-down list is named by its label."""
    if node.getRoleName() == "combo box":
        for relation in node.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                return relation.getTarget(0).name
    return node.name


def find(name, within=None, role=None):
    for _ in range(300):
        for node in descendants(find(within) if within else app()):
            if node.name == name and (role is None or node.getRoleName() == role):
                return node
        time.sleep(0.1)
    sys.exit(f"no {role or 'control'} named {name!r}")


def check(*windows):
    failures = 0
    for window, expected in ((w, focusable()[w]) for w in windows):
        frame = find(window)
        seen = sorted((named(n), n.getRoleName()) for n in controls(frame)
                      if n.getState().contains(pyatspi.STATE_FOCUSABLE)
                      and n.getRoleName() not in ("menu item", "menu", "popup menu"))
        if seen != sorted(expected):
            failures += 1
            print(f"FAIL {window!r}: focusable controls are {seen}, expected {sorted(expected)}")
        else:
            print(f"ok: {window!r}: {len(seen)} focusable controls, each named, in its role")
    link = find("Donate now", role="link")
    print(f"ok: the donate picture is a {link.getRoleName()} named {link.name!r}")
    sys.exit(failures)


def press(window, name):
    node = find(name, window)
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        sys.exit(f"{name!r} has no Press action, only {names}")
    action.doAction(names.index("Press"))


def text(window, name):
    node = find(name, window)
    shown = node.queryText()
    print(shown.getText(0, shown.characterCount))


def value(window, name):
    node = find(name, window)
    print(node.getRoleName(), node.queryValue().currentValue)


{"check": check, "press": press, "text": text, "value": value}[sys.argv[1]](*sys.argv[2:])
