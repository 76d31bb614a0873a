#!/usr/bin/env python3
"""The reference reports of the bench demos: every demo of bench/ replayed
headless must end in exactly the report kept in bench/reports/, on every
machine, compiler and C library the game is built for.

  bench/reports.py record [--build DIR]            write bench/reports/*.json again
  bench/reports.py check [--build DIR] [DEMO...]   replay and compare (all demos by default)
  bench/reports.py compare REFERENCE REPORT        compare two report files

A difference prints the demo and the first field that differs (in the
report's own order) with both values, and the exit status is 1. Numbers are
compared as written (the report writes floats with 9 digits, enough to tell
any two floats apart). The report holds no wall-clock figures; a field named
in IGNORED would be left out.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPORTS = os.path.join(HERE, "reports")
IGNORED = set()


def demos():
    return sorted(f[:-len(".dwdemo")] for f in os.listdir(HERE) if f.endswith(".dwdemo"))


def replay(build, name):
    """The report of demo `name` replayed headless by the program in `build`."""
    with tempfile.TemporaryDirectory() as work:
        report = os.path.join(work, "report.json")
        cmd = [os.path.join(build, "duskwhirl"), "--headless", "--replay",
               os.path.join(HERE, name + ".dwdemo"), "--data", os.path.join(build, "gamedata.res"),
               "--user-dir", os.path.join(work, "user"), "--report", report]
        run = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0:
            sys.exit(f"{name}: the replay failed (exit status {run.returncode}):\n{run.stdout}")
        with open(report, encoding="utf-8") as f:
            return f.read()


def fields(text):
    """The report's leaves in order, as (dotted name, value as written)."""
    def walk(prefix, value):
        if isinstance(value, dict):
            for key, item in value.items():
                yield from walk(f"{prefix}.{key}" if prefix else key, item)
        else:
            yield prefix, value
    # Numbers stay text: two reports agree only when they print the same digits.
    tree = json.loads(text, parse_float=str, parse_int=str)
    return [(name, value) for name, value in walk("", tree) if name.split(".")[-1] not in IGNORED]


def first_difference(reference, report):
    """None when the two reports agree, else a line naming the first difference."""
    want, got = fields(reference), fields(report)
    for (wname, wvalue), (gname, gvalue) in zip(want, got):
        if wname != gname:
            return f"field {wname} expected, field {gname} found"
        if wvalue != gvalue:
            return f"{wname}: expected {json.dumps(wvalue)}, got {json.dumps(gvalue)}"
    if len(want) != len(got):
        extra = want[len(got)] if len(want) > len(got) else got[len(want)]
        side = "missing" if len(want) > len(got) else "not expected"
        return f"{extra[0]}: {side}"
    return None


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    rec = sub.add_parser("record")
    rec.add_argument("--build", default="build")
    chk = sub.add_parser("check")
    chk.add_argument("--build", default="build")
    chk.add_argument("demo", nargs="*")
    cmp_ = sub.add_parser("compare")
    cmp_.add_argument("reference")
    cmp_.add_argument("report")
    args = parser.parse_args()

    if args.command == "compare":
        diff = first_difference(read(args.reference), read(args.report))
        print(f"{args.report}: {diff}" if diff else f"{args.report}: the same as {args.reference}")
        return 1 if diff else 0

    if args.command == "record":
        os.makedirs(REPORTS, exist_ok=True)
        for name in demos():
            with open(os.path.join(REPORTS, name + ".json"), "w", encoding="utf-8") as f:
                f.write(replay(args.build, name))
            print(f"bench/reports/{name}.json")
        return 0

    status = 0
    for name in args.demo or demos():
        reference = os.path.join(REPORTS, name + ".json")
        if not os.path.exists(reference):
            print(f"{name}: no reference report (bench/reports.py record writes them)")
            status = 1
            continue
        diff = first_difference(read(reference), replay(args.build, name))
        print(f"{name}: {diff}" if diff else f"{name}: the same report")
        status |= 1 if diff else 0
    return status


if __name__ == "__main__":
    sys.exit(main())
