"""Parses a mail file with Python's email package and prints what a mail
reader finds, one "name=value" per line, for the native tests."""
import email
import email.policy
import hashlib
import sys

with open(sys.argv[1], "rb") as f:
    message = email.message_from_binary_file(f, policy=email.policy.default)
print("defects=%d" % len(message.defects))
for name in ("To", "From", "Reply-To", "Subject", "X-Mailer", "Message-ID", "Date"):
    print("%s=%s" % (name, message[name]))
print("date-parsed=%s" % (message["Date"].datetime is not None))
print("multipart=%s" % message.get_content_type())
body = message.get_body(preferencelist=("plain",))
print("body=%s" % body.get_content().rstrip("\n").replace("\n", "|"))
print("body-charset=%s" % body.get_content_charset())
for part in message.iter_attachments():
    data = part.get_payload(decode=True)
    print("attachment-type=%s" % part.get_content_type())
    print("attachment-disposition=%s" % part.get_content_disposition())
    print("attachment-filename=%s" % part.get_filename())
    print("attachment-md5=%s" % hashlib.md5(data).hexdigest())
    print("attachment-defects=%d" % len(part.defects))
