"""Received mail in <state>/mail/: N.eml holds the raw bytes as they came
after DATA (dot-stuffing removed), N.json the envelope and how the message
came (TLS, login, the proxy it came through). The JSON file is written last,
so a reader that finds it also finds the whole message."""

import pathlib

from proxy_addresses import proxy_of_client
from state_files import write_atomically, write_json_atomically


class MailStore:
    def __init__(self, folder):
        self.folder = pathlib.Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        for old in self.folder.iterdir():
            old.unlink()
        self.count = 0

    def store(self, listener, session, envelope):
        self.count += 1
        raw_name = f"{self.count}.eml"
        write_atomically(self.folder / raw_name, envelope.original_content)
        write_json_atomically(self.folder / f"{self.count}.json", {
            "listener": listener,
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "raw": raw_name,
            "tls": session.ssl is not None,
            "auth_user": _login(session.auth_data),
            "via": proxy_of_client(session.peer[0]),
        })


def _login(auth_data):
    login = getattr(auth_data, "login", None) or b""
    return login.decode("utf-8", errors="surrogateescape")
