"""The peer: mails one file as a MIME attachment with Python's smtplib."""
import smtplib
import sys
from email.message import EmailMessage

path, port = sys.argv[1], int(sys.argv[2])
message = EmailMessage()
message["From"] = "me@sender.test"
message["To"] = "you@there.test"
message["Subject"] = "Screen shot"
message.set_content("Here is the screen shot.")
with open(path, "rb") as f:
    message.add_attachment(f.read(), maintype="image", subtype="jpeg", filename="shot.jpg")
with smtplib.SMTP("127.0.0.1", port) as server:
    server.send_message(message)
