"""Runs an example host against a test listener and waits for its mail.

    run_example.py LISTENER RECIPIENT COMMAND...

COMMAND (an example program, with Wine in front of it for a Windows one, so
the program comes last) is given SERVER PORT FROM TO plain: 127.0.0.1, the port of LISTENER read from the
test servers' state folder (SMTPCLIENT_TEST_STATE), a sender and RECIPIENT. It
has to end with exit code 0, and a new mail to RECIPIENT has to arrive within
10 s.
"""

import json
import os
import pathlib
import subprocess
import sys
import time

SENDER = "example-host@example.test"


def envelopes(folder):
    """Envelopes of the received mail; a name with a leading dot is still being written."""
    return {path for path in folder.glob("*.json") if not path.name.startswith(".")}


def mail_arrived(folder, before, recipient):
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for path in envelopes(folder) - before:
            envelope = json.loads(path.read_text(encoding="utf-8"))
            if envelope["mail_from"] == SENDER and recipient in envelope["rcpt_tos"]:
                return True
        time.sleep(0.05)
    return False


def main():
    listener, recipient, *command = sys.argv[1:]
    state = pathlib.Path(os.environ.get("SMTPCLIENT_TEST_STATE", "state"))
    ports = json.loads((state / "ports.json").read_text(encoding="utf-8"))
    mail_folder = state / "mail"
    before = envelopes(mail_folder)
    program = pathlib.Path(command[-1])
    command += ["127.0.0.1", str(ports[listener]), SENDER, recipient, "plain"]
    status = subprocess.run(command, cwd=program.parent, timeout=60).returncode
    if status != 0:
        print(f"{program.name} ended with {status}")
        return 1
    if not mail_arrived(mail_folder, before, recipient):
        print(f"no mail from {SENDER} to {recipient} arrived")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
