#!/usr/bin/env python3
"""Reads an mbox file with Python's own mailbox module and compares every message, once
its mboxrd quoting is undone, with the stored texts given as the files of a folder (in the
order of their names); a stored text that does not begin with a header line must come back
with the one line the export adds. With --tree ROOT, checks instead what Thunderbird needs of
an export's names: no file name ends in .msf, no two names in a folder differ only in letter
case. Exit status 0 when all match."""

import mailbox
import os
import re
import sys

FROM_LINE = re.compile(rb"^\S+ (Mon|Tue|Wed|Thu|Fri|Sat|Sun) [A-Z][a-z]{2} [ \d]\d "
                       rb"\d\d:\d\d:\d\d \d{4}$")
QUOTED = re.compile(rb"^>(>*From )", re.MULTILINE)
HEADER_LINE = re.compile(rb"^[!-9;-~]+:")
FRAGMENT = b"X-Mailquarry-Fragment: yes\r\n"


def check_tree(root):
    failures = 0
    for folder, dirs, files in os.walk(root):
        names = dirs + files
        folded = [n.casefold() for n in names]
        for name in names:
            if name.lower().endswith(".msf"):
                print(f"{folder}: {name} ends in .msf")
                failures += 1
            if folded.count(name.casefold()) > 1:
                print(f"{folder}: {name} is there twice, ignoring case")
                failures += 1
    return 1 if failures else 0


def main(mbox_path, expected_dir):
    names = sorted(os.listdir(expected_dir))
    box = mailbox.mbox(mbox_path, create=False)
    keys = list(box.keys())
    if len(keys) != len(names):
        print(f"{mbox_path}: {len(keys)} messages, expected {len(names)}")
        return 1
    failures = 0
    for key, name in zip(keys, names):
        with open(os.path.join(expected_dir, name), "rb") as f:
            stored = f.read()
        # A stored text without a final line end gets CR LF in the mbox file.
        if not stored.endswith(b"\n"):
            stored += b"\r\n"
        if not HEADER_LINE.match(stored):
            stored = FRAGMENT + stored
        got = QUOTED.sub(rb"\1", box.get_bytes(key))
        from_line = box.get_message(key).get_from().encode("latin-1")
        if got != stored:
            print(f"{mbox_path}: message {name} differs: {got[:200]!r} vs {stored[:200]!r}")
            failures += 1
        if not HEADER_LINE.match(got):
            print(f"{mbox_path}: message {name} does not begin with a header line")
            failures += 1
        if not FROM_LINE.match(from_line):
            print(f"{mbox_path}: message {name} has the From line {from_line!r}")
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    if sys.argv[1] == "--tree":
        sys.exit(check_tree(sys.argv[2]))
    sys.exit(main(sys.argv[1], sys.argv[2]))
