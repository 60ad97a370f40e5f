#!/usr/bin/python3
"""Bulk sending over a slow link: every sender sends the same small mails
with STARTTLS and AUTH PLAIN to a local aiosmtpd, through a proxy of its
own that delays every byte 25 ms each way. Prints one table; also the
library's resident memory over 10,000 mails on one kept connection, sent
straight to the server.

    /usr/bin/python3 bulk_bench.py --build BUILD [--count 200] [--rounds 1]

Senders run in rotating order, --rounds times each, and each figure is the
mean rate of its rounds.
"""
import argparse
import asyncio
import json
import logging
import os
import smtplib
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult

HERE = os.path.dirname(os.path.abspath(__file__))
DELAY = 0.025


class Accepting:
    async def handle_DATA(self, server, session, envelope):
        return "250 OK"


def tls_context(folder):
    key, cert = os.path.join(folder, "key.pem"), os.path.join(folder, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "1", "-subj", "/CN=localhost"],
                   check=True, capture_output=True)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Server(Controller):
    def __init__(self, context):
        super().__init__(Accepting(), hostname="127.0.0.1", port=free_port())
        self.context = context

    def factory(self):
        return SMTP(self.handler, tls_context=self.context, require_starttls=True,
                    authenticator=lambda *args: AuthResult(success=True),
                    auth_exclude_mechanism=["LOGIN"], hostname="localhost")


class DelayingProxy:
    """Forwards each connection to the server, holding every chunk DELAY
    seconds in each direction, in order."""

    def __init__(self, target_port):
        self.target_port = target_port
        self.loop = asyncio.new_event_loop()
        self.ready = threading.Event()
        threading.Thread(target=self.run, daemon=True).start()
        self.ready.wait()

    def run(self):
        asyncio.set_event_loop(self.loop)
        self.server = self.loop.run_until_complete(
            asyncio.start_server(self.connect, "127.0.0.1", 0))
        self.port = self.server.sockets[0].getsockname()[1]
        self.ready.set()
        self.loop.run_forever()

    async def connect(self, client_reader, client_writer):
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1",
                                                                     self.target_port)
        await asyncio.gather(self.pipe(client_reader, server_writer),
                             self.pipe(server_reader, client_writer))

    async def pipe(self, reader, writer):
        queue = asyncio.Queue()

        async def deliver():
            while True:
                due, data = await queue.get()
                await asyncio.sleep(max(0.0, due - time.monotonic()))
                if data is None:
                    writer.close()
                    return
                writer.write(data)

        sender = asyncio.ensure_future(deliver())
        try:
            while data := await reader.read(65536):
                queue.put_nowait((time.monotonic() + DELAY, data))
        except ConnectionError:
            pass
        queue.put_nowait((time.monotonic() + DELAY, None))
        await sender


def smtplib_one_connection(port, count):
    start = time.perf_counter()
    failures = 0
    with smtplib.SMTP("127.0.0.1", port) as session:
        session.starttls(context=ssl._create_unverified_context())
        session.login("bench", "bench")
        message = ("From: Bench <sender@bench.test>\r\nTo: rcpt@bench.test\r\n"
                   "Subject: Bulk bench\r\n\r\nA small mail.\r\n")
        for _ in range(count):
            try:
                session.sendmail("sender@bench.test", ["rcpt@bench.test"], message)
            except smtplib.SMTPException:
                failures += 1
    return {"seconds": time.perf_counter() - start, "failures": failures}


def run_json(command):
    # Debian installs node modules where node does not look by default.
    env = dict(os.environ, NODE_PATH="/usr/share/nodejs")
    done = subprocess.run(command, capture_output=True, text=True, check=True, env=env)
    return json.loads(done.stdout.strip().splitlines()[-1])


def main():
    warnings.filterwarnings("ignore")
    # aiosmtpd warns about its own deprecated attribute on every AUTH.
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--count", type=int, default=200)
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--memory-count", type=int, default=10000)
    args = parser.parse_args()
    bulk = os.path.join(args.build, "bench", "smtpbench_bulk")
    with tempfile.TemporaryDirectory() as folder:
        server = Server(tls_context(folder))
        server.start()
        proxy = DelayingProxy(server.port)
        port, count = str(proxy.port), str(args.count)
        senders = {
            "library, kept connection, one client": lambda: run_json(
                [bulk, "kept", "--port", port, "--count", count]),
            "library, 4 async connections, one client": lambda: run_json(
                [bulk, "async4", "--port", port, "--count", count]),
            "libcurl, one reused connection": lambda: run_json(
                [bulk, "curl-reuse", "--port", port, "--count", count]),
            "nodemailer pool, 1 connection": lambda: run_json(
                ["node", os.path.join(HERE, "nodemailer_bench.js"), port, count, "1"]),
            "nodemailer pool, 4 connections": lambda: run_json(
                ["node", os.path.join(HERE, "nodemailer_bench.js"), port, count, "4"]),
            "smtplib, one connection": lambda: smtplib_one_connection(proxy.port, args.count),
        }
        seconds = {name: 0.0 for name in senders}
        failures = {name: 0 for name in senders}
        names = list(senders)
        for round_number in range(args.rounds):
            shift = round_number % len(names)
            for name in names[shift:] + names[:shift]:
                result = senders[name]()
                seconds[name] += result["seconds"]
                failures[name] += result["failures"]
        memory = run_json([bulk, "memory", "--port", str(server.port),
                           "--count", str(args.memory_count)])
        server.stop()
    rates = {name: args.count * args.rounds / seconds[name] for name in names}
    print("| sender (%d mails, 25 ms each way, STARTTLS + AUTH PLAIN) | mails/s | failures |"
          % args.count)
    print("|---|---|---|")
    for name in names:
        print("| %s | %.2f | %d |" % (name, rates[name], failures[name]))
    kept, curl = rates[names[0]], rates[names[2]]
    print()
    print("kept / libcurl reused: %.3f (goal >= 0.95)" % (kept / curl))
    print("kept / nodemailer 1: %.3f (goal >= 1)" % (kept / rates[names[3]]))
    print("4 async / nodemailer 4: %.3f (goal >= 1)" % (rates[names[1]] / rates[names[4]]))
    print("resident memory (kB) after each tenth of %d mails: %s (failures %d)"
          % (args.memory_count, memory["rss_kb"], memory["failures"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
