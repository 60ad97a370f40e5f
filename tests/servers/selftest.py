"""What the client tests cannot see for themselves: libcurl gives the same
code for a refused MAIL or RCPT, transient or permanent, and the client test
of drop_in_data also accepts a refused message; and describe_mail.py must
mark what it decodes leniently, or a fault in the mail would pass unseen.

    /usr/bin/python3 selftest.py STATE
"""

import json
import pathlib
import smtplib
import sys
import unittest

from describe_mail import describe

STATE = pathlib.Path()
SENDER = "selftest@example.test"
MESSAGE = b"Subject: selftest\r\n\r\nbody\r\n"


def connect(listener):
    ports = json.loads((STATE / "ports.json").read_text())
    client = smtplib.SMTP("127.0.0.1", ports[listener], timeout=5)
    client.ehlo("selftest")
    return client


class FaultListeners(unittest.TestCase):
    def test_each_rejection_answers_its_own_command_with_its_code(self):
        steps = [lambda c: c.mail(SENDER), lambda c: c.rcpt("faults@example.test"),
                 lambda c: c.data(MESSAGE)]
        codes = {"mail": (451, 550), "rcpt": (451, 550), "data": (451, 554)}
        for index, (command, kinds) in enumerate(codes.items()):
            for kind, code in zip(("4xx", "5xx"), kinds):
                with self.subTest(f"{command} {kind}"), connect(f"reject_{command}_{kind}") as client:
                    replies = [step(client)[0] for step in steps[:index + 1]]
                    self.assertEqual([250] * index + [code], replies)

    def test_drop_in_data_hangs_up_instead_of_replying(self):
        with connect("drop_in_data") as client:
            with self.assertRaises(smtplib.SMTPServerDisconnected):
                client.sendmail(SENDER, ["dropped@example.test"], MESSAGE)


class Outline(unittest.TestCase):
    def test_raw_8_bit_and_undecodable_words_stay_visible(self):
        raw = ("Subject: =?utf-8?q?J=C3=B6rg?=  =?utf-8?B?IQ==?= and =?x-none?q?a?= Grüße\r\n"
               "X-Folded: one\r\n\ttwo\r\n\r\nbody\r\n").encode()
        self.assertEqual("headers:\n"
                         "  Subject (8-bit): Jörg! and =?x-none?q?a?= Grüße\n"
                         "  X-Folded: one\ttwo\n"
                         "body:\n"
                         "  text/plain\n"
                         "    text: \"body\\r\\n\"\n", describe(raw))


if __name__ == "__main__":
    STATE = pathlib.Path(sys.argv.pop(1))
    unittest.main(verbosity=2)
