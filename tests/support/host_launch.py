"""What the scripts share that run a host program against the test servers:
the test servers' state folder (SMTPCLIENT_TEST_STATE) with the listeners'
ports and the mail received, and the host's run, with Wine in front of a
Windows host.
"""

import json
import os
import pathlib
import subprocess
import time

STATE = pathlib.Path(os.environ.get("SMTPCLIENT_TEST_STATE", "state"))
MAIL_FOLDER = STATE / "mail"


def listener_port(listener):
    ports = json.loads((STATE / "ports.json").read_text(encoding="utf-8"))
    return ports[listener]


def envelopes():
    """Envelopes of the received mail; a name with a leading dot is still being written."""
    return {path for path in MAIL_FOLDER.glob("*.json") if not path.name.startswith(".")}


def wait_for_envelope(before, wanted):
    """The first envelope not in before for which wanted is true, within 10 s, or None."""
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for path in sorted(envelopes() - before):
            envelope = json.loads(path.read_text(encoding="utf-8"))
            if wanted(envelope):
                return envelope
        time.sleep(0.05)
    return None


def run_host(command, program):
    """The exit code of command, run in the folder of program, where a
    Windows host finds its DLL under Wine."""
    return subprocess.run(command, cwd=pathlib.Path(program).parent, timeout=60).returncode
