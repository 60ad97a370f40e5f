"""Runs an example host against a test listener and waits for its mail.

    run_example.py LISTENER RECIPIENT COMMAND...

COMMAND (an example program, with Wine in front of it for a Windows one, so
the program comes last) is given SERVER PORT FROM TO plain: 127.0.0.1, the port of LISTENER read from the
test servers' state folder (SMTPCLIENT_TEST_STATE), a sender and RECIPIENT. It
has to end with exit code 0, and a new mail to RECIPIENT has to arrive within
10 s.
"""

import pathlib
import sys

import host_launch

SENDER = "example-host@example.test"


def main():
    listener, recipient, *command = sys.argv[1:]
    before = host_launch.envelopes()
    program = pathlib.Path(command[-1])
    command += ["127.0.0.1", str(host_launch.listener_port(listener)), SENDER, recipient, "plain"]
    status = host_launch.run_host(command, program)
    if status != 0:
        print(f"{program.name} ended with {status}")
        return 1
    envelope = host_launch.wait_for_envelope(
        before, lambda sent: sent["mail_from"] == SENDER and recipient in sent["rcpt_tos"])
    if envelope is None:
        print(f"no mail from {SENDER} to {recipient} arrived")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
