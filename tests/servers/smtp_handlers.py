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


DROP_AFTER_BYTES = 256 * 1024


class DropInData(SMTP):
    """Closes the connection once the first line of the message has arrived."""

    async def smtp_DATA(self, arg):
        if not self.session.host_name or not self.envelope.rcpt_tos:
            return await super().smtp_DATA(arg)
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        try:
            await self._reader.readuntil(b"\r\n")
        except (asyncio.IncompleteReadError, asyncio.LimitOverrunError):
            pass
        self.transport.close()


class DropInLargeData(SMTP):
    """Closes the connection once DROP_AFTER_BYTES of the message have
    arrived, in the middle of a large attachment."""

    async def smtp_DATA(self, arg):
        if not self.session.host_name or not self.envelope.rcpt_tos:
            return await super().smtp_DATA(arg)
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        try:
            await self._reader.readexactly(DROP_AFTER_BYTES)
        except asyncio.IncompleteReadError:
            pass
        self.transport.close()
