"""What the SMTP listeners do with each command: store the mail, or answer
one chosen command with a chosen failure."""

import asyncio

from aiosmtpd.smtp import SMTP

from smtp_auth import OAuthMechanism


class MailHandler(OAuthMechanism):
    """Accepts everything and stores each message under the listener's name.
    With a fault ("MAIL", "RCPT" or "DATA", reply) that command gets the reply
    instead."""

    def __init__(self, listener, store, fault=None):
        self.listener = listener
        self.store = store
        self.fault_command, self.fault_reply = fault or (None, None)

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if self.fault_command == "MAIL":
            return self.fault_reply
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.fault_command == "RCPT":
            return self.fault_reply
        envelope.rcpt_tos.append(address)
        envelope.rcpt_options.extend(rcpt_options)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.fault_command == "DATA":
            return self.fault_reply
        self.store.store(self.listener, session, envelope)
        return "250 Message accepted for delivery"


class DropInData(SMTP):
    """Closes the connection in the middle of the message: once its first
    line has arrived, or with drop_after_bytes once that many bytes have."""

    drop_after_bytes = None

    async def smtp_DATA(self, arg):
        if not self.session.host_name or not self.envelope.rcpt_tos:
            return await super().smtp_DATA(arg)
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        try:
            if self.drop_after_bytes:
                await self._reader.readexactly(self.drop_after_bytes)
            else:
                await self._reader.readuntil(b"\r\n")
        except (asyncio.IncompleteReadError, asyncio.LimitOverrunError):
            pass
        self.transport.close()


class DropInLargeData(DropInData):
    """Drops in the middle of a large attachment."""

    drop_after_bytes = 256 * 1024
