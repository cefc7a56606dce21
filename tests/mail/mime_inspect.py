#!/usr/bin/python3
"""Parses one received message with Python's email package (policy "default", the strict
modern parser) and prints what a mail reader would see as JSON: decoded headers, the parsed
Date with its offset, parser defects, and every leaf part with its decoded text or, for
attachments, the path of a file holding its decoded bytes (written into OUTDIR)."""
import email
import email.policy
import email.utils
import json
import os
import sys

path, outdir = sys.argv[1], sys.argv[2]
with open(path, "rb") as f:
    message = email.message_from_bytes(f.read(), policy=email.policy.default)


def addresses(name):
    header = message[name]
    if header is None:
        return None
    return [[a.display_name, a.addr_spec] for a in header.addresses]


date = message["Date"]
parsed = email.utils.parsedate_to_datetime(str(date)) if date else None
result = {
    "from": addresses("From"),
    "to": addresses("To"),
    "cc": addresses("Cc"),
    "bcc": message["Bcc"],
    "reply_to": addresses("Reply-To"),
    "subject": str(message["Subject"]),
    "x_mailer": str(message["X-Mailer"]),
    "date": str(date),
    "date_utc_offset_minutes": int(parsed.utcoffset().total_seconds() // 60) if parsed else None,
    "date_epoch": parsed.timestamp() if parsed else None,
    "content_type": message.get_content_type(),
    "defects": [type(d).__name__ for part in message.walk() for d in part.defects],
    "parts": [],
}
for index, part in enumerate(message.walk()):
    if part.is_multipart():
        continue
    entry = {"content_type": part.get_content_type(), "filename": part.get_filename(),
             "charset": part.get_content_charset()}
    if part.get_filename():
        target = os.path.join(outdir, "attachment-%d" % index)
        with open(target, "wb") as f:
            f.write(part.get_payload(decode=True))
        entry["file"] = target
    else:
        entry["text"] = part.get_content()
    result["parts"].append(entry)
print(json.dumps(result))
