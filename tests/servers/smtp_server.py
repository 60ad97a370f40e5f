"""The test SMTP listeners, one per behaviour, each on a free port of 127.0.0.1.

Received mail goes to STATE/mail/: N.eml holds the raw bytes after DATA,
N.json (written last) the envelope and how the message came (TLS, login, the
proxy it came through). Certificates go to STATE/certs/; ca.pem is the test
authority that issued the certificate of "tls_ca".
"""

import asyncio
import base64
import binascii
import contextlib
import logging
import ssl
import subprocess

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword, auth_mechanism

from fixture import write_json
from socks_proxies import OUTGOING_ADDRESSES

USERS = {b"alice": b"secret", b"carol": b"secret2", "björn".encode(): "pässword".encode()}
OAUTH_RESPONSE = b"user=alice\x01auth=Bearer test-oauth-token\x01\x01"
ACCEPTED = "250 Message accepted for delivery"


def _certificate(folder, name, *options):
    """Makes folder/name.pem and .key; returns a server context for them."""
    cert, key = str(folder / f"{name}.pem"), str(folder / f"{name}.key")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-days", "3", *options,
                    "-keyout", key, "-out", cert],
                   check=True, timeout=30, capture_output=True)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def _tls_contexts(folder):
    """A self-signed certificate, and one issued by the test authority ca.pem."""
    folder.mkdir(parents=True, exist_ok=True)
    _certificate(folder, "ca", "-subj", "/CN=SMTPClient Test CA",
                 "-addext", "basicConstraints=critical,CA:TRUE",
                 "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    server = ["-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1"]
    issued = ["-addext", "basicConstraints=CA:FALSE", "-addext", "extendedKeyUsage=serverAuth",
              "-CA", str(folder / "ca.pem"), "-CAkey", str(folder / "ca.key")]
    return {"self_signed": _certificate(folder, "self_signed", *server),
            "ca_issued": _certificate(folder, "server", *server, *issued)}


def authenticate(server, session, envelope, mechanism, auth_data):
    valid = isinstance(auth_data, LoginPassword) and \
        USERS.get(auth_data.login) == auth_data.password
    return AuthResult(success=valid, handled=False, auth_data=auth_data)


class MailStore:
    def __init__(self, folder):
        self.folder = folder
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.iterdir():
            old.unlink()
        self.count = 0

    def store(self, listener, session, envelope):
        self.count += 1
        (self.folder / f"{self.count}.eml").write_bytes(envelope.original_content)
        login = getattr(session.auth_data, "login", None) or b""
        write_json(self.folder / f"{self.count}.json", {
            "listener": listener, "mail_from": envelope.mail_from,
            "mail_options": list(envelope.mail_options),
            "rcpt_tos": list(envelope.rcpt_tos), "raw": f"{self.count}.eml",
            "tls": session.ssl is not None, "auth_user": login.decode("utf-8", "surrogateescape"),
            "via": next((proxy for proxy, address in OUTGOING_ADDRESSES.items()
                         if address == session.peer[0]), ""),
            "connection": str(getattr(session, "connection", "")),
            "open_connections": str(getattr(session, "open_connections", "")),
        })


class Handler:
    """Accepts everything and stores the mail; with a fault ("MAIL", "RCPT" or
    "DATA", reply) that command gets the reply instead, "{address}" in it
    standing for the command's address; a fault of "RCPT unknown" only for
    addresses that begin with "unknown". accepted: the reply to the final
    dot. close_after: the MAIL FROM after that many mails on a connection
    gets 421 and the connection closes; drop_after_mail: the connection
    closes right after each mail was accepted."""

    def __init__(self, listener, store, fault=(None, None), accepted=ACCEPTED,
                 close_after=0, drop_after_mail=False):
        self.listener, self.store, self.fault, self.accepted = listener, store, fault, accepted
        self.close_after, self.drop_after_mail = close_after, drop_after_mail
        self.connections = {"made": 0, "open": 0}

    async def handle_MAIL(self, server, session, envelope, address, options):
        if self.fault[0] == "MAIL":
            return self.fault[1].format(address=address)
        if self.close_after and getattr(session, "mails", 0) >= self.close_after:
            asyncio.get_running_loop().call_soon(server.transport.close)
            return "421 4.7.0 Too many mails on one connection, closing"
        envelope.mail_from = address
        envelope.mail_options.extend(options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, options):
        if self.fault[0] == "RCPT" or (self.fault[0] == "RCPT unknown"
                                       and address.startswith("unknown")):
            return self.fault[1].format(address=address)
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.fault[0] == "DATA":
            return self.fault[1]
        session.open_connections = self.connections["open"]
        self.store.store(self.listener, session, envelope)
        session.mails = getattr(session, "mails", 0) + 1
        if self.drop_after_mail:
            asyncio.get_running_loop().call_soon(server.transport.close)
        return self.accepted

    @auth_mechanism("XOAUTH2")
    async def auth_xoauth2(self, server, args):
        try:
            response = base64.b64decode(args[1], validate=True) if len(args) > 1 \
                else await server.challenge_auth("")
        except binascii.Error:
            response = None
        if response != OAUTH_RESPONSE:
            return AuthResult(success=False, handled=False)
        return AuthResult(success=True, auth_data=LoginPassword(b"alice", b""))


class CountedSMTP(SMTP):
    """Numbers its connections and counts those open, so that the mail it
    stores says which connection carried it and how many were open."""

    def connection_made(self, transport):
        super().connection_made(transport)
        self.event_handler.connections["made"] += 1
        self.event_handler.connections["open"] += 1
        self.session.connection = self.event_handler.connections["made"]

    def connection_lost(self, error):
        self.event_handler.connections["open"] -= 1
        super().connection_lost(error)


class SilentQuit(CountedSMTP):
    """Never answers QUIT, and keeps the connection open."""

    async def smtp_QUIT(self, arg):
        await _until_closed(self._reader)


class DropInLargeData(SMTP):
    """Hangs up in the middle of a large message."""

    async def smtp_DATA(self, arg):
        if not self.session.host_name or not self.envelope.rcpt_tos:
            return await super().smtp_DATA(arg)
        await self.push("354 End data with <CR><LF>.<CR><LF>")
        with contextlib.suppress(asyncio.IncompleteReadError):
            await self._reader.readexactly(256 * 1024)
        self.transport.close()


class ImplicitTls(SMTP):
    """Speaks TLS from the first byte, which aiosmtpd knows only after STARTTLS."""

    def connection_made(self, transport):
        super().connection_made(transport)
        self.session.ssl = transport.get_extra_info("ssl_object")


async def _until_closed(reader):
    with contextlib.suppress(ConnectionError):
        while await reader.read(64 * 1024):
            pass


async def _greet_then_stall(reader, writer):
    writer.write(b"220 localhost ESMTP greets and then stalls\r\n")
    await _until_closed(reader)
    writer.close()


async def _starttls_garbage(reader, writer):
    """Agrees to STARTTLS, then answers the TLS hello with no TLS record."""
    writer.write(b"220 localhost ESMTP offers a broken STARTTLS\r\n")
    with contextlib.suppress(ConnectionError, asyncio.IncompleteReadError):
        while line := (await reader.readuntil(b"\r\n")).upper():
            if line.startswith(b"EHLO"):
                writer.write(b"250-localhost\r\n250 STARTTLS\r\n")
            elif line.startswith(b"STARTTLS"):
                writer.write(b"220 Ready to start TLS\r\n")
                await reader.read(4096)
                writer.write(b"this is not a TLS server hello\r\n" * 8)
                await writer.drain()
                await reader.read(4096)
                break
            else:
                writer.write(b"503 5.5.1 STARTTLS first\r\n")
    writer.close()


# Servers that stop moving in the middle of a transaction, for the client's
# time-outs: one stops reading the message data, one takes the whole message
# and never answers the final dot. Both keep the connection open until the
# client closes it.
END_OF_DATA = b"\r\n.\r\n"


async def _dialogue_until_data(reader, writer):
    """Answers the commands before the message data; False when the client left."""
    writer.write(b"220 localhost ESMTP stops moving in DATA\r\n")
    with contextlib.suppress(ConnectionError, asyncio.IncompleteReadError):
        while line := (await reader.readuntil(b"\r\n")).upper():
            if line.startswith(b"DATA"):
                writer.write(b"354 End data with <CR><LF>.<CR><LF>\r\n")
                return True
            writer.write(b"250-localhost\r\n250 8BITMIME\r\n" if line.startswith(b"EHLO")
                         else b"250 OK\r\n")
    return False


async def _stop_reading_in_data(reader, writer):
    if await _dialogue_until_data(reader, writer):
        with contextlib.suppress(ConnectionError, asyncio.IncompleteReadError):
            await reader.readexactly(64 * 1024)
        # Reads nothing more while the client still has data to send; gives
        # up the connection only long after any client bound under test.
        await asyncio.sleep(120)
    writer.close()


async def _silent_after_data(reader, writer):
    if await _dialogue_until_data(reader, writer):
        with contextlib.suppress(ConnectionError, asyncio.IncompleteReadError):
            await reader.readuntil(END_OF_DATA)
        await _until_closed(reader)
    writer.close()


AUTH = {"authenticator": authenticate}
IMPLICIT_TLS_PORT = 465
STARTTLS = {"tls": "self_signed", **AUTH}
NO_TLS_AUTH = {**AUTH, "auth_require_tls": False, "auth_required": True}

# Listener -> its aiosmtpd options (SMTPUTF8 offered unless they say not), plus: "tls" the certificate offered with
# STARTTLS, "fault" a refused command and its reply, "accepted" the reply to
# the final dot, "protocol" a replacement SMTP class, "implicit_tls" the
# certificate of a listener that speaks TLS from the first byte, "port" a
# fixed port. Plain coroutines are listeners written without aiosmtpd.
LISTENERS = {
    "plain": {},
    "starttls": STARTTLS,
    "starttls_required": {**STARTTLS, "require_starttls": True},
    "tls_ca": {**STARTTLS, "tls": "ca_issued", "require_starttls": True},
    "auth_plain_no_tls": {**NO_TLS_AUTH, "auth_exclude_mechanism": ["XOAUTH2"]},
    "auth_login_only": {**NO_TLS_AUTH, "auth_exclude_mechanism": ["XOAUTH2", "PLAIN"]},
    "drop_in_large_data": {"protocol": DropInLargeData},
    "stall_after_greeting": _greet_then_stall,
    "starttls_garbage": _starttls_garbage,
    # Replies worded as real servers word them, for what a failed send tells the host.
    "refuse_unknown_user": {"fault": ("RCPT", "550 5.1.1 <{address}>: Recipient address rejected: User unknown")},
    "refuse_data_policy": {"fault": ("DATA", "554-5.7.1 Message rejected by policy\r\n"
                                             "554 5.7.1 See the postmaster's page for details")},
    "refuse_over_size": {"fault": ("MAIL", "552 5.3.4 Message size exceeds fixed maximum message size")},
    "auth_plain_only": {**STARTTLS, "auth_exclude_mechanism": ["XOAUTH2", "LOGIN"]},
    "queue_id": {"accepted": "250 2.0.0 Ok: queued as 4B7C2F3A1D"},
    # TLS from the first byte, on the port that means it; left out when the
    # port cannot be bound (not root, or taken).
    "implicit_tls": {**AUTH, "auth_require_tls": False, "protocol": ImplicitTls,
                     "implicit_tls": "self_signed", "port": IMPLICIT_TLS_PORT},
    "stop_reading_in_data": _stop_reading_in_data,
    "silent_after_data": _silent_after_data,
    "no_smtputf8": {"enable_SMTPUTF8": False},
    # Kept connections and bulk sending: mail stored with its connection.
    "counted": {"protocol": CountedSMTP},
    # One test each, so that the connections open are that test's alone.
    "concurrency_library": {"protocol": CountedSMTP},
    "concurrency_smtpsend": {"protocol": CountedSMTP},
    "counted_auth": {**NO_TLS_AUTH, "auth_exclude_mechanism": ["XOAUTH2"], "protocol": CountedSMTP},
    "close_after_3": {"protocol": CountedSMTP, "close_after": 3},
    "silent_quit": {"protocol": SilentQuit},
    "drop_between_mails": {"protocol": CountedSMTP, "drop_after_mail": True},
    "refuse_unknown_rcpt": {"protocol": CountedSMTP, "fault": (
        "RCPT unknown", "550 5.1.1 <{address}>: Recipient address rejected: User unknown")},
}



def _smtp_factory(name, options, store, contexts):
    options = dict(options)
    options.pop("implicit_tls", None)
    options.pop("port", None)
    protocol = options.pop("protocol", SMTP)
    handler = Handler(name, store, options.pop("fault", (None, None)),
                      options.pop("accepted", ACCEPTED), options.pop("close_after", 0),
                      options.pop("drop_after_mail", False))
    if "tls" in options:
        options["tls_context"] = contexts[options.pop("tls")]
    options.setdefault("enable_SMTPUTF8", True)
    return lambda: protocol(handler, hostname="localhost", data_size_limit=256 * 1024 * 1024,
                            timeout=60, **options)


async def _serve(loop, factory, behaviour, contexts):
    """The listener's server, or None when its fixed port cannot be bound."""
    port = behaviour.get("port", 0)
    try:
        return await loop.create_server(factory, "127.0.0.1", port,
                                        ssl=contexts.get(behaviour.get("implicit_tls")))
    except OSError:
        if port == 0:
            raise
        return None


@contextlib.asynccontextmanager
async def listeners(state):
    # aiosmtpd warns about its own deprecated attribute on every AUTH.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    contexts, store = _tls_contexts(state / "certs"), MailStore(state / "mail")
    loop, servers = asyncio.get_running_loop(), {}
    for name, behaviour in LISTENERS.items():
        if callable(behaviour):
            servers[name] = await asyncio.start_server(behaviour, "127.0.0.1", 0)
        else:
            factory = _smtp_factory(name, behaviour, store, contexts)
            server = await _serve(loop, factory, behaviour, contexts)
            if server is not None:
                servers[name] = server
    try:
        yield {name: server.sockets[0].getsockname()[1] for name, server in servers.items()}
    finally:
        for server in servers.values():
            server.close()
