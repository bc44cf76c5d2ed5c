#!/usr/bin/env python3
"""The lengths of the functions under src/: none over 60 lines, but the show's flat set-up lists.

Finds every function body (lambdas too) by its braces, comments and literals blanked out: a brace
that follows a closing parenthesis (with qualifiers, a trailing return type or a constructor's
initialisers between) and is not that of an if, for, while, switch or catch. A function's length
runs from the line of its opening brace to that of its closing one. Prints the longest, and fails
naming every function over the limit.

    function_lengths.py SOURCE_DIR
"""
import os
import re
import sys

LONGEST = 60
# The show's set-up lists: one row per effect or event, held against its chapter tables.
SET_UP_LISTS = {"Velmora::setUpEffects", "Velmora::scriptOpening", "Velmora::scriptMiddle",
                "Velmora::scriptEnding"}
FUNCTION_HEAD = re.compile(
    r"\)\s*(?:const|noexcept|override|final|mutable|->\s*[\w:<>&*, ]+|\[\[[^\]]*\]\]|\s)*$|\)\s*:\s*[^:]")
STATEMENT_HEAD = re.compile(r"\b(?:if|for|while|switch|catch)\s*\(")
NAME = re.compile(r"([\w:~]+)\s*\(")
NOT_NAMES = {"__attribute__", "target", "alignas", "decltype", "noexcept", "sizeof", "operator"}


def blanked(text):
    """The text with comments, strings and character literals turned into spaces, lines kept."""
    token = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)
    return token.sub(lambda m: re.sub(r"[^\n]", " ", m.group()), text)


def functions(path):
    """(lines, name, first line) of every function body of the file."""
    with open(path, encoding="utf-8") as source:
        text = blanked(source.read())
    found, open_braces = [], []
    for brace in re.finditer(r"[{}]", text):
        if brace.group() == "{":
            head = re.split(r"[;{}]", text[max(0, brace.start() - 400):brace.start()])[-1]
            is_function = FUNCTION_HEAD.search(head) and not STATEMENT_HEAD.search(head)
            names = [n for n in NAME.findall(head) if n not in NOT_NAMES]
            open_braces.append((brace.start(), bool(is_function), names[0] if names else "(lambda)"))
        elif open_braces:
            start, is_function, name = open_braces.pop()
            if is_function:
                first = text.count("\n", 0, start) + 1
                found.append((text.count("\n", 0, brace.start()) + 2 - first, name, first))
    return found


def main(source_dir):
    found = []
    for folder, _, files in os.walk(os.path.join(source_dir, "src")):
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                path = os.path.join(folder, name)
                found += [(lines, name, os.path.relpath(path, source_dir), first)
                          for lines, name, first in functions(path)]
    found.sort(reverse=True)
    for lines, name, path, first in found[:10]:
        print(f"{lines:4} {name} ({path}:{first})")
    too_long = [f for f in found if f[0] > LONGEST and f[1] not in SET_UP_LISTS]
    for lines, name, path, first in too_long:
        print(f"{path}:{first}: {name} is {lines} lines long, more than {LONGEST}", file=sys.stderr)
    if not found:
        print("no function found", file=sys.stderr)
        return 1
    return 1 if too_long else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
