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
import pathlib
import sys

# The helpers shared with the other host runs are in tests/support.
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "support"))
import host_launch  # noqa: E402

SUBJECT = "Sent by a Microsoft-layout host"
SENDER = "Microsoft-layout host <msvc-host@example.test>"


def main():
    wine, host, check, *send = sys.argv[1:]
    before = host_launch.envelopes()
    command = [wine, host, check]
    if send:
        listener, recipient = send
        command.append(str(host_launch.listener_port(listener)))
    status = host_launch.run_host(command, host)
    if status != 0:
        print(f"{check}: the host ended with {status}")
        return 1
    if not send:
        return 0
    envelope = host_launch.wait_for_envelope(before, lambda sent: recipient in sent["rcpt_tos"])
    if envelope is None:
        print(f"{check}: no mail to {recipient} arrived")
        return 1
    raw = (host_launch.MAIL_FOLDER / envelope["raw"]).read_bytes()
    mail = email.message_from_bytes(raw, policy=email.policy.default)
    expected = {"From": SENDER, "To": f"Récipient <{recipient}>", "Subject": SUBJECT}
    received = {name: str(mail[name]) for name in expected}
    if received != expected:
        print(f"{check}: received headers {received}, expected {expected}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
