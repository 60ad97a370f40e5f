"""Runs one check of the Microsoft-layout host under Wine; for a send, then
waits for its mail at the test server.

    run_msvc_layout_host.py WINE HOST CHECK [LISTENER RECIPIENT]

The host is given the port of LISTENER, read from the test servers' state
folder (SMTPCLIENT_TEST_STATE), and has to end with exit code 0. For a send a
new mail to RECIPIENT then has to arrive within 10 s, its sender, recipient
and subject as the host set them.
"""

import email
import email.policy
import json
import os
import pathlib
import subprocess
import sys
import time

SUBJECT = "Sent by a Microsoft-layout host"
SENDER = "Microsoft-layout host <msvc-host@example.test>"


def envelopes(folder):
    """Envelopes of the received mail; a name with a leading dot is still being written."""
    return {path for path in folder.glob("*.json") if not path.name.startswith(".")}


def wait_for_mail(folder, before, recipient):
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for path in sorted(envelopes(folder) - before):
            envelope = json.loads(path.read_text(encoding="utf-8"))
            if recipient in envelope["rcpt_tos"]:
                raw = (folder / envelope["raw"]).read_bytes()
                return email.message_from_bytes(raw, policy=email.policy.default)
        time.sleep(0.05)
    return None


def main():
    wine, host, check, *send = sys.argv[1:]
    state = pathlib.Path(os.environ.get("SMTPCLIENT_TEST_STATE", "state"))
    mail_folder = state / "mail"
    before = envelopes(mail_folder)
    command = [wine, host, check]
    if send:
        listener, recipient = send
        ports = json.loads((state / "ports.json").read_text(encoding="utf-8"))
        command.append(str(ports[listener]))
    status = subprocess.run(command, cwd=pathlib.Path(host).parent, timeout=60).returncode
    if status != 0:
        print(f"{check}: the host ended with {status}")
        return 1
    if not send:
        return 0
    mail = wait_for_mail(mail_folder, before, recipient)
    if mail is None:
        print(f"{check}: no mail to {recipient} arrived")
        return 1
    expected = {"From": SENDER, "To": f"Récipient <{recipient}>", "Subject": SUBJECT}
    received = {name: str(mail[name]) for name in expected}
    if received != expected:
        print(f"{check}: received headers {received}, expected {expected}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
