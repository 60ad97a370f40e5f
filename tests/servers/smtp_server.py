"""The test SMTP servers: one process, one aiosmtpd listener per behaviour,
each on a free port of 127.0.0.1.

    /usr/bin/python3 smtp_server.py STATE [--owner-pid PID] [--lifetime S]

Writes STATE/smtp_server.pid at once and STATE/ports.json ({listener: port})
when every listener accepts connections. Received mail goes to STATE/mail/
(see mail_store.py), certificates to STATE/certs/ (see certs.py); the
users and the token that AUTH accepts are in smtp_auth.py.
"""

import argparse
import asyncio
import logging
import pathlib
import ssl
import sys

from aiosmtpd.smtp import SMTP

from certs import make_certificates
from daemon_life import add_daemon_arguments, run_until_stopped
from mail_store import MailStore
from smtp_auth import authenticate
from garbage_tls_listener import start_garbage_tls_server
from smtp_handlers import DropInData, DropInLargeData, MailHandler
from stall_listeners import start_stall_server
from state_files import write_json_atomically, write_pid_file

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
    "reject_mail_4xx": {"fault": ("MAIL", "451 4.3.0 Sender refused for the test")},
    "reject_mail_5xx": {"fault": ("MAIL", "550 5.7.1 Sender refused for the test")},
    "reject_rcpt_4xx": {"fault": ("RCPT", "451 4.3.0 Recipient refused for the test")},
    "reject_rcpt_5xx": {"fault": ("RCPT", "550 5.1.1 Recipient refused for the test")},
    "reject_data_4xx": {"fault": ("DATA", "451 4.3.0 Message refused for the test")},
    "reject_data_5xx": {"fault": ("DATA", "554 5.6.0 Message refused for the test")},
    "drop_in_data": {"protocol": DropInData},
    "drop_in_large_data": {"protocol": DropInLargeData},
}
STALL_LISTENERS = {"stall_greeting": "greeting", "stall_after_greeting": "after_greeting"}


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
    servers = {}
    for name, behaviour in LISTENERS.items():
        factory = _protocol_factory(name, behaviour, store, contexts)
        servers[name] = await loop.create_server(factory, "127.0.0.1", 0)
    for name, kind in STALL_LISTENERS.items():
        servers[name] = await start_stall_server(kind)
    servers["starttls_garbage"] = await start_garbage_tls_server()
    return servers


async def serve(state, owner_pid, lifetime_s):
    servers = await _start_listeners(state)
    ports = {name: server.sockets[0].getsockname()[1] for name, server in servers.items()}
    write_json_atomically(state / "ports.json", ports)
    await run_until_stopped(owner_pid, lifetime_s)
    (state / "ports.json").unlink(missing_ok=True)
    for server in servers.values():
        server.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    add_daemon_arguments(parser)
    arguments = parser.parse_args()
    state = pathlib.Path(arguments.state)
    state.mkdir(parents=True, exist_ok=True)
    write_pid_file(state / "smtp_server.pid")
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    # aiosmtpd warns about its own deprecated attribute on every AUTH.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    asyncio.run(serve(state, arguments.owner_pid, arguments.lifetime))
    (state / "smtp_server.pid").unlink(missing_ok=True)


if __name__ == "__main__":
    main()
