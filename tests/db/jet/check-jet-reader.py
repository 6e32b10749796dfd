#!/usr/bin/env python3
"""The Jet reader must read what mdbtools, an independent reader, reads: the
same user tables, columns, rows and values, and the same Description and
AllowZeroLength of each column.

    check-jet-reader.py JET_DUMP.EXE WINEPREFIX SOURCE_DIR FILE.mdb...

A file whose folder is missing (the Access-made files live beside the clone,
not in it) is skipped with a note.
"""
import csv
import datetime
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
from decimal import Decimal

NULL = "<NULL>"
DATE_FORMAT = "%Y-%m-%d %H:%M:%S"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def read_dump(dump, prefix, source_dir, mdb, work):
    out = os.path.join(work, "dump.jsonl")
    env = dict(os.environ, STOWLARK_WINEPREFIX=prefix)
    subprocess.run([os.path.join(source_dir, "scripts", "wine-run.sh"), dump,
                    windows_path(mdb), windows_path(out)], check=True, env=env)
    tables = {}
    current = None
    with open(out, encoding="utf-8") as lines:
        for line in lines:
            item = json.loads(line)
            if isinstance(item, dict):
                current = {"columns": item["columns"], "rows": []}
                tables[item["table"]] = current
            else:
                current["rows"].append(item)
    return tables


def mdb(*args):
    return subprocess.run(list(args), check=True, capture_output=True).stdout.decode("utf-8")


def export(mdb_file, table):
    text = mdb("mdb-export", "-0", NULL, "-b", "hex", "-T", DATE_FORMAT, mdb_file, table)
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return rows[0], rows[1:]


def properties(mdb_file, table):
    found = {}
    column = None
    for line in mdb("mdb-prop", mdb_file, table).splitlines():
        if line.startswith("name: "):
            column = line[6:]
            found[column] = {}
        elif line.startswith("\t") and column is not None:
            name, _, value = line[1:].partition(": ")
            found[column][name] = value
    return found


def jet_date(days):
    whole = int(days)
    fraction = abs(days - whole)
    moment = datetime.datetime(1899, 12, 30) + datetime.timedelta(days=whole, seconds=round(fraction * 86400))
    return moment


def same_value(ours, theirs, column_type):
    """None when they agree or mdbtools cannot show the value; else why not."""
    if ours == "" and theirs == NULL and column_type == "Memo":
        return None  # mdbtools shows an empty memo as null
    if ours is None:
        return None if theirs == NULL else "null against %r" % theirs
    if theirs == NULL:
        return "%r against null" % (ours,)
    if isinstance(ours, int):
        return None if str(ours) == theirs else "%r against %r" % (ours, theirs)
    if isinstance(ours, str):
        return None if ours == theirs else "text differs: %r against %r" % (ours[:80], theirs[:80])
    if "currency" in ours:
        return None if Decimal(ours["currency"]) / 10000 == Decimal(theirs) else "%r against %r" % (ours, theirs)
    if "real" in ours:
        a, b = ours["real"], float(theirs)
        return None if abs(a - b) <= 1e-6 * max(1.0, abs(a)) else "%r against %r" % (ours, theirs)
    if "date" in ours:
        try:
            shown = datetime.datetime.strptime(theirs, DATE_FORMAT)
        except ValueError:
            return None  # outside what mdbtools can show (years past 9999, day 0)
        delta = abs((jet_date(ours["date"]) - shown).total_seconds())
        return None if delta <= 1 else "%r (%s) against %r" % (ours, jet_date(ours["date"]), theirs)
    if "binary" in ours:
        return None if ours["binary"] * 2 == len(theirs) else "%d bytes against %d" % (ours["binary"], len(theirs) // 2)
    return "unsupported against %r" % theirs


def check_file(dump, prefix, source_dir, mdb_file, work):
    faults = []
    ours = read_dump(dump, prefix, source_dir, mdb_file, work)
    names = set(mdb("mdb-tables", "-1", mdb_file).splitlines())
    if set(ours) != names:
        faults.append("tables %s against %s" % (sorted(ours), sorted(names)))
    for table in sorted(names & set(ours)):
        mine = ours[table]
        header, rows = export(mdb_file, table)
        columns = [c["name"] for c in mine["columns"]]
        if columns != header:
            faults.append("%s: columns %s against %s" % (table, columns, header))
            continue
        if len(mine["rows"]) != len(rows):
            faults.append("%s: %d rows against %d" % (table, len(mine["rows"]), len(rows)))
        for number, (a, b) in enumerate(zip(mine["rows"], rows)):
            for column, x, y in zip(mine["columns"], a, b):
                why = same_value(x, y, column["type"])
                if why:
                    faults.append("%s row %d %s: %s" % (table, number, column["name"], why))
        theirs = properties(mdb_file, table)
        for column in mine["columns"]:
            # mdbtools shows no column properties of a table whose properties
            # are kept on long-value pages; those are left unchecked.
            if len(theirs) <= 1:
                break
            shown = theirs.get(column["name"], {})
            if column.get("Description") != shown.get("Description"):
                faults.append("%s.%s: Description %r against %r" % (
                    table, column["name"], column.get("Description"), shown.get("Description")))
            zero = column.get("AllowZeroLength")
            zero = None if zero is None else ("yes" if zero else "no")
            if zero != shown.get("AllowZeroLength"):
                faults.append("%s.%s: AllowZeroLength %r against %r" % (
                    table, column["name"], zero, shown.get("AllowZeroLength")))
    return faults


def main():
    dump, prefix, source_dir = sys.argv[1:4]
    if not shutil.which("mdb-export"):
        print("mdbtools not installed (scripts/install-deps.sh installs it); skipping")
        return 0
    faults = []
    work = tempfile.mkdtemp()
    try:
        for mdb_file in sys.argv[4:]:
            if not os.path.isdir(os.path.dirname(mdb_file)):
                print("%s: its folder is not beside this clone; skipping it" % mdb_file)
                continue
            found = check_file(dump, prefix, source_dir, mdb_file, work)
            print("%s: %s" % (os.path.basename(mdb_file), "agrees" if not found else "%d differences" % len(found)))
            faults += ["%s: %s" % (os.path.basename(mdb_file), f) for f in found]
    finally:
        shutil.rmtree(work)
    for fault in faults[:50]:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
