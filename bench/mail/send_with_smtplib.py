"""The peer: mails a file as a MIME attachment with Python's smtplib, once for
every line "<file> <port>" (fields separated by tabs) read from stdin. It stays
up for all rounds, so that its interpreter's start and imports are not part of
a figure (as the program, already running, has no start in its figure either).
For each mail it prints the moment it began (CLOCK_MONOTONIC_RAW, ms): reading
the file, building the message, connecting and sending all count. A line that
goes on with "<authority's certificate> <user> <password>" sends after
starttls(), checking the server's certificate against that authority, and
login()."""
import smtplib
import ssl
import sys
import time
from email.message import EmailMessage

for line in sys.stdin:
    path, port, *login = line.rstrip("\n").split("\t")
    began = time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000
    message = EmailMessage()
    message["From"] = "me@sender.test"
    message["To"] = "you@there.test"
    message["Subject"] = "Screen shot"
    message.set_content("Here is the screen shot.")
    with open(path, "rb") as f:
        message.add_attachment(f.read(), maintype="image", subtype="jpeg", filename="shot.jpg")
    with smtplib.SMTP("127.0.0.1", int(port)) as server:
        if login:
            authority, user, password = login
            server.starttls(context=ssl.create_default_context(cafile=authority))
            server.login(user, password)
        server.send_message(message)
    print(f"{began:.3f}", flush=True)
