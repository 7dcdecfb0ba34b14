"""The peer of the encrypted case: the same mail with Python's smtplib after
starttls() and login(), checking the server's certificate against the test
authority (argv: jpg, port, authority's certificate, user, password)."""
import smtplib
import ssl
import sys
from email.message import EmailMessage

path, port, authority, user, password = sys.argv[1], int(sys.argv[2]), *sys.argv[3:6]
message = EmailMessage()
message["From"] = "me@sender.test"
message["To"] = "you@there.test"
message["Subject"] = "Screen shot"
message.set_content("Here is the screen shot.")
with open(path, "rb") as f:
    message.add_attachment(f.read(), maintype="image", subtype="jpeg", filename="shot.jpg")
with smtplib.SMTP("127.0.0.1", port) as server:
    server.starttls(context=ssl.create_default_context(cafile=authority))
    server.login(user, password)
    server.send_message(message)
