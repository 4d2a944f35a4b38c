"""A handler for "python3 -m aiosmtpd -c smtp_store.Store FOLDER": every accepted message is
stored in FOLDER as N.eml (written whole, then renamed) beside N.rcpt, its envelope
recipients one a line. A recipient whose address begins with "refuse" is answered 550."""

import os


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    @classmethod
    def from_cli(cls, parser, *args):
        return cls(*args)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refuse"):
            return "550 5.1.1 No such mailbox here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        with open(base + ".rcpt", "w") as f:
            f.write("\n".join(envelope.rcpt_tos) + "\n")
        with open(base + ".part", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".part", base + ".eml")
        return "250 Message accepted"
