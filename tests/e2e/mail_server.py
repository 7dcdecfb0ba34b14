"""A real SMTP server for the mail tests: Python's aiosmtpd on 127.0.0.1 on a
free port, keeping every mail it receives. Addresses that start with "nobody"
are refused, as a server refuses an unknown recipient."""
import asyncio
import email
import email.policy
import socket
import threading
import time

from aiosmtpd.controller import Controller


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Keeper:
    def __init__(self):
        self.mails = []
        self.delay = 0.0
        self.lock = threading.Lock()
        self.stored_at = []  # CLOCK_MONOTONIC_RAW in ms, Wine's performance counter's clock

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().startswith("nobody"):
            return "550 5.1.1 <%s>: Recipient address rejected: no such user" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        # A slow server, so that the progress window can be seen during a send;
        # setting the delay to 0 lets the mail through at once.
        waited = 0.0
        while waited < self.delay:
            await asyncio.sleep(0.1)
            waited += 0.1
        with self.lock:
            self.mails.append((envelope.mail_from, list(envelope.rcpt_tos), envelope.content))
            self.stored_at.append(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000)
        return "250 2.0.0 Ok: queued"


class MailServer:
    def __init__(self):
        self.keeper = Keeper()
        self.port = free_port()
        self.controller = Controller(self.keeper, hostname="127.0.0.1", port=self.port)
        self.controller.start()

    def stop(self):
        self.controller.stop()

    def count(self):
        with self.keeper.lock:
            return len(self.keeper.mails)

    def stored_at(self, index):
        """When mail `index` was stored, on the clock of Wine's performance counter (ms)."""
        with self.keeper.lock:
            return self.keeper.stored_at[index]

    def message(self, index):
        """The mail as Python's email parser reads it, with its envelope."""
        with self.keeper.lock:
            sender, recipients, content = self.keeper.mails[index]
        return sender, recipients, email.message_from_bytes(content, policy=email.policy.default)
