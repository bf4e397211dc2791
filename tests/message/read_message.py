#!/usr/bin/env python3
"""Reads each message file given with Python's own email package and prints what a reader
shows of it as one JSON object per line: Subject, From, the body (plain text preferred) and
the attachments' names and sizes. A NUL shows as U+FFFD, the uuencoded files of a plain body
("begin 644 name" ... "end") are taken out of the text, decoded by binascii and listed after
the message's own attachments, as a careful reader shows them."""

import binascii
import email
import email.policy
import json
import re
import sys

UU_BLOCK = re.compile(r"^begin [0-7]{3,4} (.+?)[ \t]*\r?\n(.*?)^end[ \t]*\r?\n", re.M | re.S)


def shown(text):
    return None if text is None else str(text).replace("\0", "\ufffd").replace("\r\n", "\n")


def uudecode(lines):
    data = b""
    for line in lines.splitlines():
        if line.strip() in ("", "`"):
            continue
        data += binascii.a2b_uu(line.encode("latin-1"))
    return data


def read(path):
    with open(path, "rb") as f:
        message = email.message_from_bytes(f.read(), policy=email.policy.default)
    body_part = message.get_body(preferencelist=("plain", "html"))
    body = body_part.get_content() if body_part is not None else ""
    attachments = []
    for part in message.walk():
        if part.is_multipart() or part is body_part:
            continue
        data = part.get_payload(decode=True)
        attachments.append({"Name": shown(part.get_filename() or ""), "Size": len(data or b"")})
    if body_part is not None and body_part.get_content_subtype() == "plain":
        for block in UU_BLOCK.finditer(body):
            attachments.append({"Name": block.group(1), "Size": len(uudecode(block.group(2)))})
        body = UU_BLOCK.sub("", body)
    return {"Subject": shown(message["Subject"] or ""), "From": shown(message["From"] or ""),
            "Body": shown(body), "Attachments": attachments}


for path in sys.argv[1:]:
    print(json.dumps(read(path)))
