#!/usr/bin/python3
"""Runs every benchmark against one smtp-sink and prints one table.

Called by run.sh, which fetches the sink and builds the programs. Compared
figures are taken in the same invocation, alternating, and reported as
ratios, because absolute times drift on shared machines.
"""
import argparse
import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
MB = 1024 * 1024


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def run_json(command, env=None):
    """Runs a benchmark program; returns its JSON lines as a list of dicts."""
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          env=env, check=True, text=True)
    return [json.loads(line) for line in done.stdout.splitlines() if line.startswith("{")]


def rotated(items, round_number):
    shift = round_number % len(items)
    return items[shift:] + items[:shift]


class Sink:
    """smtp-sink on 127.0.0.1, started and stopped by its process id."""

    def __init__(self, postfix_root):
        self.root = postfix_root
        self.env = dict(os.environ, LD_LIBRARY_PATH=os.path.join(postfix_root, "usr/lib/postfix"))
        self.port = free_port()
        command = [os.path.join(postfix_root, "usr/sbin/smtp-sink")]
        if os.geteuid() == 0:
            command += ["-u", "nobody"]
        command += ["127.0.0.1:%d" % self.port, "1024"]
        self.process = subprocess.Popen(command, env=self.env, stderr=subprocess.DEVNULL)
        self.wait_ready()

    def wait_ready(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                return
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("smtp-sink did not start")

    def smtp_source_seconds(self, count, length):
        command = [os.path.join(self.root, "usr/sbin/smtp-source"), "-s", "1", "-m", str(count),
                   "-l", str(length), "-f", "sender@bench.test", "-t", "rcpt@bench.test",
                   "127.0.0.1:%d" % self.port]
        start = time.perf_counter()
        subprocess.run(command, env=self.env, check=True, stdout=subprocess.DEVNULL)
        return time.perf_counter() - start

    def stop(self):
        os.kill(self.process.pid, signal.SIGTERM)
        self.process.wait()


class Bench:
    def __init__(self, args, sink):
        self.send = os.path.join(args.build, "bench", "smtpbench_send")
        self.compose = os.path.join(args.build, "bench", "smtpbench_compose")
        self.python = "/usr/bin/python3"
        self.smtplib = os.path.join(HERE, "smtplib_bench.py")
        self.sink = sink
        self.port = str(sink.port)
        self.work = args.work
        self.quick = args.quick
        self.rows = []

    def row(self, section, name, value, ratio="", note=""):
        self.rows.append((section, name, value, ratio, note))

    def small_messages(self):
        count = 400 if self.quick else 2000
        result = run_json([self.send, "small", "--port", self.port, "--count", str(count),
                           "--block", "20"])[0]
        rate = {side: count / result[side + "_seconds"]
                for side in ("library", "direct", "direct_four_trees")}

        def versus(side):
            return ("median of %d alternating rounds %.3f; CPU time ratio %.3f"
                    % (count // 20, result[side + "_median_round_ratio"],
                       result[side + "_cpu_seconds"] / result["library_cpu_seconds"]))

        section = "1. Small messages, %d sequential sends" % count
        self.row(section, "library Send", "%.0f msg/s" % rate["library"],
                 "%.3f" % (rate["library"] / rate["direct"]), "goal >= 0.95; " + versus("direct"))
        self.row(section, "direct libcurl loop", "%.0f msg/s" % rate["direct"], "1.000",
                 "same options and bytes, new connection per mail")
        self.row(section, "direct, four MIME trees", "%.0f msg/s" % rate["direct_four_trees"],
                 "%.3f" % (rate["direct_four_trees"] / rate["direct"]),
                 "with the two empty trees the library makes; library against it: %.3f, %s"
                 % (rate["library"] / rate["direct_four_trees"], versus("direct_four_trees")))
        self.small_peers(section, count)
        if result["failures"]:
            self.row(section, "FAILED sends", str(result["failures"]))

    def small_peers(self, section, count):
        rounds = 4
        batch = count // rounds
        peers = {"direct": 0.0, "smtplib-new": 0.0, "smtplib-reuse": 0.0, "smtp-source": 0.0}
        runners = {
            "direct": lambda: run_json([self.send, "direct", "--port", self.port,
                                        "--count", str(batch)])[0]["seconds"],
            "smtplib-new": lambda: run_json([self.python, self.smtplib, "small-new", self.port,
                                             str(batch)])[0]["seconds"],
            "smtplib-reuse": lambda: run_json([self.python, self.smtplib, "small-reuse",
                                               self.port, str(batch)])[0]["seconds"],
            "smtp-source": lambda: self.sink.smtp_source_seconds(batch, 700),
        }
        for round_number in range(rounds):
            for name in rotated(list(runners), round_number):
                peers[name] += runners[name]()
        direct = batch * rounds / peers["direct"]
        notes = {
            "smtplib-new": "Python smtplib, new connection per mail",
            "smtplib-reuse": "Python smtplib, one connection for all",
            "smtp-source": "Postfix smtp-source, 1 session, 700-byte mails",
        }
        for name in ("smtplib-new", "smtplib-reuse", "smtp-source"):
            rate = batch * rounds / peers[name]
            self.row(section, name, "%.0f msg/s" % rate, "%.3f" % (rate / direct),
                     notes[name] + " (vs direct in separate processes)")

    def asynchronous(self):
        count = 400 if self.quick else 2000
        result = run_json([self.send, "async", "--port", self.port, "--count", str(count),
                           "--rounds", "2"])[0]
        total = result["count"]
        sync = total / result["sync_seconds"]
        section = "2. Asynchronous, %d sends queued at once (x2 rounds)" % count
        self.row(section, "Send (synchronous)", "%.0f msg/s" % sync, "1.000")
        for key, name in (("async1", "SendAsync, one client"),
                          ("async4", "SendAsync, four clients")):
            rate = total / result[key + "_seconds"]
            self.row(section, name, "%.0f msg/s" % rate, "%.3f" % (rate / sync),
                     "one host thread pumps completions")

    def attachment_file(self, megabytes):
        path = os.path.join(self.work, "attachment-%dmb.bin" % megabytes)
        if not os.path.exists(path) or os.path.getsize(path) != megabytes * MB:
            with open(path, "wb") as out:
                for _ in range(megabytes):
                    out.write(os.urandom(MB))
        return path

    def ready_base64_file(self, path):
        """The file's Base64 text as it goes out: lines of 76 characters, CR LF
        between them and none after the last. Written in small blocks: the
        benchmark programs inherit this process's peak memory figure."""
        text_path = path + ".b64"
        if os.path.exists(text_path) and os.path.getmtime(text_path) >= os.path.getmtime(path):
            return text_path
        with open(path, "rb") as source, open(text_path, "wb") as out:
            first = True
            while True:
                block = source.read(57 * 1024)
                if not block:
                    break
                text = base64.b64encode(block)
                lines = [text[at:at + 76] for at in range(0, len(text), 76)]
                out.write((b"" if first else b"\r\n") + b"\r\n".join(lines))
                first = False
        return text_path

    def large_attachment(self):
        megabytes = 32 if self.quick else 256
        path = self.attachment_file(megabytes)
        text_path = self.ready_base64_file(path)
        small_path = self.attachment_file(16)
        # The library's two sends and the ready-Base64 transfer alternate in
        # rotating rounds, since a shared machine's pace drifts between
        # passes; libcurl's encoder and smtplib, ten times slower, run once.
        rounds = 1 if self.quick else 3
        fast = {
            "async": lambda: self.large_run("async", path),
            "sync": lambda: self.large_run("sync", path),
            "ready": lambda: self.large_run("ready", path, text_path),
        }
        passes = {name: [] for name in fast}
        for round_number in range(rounds):
            for name in rotated(list(fast), round_number):
                passes[name].append(fast[name]())
        passes["direct"] = [self.large_run("direct", path)]
        passes["smtplib"] = [self.smtplib_large(path)]
        small_async = self.large_run("async", small_path)
        section = "3. Large attachment, %d MB binary file, %d rotating rounds" % (megabytes, rounds)
        seconds = {name: sum(r["seconds"] for r in results) / len(results)
                   for name, results in passes.items()}
        rate = {name: megabytes / value for name, value in seconds.items()}
        peak = {name: max(r["peak_rss_kb"] for r in results) for name, results in passes.items()}
        names = {"async": "library SendAsync", "sync": "library Send",
                 "ready": "libcurl, ready Base64", "direct": "libcurl, its own encoder",
                 "smtplib": "Python smtplib"}
        notes = {
            "async": "goal >= 0.8 of ready Base64; peak <= 64 MB, independent of size"
                     " (16 MB file: %.1f MB peak)" % (small_async["peak_rss_kb"] / 1024),
            "sync": "keeps the full protocol trace of the session log",
            "ready": "same bytes read from a Base64 file: the limit of the library's design",
            "direct": "same MIME tree, libcurl encodes the file part; one pass",
            "smtplib": "whole message built in memory; one pass",
        }
        for name in ("async", "sync", "ready", "direct", "smtplib"):
            note = notes[name]
            if "cpu_seconds" in passes[name][0]:
                note += "; CPU %.1f s" % (sum(r["cpu_seconds"] for r in passes[name])
                                          / len(passes[name]))
            if name in ("async", "sync") and rounds > 1:
                ratios = sorted(passes["ready"][i]["seconds"] / passes[name][i]["seconds"]
                                for i in range(rounds))
                note += "; per round %s" % " ".join("%.2f" % r for r in ratios)
            self.row(section, names[name], "%.1f MB/s, peak %.1f MB"
                     % (rate[name], peak[name] / 1024),
                     "%.3f" % (rate[name] / rate["ready"]), note)

    def large_run(self, variant, path, text_path=None):
        command = [self.send, "large", "--port", self.port, "--file", path, "--variant", variant]
        if text_path:
            command += ["--base64", text_path]
        return run_json(command)[0]

    def smtplib_large(self, path):
        return run_json([self.python, self.smtplib, "large", self.port, path])[0]

    def instruction_row(self, section, kind, sizes, function, label, figure):
        """Callgrind's count of one step at two sizes, when valgrind is there."""
        counts = [self.instructions(kind, n, function) for n in sizes]
        if all(counts):
            self.row(section, "instructions, " + label,
                     (figure + " -> " + figure) % (counts[0] / 1e6, counts[1] / 1e6),
                     "x%.2f for x%d" % (counts[1] / counts[0], sizes[1] // sizes[0]),
                     "callgrind, %s only" % function)

    def composition(self):
        results = run_json([self.compose, "3" if self.quick else "5"])
        section = "4. Composition (request build, median of alternating runs)"
        previous = None
        for result in (r for r in results if r["bench"] == "compose_recipients"):
            ratio = ("x%.1f for x10" % (result["seconds"] / previous["seconds"])) if previous else ""
            self.row(section, "%d recipients" % result["recipients"],
                     "%.2f ms" % (result["seconds"] * 1000), ratio,
                     "%.2f us per recipient" % (result["seconds"] * 1e6 / result["recipients"]))
            previous = result
        self.instruction_row(section, "recipients", (1000, 10000), "BuildRequest",
                             "1000 -> 10000", "%.1fM")
        previous = None
        for result in (r for r in results if r["bench"] == "compose_body"):
            ratio = ("x%.1f for x8" % (result["body_parts_seconds"]
                                       / previous["body_parts_seconds"])) if previous else ""
            self.row(section, "%d MB HTML body, body parts" % result["megabytes"],
                     "%.1f ms" % (result["body_parts_seconds"] * 1000), ratio,
                     "conversion %.1f ms, bare iconv %.1f ms: iconv is %.2f of the conversion"
                     % (result["conversion_seconds"] * 1000, result["bare_iconv_seconds"] * 1000,
                        result["bare_iconv_seconds"] / result["conversion_seconds"]))
            previous = result
        self.instruction_row(section, "body", (1, 8), "AddBodyParts", "1 MB -> 8 MB", "%.0fM")
        memory = [r for r in results if r["bench"] == "compose_memory"][0]
        self.row(section, "peak memory of the composition run",
                 "%.0f MB" % (memory["peak_rss_kb"] / 1024), "",
                 "10 bytes per code unit of conversion buffer")

    def instructions(self, what, count, function):
        """Instructions of one build step, counted by callgrind; 0 without valgrind."""
        if not shutil.which("valgrind"):
            return 0
        done = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                               "--toggle-collect=SMTPClientNS::%s*" % function,
                               self.compose, "once", what, str(count)],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in done.stderr.splitlines():
            if "Collected :" in line:
                return int(line.split(":")[-1].replace(",", ""))
        return 0

    def print_table(self):
        widths = [max(len(r[i]) for r in self.rows) for i in range(1, 4)]
        section = None
        for row in self.rows:
            if row[0] != section:
                section = row[0]
                print("\n" + section)
                print("  %-*s  %-*s  %-*s  %s" % (widths[0], "", widths[1], "figure",
                                                  widths[2], "ratio", "notes"))
            print("  %-*s  %-*s  %-*s  %s" % (widths[0], row[1], widths[1], row[2],
                                              widths[2], row[3], row[4]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, help="build folder with bench/ programs")
    parser.add_argument("--postfix", required=True, help="unpacked postfix package root")
    parser.add_argument("--work", required=True, help="folder for the attachment files")
    parser.add_argument("--quick", action="store_true", help="smaller counts and sizes")
    parser.add_argument("--only", choices=("small", "async", "large", "compose"),
                        help="run one section of the table")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    sink = Sink(args.postfix)
    bench = Bench(args, sink)
    try:
        steps = {"small": bench.small_messages, "async": bench.asynchronous,
                 "large": bench.large_attachment, "compose": bench.composition}
        for name, step in steps.items():
            if args.only not in (None, name):
                continue
            started = time.monotonic()
            step()
            print("%s done in %.0f s" % (step.__name__, time.monotonic() - started),
                  file=sys.stderr)
    finally:
        sink.stop()
    bench.print_table()


if __name__ == "__main__":
    main()
