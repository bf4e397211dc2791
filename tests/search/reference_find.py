#!/usr/bin/env python3
"""A plain reference for finding messages: reads the messages a manifest lists (one line
each: folder, row, received date as "YYYY-MM-DD HH:MM:SS", path of the stored text, tab
separated) with Python's email package, and prints "folder row" for each message whose
chosen fields hold every word and quoted phrase of the query, case folded with casefold().
Each search is four arguments (AFTER and BEFORE may be empty); a line "--" ends its results.

usage: reference_find.py MANIFEST [QUERY FIELDS AFTER BEFORE]..."""

import email
import email.policy
import html.parser
import re
import sys

BLOCKS = {"br", "p", "div", "tr", "td", "th", "li", "h1", "h2", "h3", "h4", "h5", "h6", "table"}


class Visible(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts, self.hidden = [], 0

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style", "title"):
            self.hidden += 1
        if tag in BLOCKS:
            self.parts.append("\n")

    def handle_endtag(self, tag):
        if tag in ("script", "style", "title"):
            self.hidden -= 1

    def handle_data(self, data):
        if not self.hidden:
            self.parts.append(data)


def visible(text):
    parser = Visible()
    parser.feed(text)
    parser.close()
    return "".join(parser.parts)


def fold(text):
    return re.sub(r"[ \t\r\n\f\v]+", " ", text.casefold())


def fields(raw):
    message = email.message_from_bytes(raw, policy=email.policy.default)
    if not message.keys():
        return {"subject": "", "people": "", "text": raw.decode("utf-8", "replace"),
                "attachments": ""}
    out = {"subject": str(message["Subject"] or ""), "text": "", "attachments": ""}
    out["people"] = "\n".join(str(message[name]) for name in ("From", "To", "Cc", "Reply-To")
                              if message[name] is not None)
    for part in message.walk():
        if part.is_multipart():
            continue
        kind = part.get_content_type()
        if kind in ("text/plain", "text/html") and part.get_content_disposition() != "attachment":
            text = part.get_content()
            out["text"] += "\n" + (visible(text) if kind == "text/html" else text)
        elif part.get_filename():
            out["attachments"] += "\n" + part.get_filename()
    return {name: fold(value) for name, value in out.items()}


def find(manifest, query, chosen, after, before):
    terms = [fold(a or b).strip(" ") for a, b in re.findall(r'"([^"]*)"?|([^\s"]+)', query)]
    terms = [term for term in terms if term]
    chosen = chosen.split(",")
    for line in open(manifest, encoding="utf-8"):
        folder, row, received, path = line.rstrip("\n").split("\t")
        if (after and received < after) or (before and received >= before):
            continue
        found = fields(open(path, "rb").read())
        if all(any(term in found[name] for name in chosen) for term in terms):
            print(folder, row)


def main(manifest, *searches):
    for at in range(0, len(searches), 4):
        find(manifest, *searches[at:at + 4])
        print("--")


if __name__ == "__main__":
    main(*sys.argv[1:])
