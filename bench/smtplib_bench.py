#!/usr/bin/python3
"""The send benchmarks written with Python's smtplib, for comparison.

    smtplib_bench.py small-new PORT COUNT     a new connection per message
    smtplib_bench.py small-reuse PORT COUNT   one connection for all messages
    smtplib_bench.py large PORT FILE          one message with FILE attached

Prints one JSON object: the seconds taken and the process's peak resident
memory in kilobytes.
"""
import json
import os
import resource
import smtplib
import sys
import time
from email.message import EmailMessage

SENDER = "sender@bench.test"
RECIPIENT = "rcpt@bench.test"
TEXT = "Hello,\r\n\r\nthis is one of many small messages of the send benchmark.\r\n"


def small_message():
    message = EmailMessage()
    message["From"] = "Bench Sender <%s>" % SENDER
    message["To"] = RECIPIENT
    message["Subject"] = "Small benchmark message"
    message.set_content(TEXT)
    return message


def send_new_connections(port, count):
    for _ in range(count):
        with smtplib.SMTP("127.0.0.1", port) as smtp:
            smtp.send_message(small_message())


def send_one_connection(port, count):
    with smtplib.SMTP("127.0.0.1", port) as smtp:
        for _ in range(count):
            smtp.send_message(small_message())


def send_large(port, path):
    message = small_message()
    with open(path, "rb") as attachment:
        message.add_attachment(attachment.read(), maintype="application",
                               subtype="octet-stream", filename=os.path.basename(path))
    with smtplib.SMTP("127.0.0.1", port) as smtp:
        smtp.send_message(message)


def main():
    mode, port = sys.argv[1], int(sys.argv[2])
    start = time.perf_counter()
    if mode == "small-new":
        send_new_connections(port, int(sys.argv[3]))
    elif mode == "small-reuse":
        send_one_connection(port, int(sys.argv[3]))
    elif mode == "large":
        send_large(port, sys.argv[3])
    else:
        sys.exit("unknown mode " + mode)
    seconds = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    print(json.dumps({"bench": "smtplib-" + mode, "seconds": seconds, "peak_rss_kb": peak}))


if __name__ == "__main__":
    main()
