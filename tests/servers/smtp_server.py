"""The test SMTP servers: one process, one listener per behaviour, each on a
free port of 127.0.0.1; aiosmtpd ones below, the rest in fault_listeners.py.

    /usr/bin/python3 smtp_server.py STATE [--owner-pid PID] [--lifetime S]

Writes STATE/smtp_server.pid at once and STATE/ports.json ({listener: port})
when every listener accepts connections. Received mail goes to STATE/mail/
(see mail_store.py), certificates to STATE/certs/ (see certs.py); the
users and the token that AUTH accepts are in smtp_auth.py.
"""

import asyncio
import contextlib
import logging
import ssl
import sys

from aiosmtpd.smtp import SMTP

from certs import make_certificates
from daemon_life import run_daemon
from fault_listeners import start_fault_listeners
from mail_store import MailStore
from smtp_auth import authenticate
from smtp_handlers import DropInData, DropInLargeData, MailHandler

IDLE_TIMEOUT_S = 60
DATA_SIZE_LIMIT = 256 * 1024 * 1024

AUTH = {"authenticator": authenticate}
STARTTLS_AUTH = {"tls": "self_signed", **AUTH}

# Listener name -> how it behaves: "tls" names the certificate it offers with
# STARTTLS, "fault" the command it refuses and the reply, "protocol" a
# replacement for the SMTP protocol class; the rest are aiosmtpd options.
LISTENERS = {
    "plain": {},
    "starttls": STARTTLS_AUTH,
    "starttls_required": {**STARTTLS_AUTH, "require_starttls": True},
    "tls_ca": {**STARTTLS_AUTH, "tls": "ca_issued", "require_starttls": True},
    "auth_plain_no_tls": {**AUTH, "auth_require_tls": False, "auth_required": True,
                          "auth_exclude_mechanism": ["XOAUTH2"]},
    "auth_login_only": {**AUTH, "auth_require_tls": False, "auth_required": True,
                        "auth_exclude_mechanism": ["XOAUTH2", "PLAIN"]},
    "reject_mail_4xx": {"fault": ("MAIL", "451 4.3.0 Sender refused for the test")},
    "reject_mail_5xx": {"fault": ("MAIL", "550 5.7.1 Sender refused for the test")},
    "reject_rcpt_4xx": {"fault": ("RCPT", "451 4.3.0 Recipient refused for the test")},
    "reject_rcpt_5xx": {"fault": ("RCPT", "550 5.1.1 Recipient refused for the test")},
    "reject_data_4xx": {"fault": ("DATA", "451 4.3.0 Message refused for the test")},
    "reject_data_5xx": {"fault": ("DATA", "554 5.6.0 Message refused for the test")},
    "drop_in_data": {"protocol": DropInData},
    "drop_in_large_data": {"protocol": DropInLargeData},
}


def _tls_context(cert, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(str(cert), str(key))
    return context


def _protocol_factory(name, behaviour, store, contexts):
    options = dict(behaviour)
    protocol = options.pop("protocol", SMTP)
    handler = MailHandler(name, store, options.pop("fault", None))
    tls = options.pop("tls", None)
    if tls:
        options["tls_context"] = contexts[tls]
    return lambda: protocol(handler, hostname="localhost", enable_SMTPUTF8=True,
                            data_size_limit=DATA_SIZE_LIMIT, timeout=IDLE_TIMEOUT_S,
                            **options)


async def _start_listeners(state):
    certificates = make_certificates(state / "certs")
    contexts = {name: _tls_context(*certificates[name]) for name in ("self_signed", "ca_issued")}
    store = MailStore(state / "mail")
    loop = asyncio.get_running_loop()
    servers = {name: await loop.create_server(_protocol_factory(name, behaviour, store, contexts),
                                              "127.0.0.1", 0)
               for name, behaviour in LISTENERS.items()}
    return servers | await start_fault_listeners()


@contextlib.asynccontextmanager
async def listeners(state):
    servers = await _start_listeners(state)
    try:
        yield {name: server.sockets[0].getsockname()[1] for name, server in servers.items()}
    finally:
        for server in servers.values():
            server.close()


def main():
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    # aiosmtpd warns about its own deprecated attribute on every AUTH.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    run_daemon(__doc__.splitlines()[0], "smtp_server.pid", "ports.json", listeners)


if __name__ == "__main__":
    main()
