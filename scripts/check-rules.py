#!/usr/bin/env python3
"""Rules of the tree that no compiler checks.

  scripts/check-rules.py file-sizes   no file of src/ is over 600 lines
  scripts/check-rules.py decisions    every entry of docs/DECISIONS.md has the one
                                      form (First written, Instead, Why, Test) and
                                      every test it names in backquotes exists
                                      (`web:NAME`: a check of the browser harness,
                                      tests/web, whose messages start "NAME: ")

Exit status: 0 when the rules hold, 1 with one line per breach on stderr.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAX_LINES = 600
LABELS = ("First written", "Instead", "Why", "Test")


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def source_files(top, suffixes):
    for folder, _, names in os.walk(os.path.join(ROOT, top)):
        if "node_modules" in folder:
            continue
        for name in sorted(names):
            if name.endswith(suffixes):
                yield os.path.join(folder, name)


def file_sizes():
    breaches = []
    for path in source_files("src", (".cpp", ".h")):
        lines = read(path).count("\n")
        if lines > MAX_LINES:
            breaches.append(f"{os.path.relpath(path, ROOT)}: {lines} lines (at most {MAX_LINES})")
    return breaches


def known_tests():
    """GoogleTest cases as 'Suite.Name' and the names given to add_test."""
    cases, names = set(), set()
    case = re.compile(r"\bTEST(?:_F|_P)?\(\s*(\w+)\s*,\s*(\w+)\s*\)")
    added = re.compile(r"add_test\(\s*NAME\s+([\w${}.-]+)")
    for path in source_files("tests", (".cpp", ".h")):
        for suite, name in case.findall(read(path)):
            cases.add(f"{suite}.{name}")
    for top in ("tests", "bench", "tools", "cmake"):
        for path in source_files(top, (".cmake", "CMakeLists.txt")):
            names.update(added.findall(read(path)))
    names.update(added.findall(read(os.path.join(ROOT, "CMakeLists.txt"))))
    return cases, names


def web_check_exists(check):
    """A check of the browser harness (tests/web/*.mjs), whose messages start "NAME: "."""
    folder = os.path.join(ROOT, "tests", "web")
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        if name.endswith(".mjs") and re.search(r"['`]" + re.escape(check) + r": ", read(os.path.join(folder, name))):
            return True
    return False


def test_exists(cited, cases, names):
    if cited.startswith("web:"):
        return web_check_exists(cited[len("web:"):])
    if "." in cited:
        suite, _, name = cited.partition(".")
        if name == "*":
            return any(c.startswith(suite + ".") for c in cases)
        return cited in cases
    if cited.endswith("*"):
        stem = cited[:-1]
        return any(n.startswith(stem) for n in names)
    # A name a loop makes ("bench_report_${demo}") stands for its family;
    # one made of a variable alone ("${suite}") for none.
    stems = [n.split("${")[0] for n in names if "${" in n]
    return cited in names or any(stem and cited.startswith(stem) for stem in stems)


def entries(text):
    """(title, body) of each '## ' entry."""
    parts = re.split(r"^## +(.+)$", text, flags=re.M)
    return [(parts[i].strip(), parts[i + 1]) for i in range(1, len(parts), 2)]


def decisions():
    breaches = []
    cases, names = known_tests()
    for title, body in entries(read(os.path.join(ROOT, "docs", "DECISIONS.md"))):
        found = re.findall(r"^- ([A-Z][\w ]*?):", body, flags=re.M)
        if tuple(found) != LABELS:
            breaches.append(f'"{title}": labels {", ".join(found) or "none"}; the form is {", ".join(LABELS)}')
            continue
        test = body[body.index("- Test:"):]
        cited = re.findall(r"`([\w.*${}:-]+)`", test)
        if not cited:
            breaches.append(f'"{title}": its Test names no test in backquotes')
        for name in cited:
            if not test_exists(name, cases, names):
                breaches.append(f'"{title}": the test {name} does not exist')
    return breaches


def main(argv):
    checks = {"file-sizes": file_sizes, "decisions": decisions}
    if len(argv) != 2 or argv[1] not in checks:
        sys.stderr.write(__doc__)
        return 2
    breaches = checks[argv[1]]()
    for line in breaches:
        sys.stderr.write(f"check-rules {argv[1]}: {line}\n")
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
