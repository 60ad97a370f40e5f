"""Starts and stops the test servers for the CTest fixtures.

    /usr/bin/python3 fixture.py start|stop smtp|socks|mta STATE [--timeout S]

The daemon writes {name: port} to STATE/ports.json (smtp), proxy_ports.json
(socks) or mta_ports.json (the mail servers) once all its listeners accept
connections, and ends on SIGTERM, when ctest (which started it) is gone, or
after two hours. Its output goes to
STATE/logs/<daemon>.log.
"""

import argparse
import asyncio
import contextlib
import importlib
import json
import os
import pathlib
import signal
import socket
import subprocess
import sys
import time

PORTS_FILES = {"smtp": "ports.json", "socks": "proxy_ports.json", "mta": "mta_ports.json"}
MODULES = {"smtp": "smtp_server", "socks": "socks_proxies", "mta": "mail_transfer_agents"}
LIFETIME_S = 2 * 60 * 60
POLL_S = 0.05


def write_json(path, value):
    """Written under another name first, so that readers never see half of it.
    Undecodable bytes (kept by surrogateescape) go out as they arrived."""
    text = json.dumps(value, ensure_ascii=False, indent=1, sort_keys=True)
    temporary = path.with_name("." + path.name + ".tmp")
    temporary.write_bytes(text.encode("utf-8", errors="surrogateescape") + b"\n")
    os.replace(temporary, path)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(name, port, process, timeout_s=20):
    """Returns once port on 127.0.0.1 accepts connections; raises when the
    process that should listen there ended or the time ran out."""
    deadline = time.monotonic() + timeout_s
    while process.poll() is None and time.monotonic() < deadline:
        with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 1):
            return
        time.sleep(POLL_S)
    raise RuntimeError(f"{name} does not listen on port {port} (exit {process.poll()})")


def stop_processes(processes, timeout_s=5):
    """SIGTERM to each by its process id, SIGKILL to those still running after timeout_s."""
    for process in processes:
        process.terminate()
    for process in processes:
        try:
            process.wait(timeout_s)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def _ended(pid):
    # An ended process may linger as a zombie until it is reaped.
    try:
        return pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0] in "ZX"
    except OSError:
        return True


async def _run(daemon, state, owner):
    stop = asyncio.Event()
    for number in (signal.SIGTERM, signal.SIGINT):
        asyncio.get_running_loop().add_signal_handler(number, stop.set)
    ports_file = state / PORTS_FILES[daemon]
    async with importlib.import_module(MODULES[daemon]).listeners(state) as ports:
        write_json(ports_file, ports)
        deadline = time.monotonic() + LIFETIME_S
        while not stop.is_set() and not _ended(owner) and time.monotonic() < deadline:
            with contextlib.suppress(asyncio.TimeoutError):
                await asyncio.wait_for(stop.wait(), 1)
        ports_file.unlink(missing_ok=True)


def _wait_until_ended(pid, timeout_s=5):
    deadline = time.monotonic() + timeout_s
    while not _ended(pid) and time.monotonic() < deadline:
        time.sleep(POLL_S)
    return _ended(pid)


def stop(daemon, state):
    pid_file = state / f"{daemon}.pid"
    with contextlib.suppress(OSError, ValueError):
        pid = int(pid_file.read_text())
        # Pids get reused: only a process running this daemon is ours.
        if f"\0run\0{daemon}\0".encode() in pathlib.Path(f"/proc/{pid}/cmdline").read_bytes():
            os.kill(pid, signal.SIGTERM)
            if not _wait_until_ended(pid):
                os.kill(pid, signal.SIGKILL)
                _wait_until_ended(pid)
    pid_file.unlink(missing_ok=True)
    (state / PORTS_FILES[daemon]).unlink(missing_ok=True)
    return 0


def start(daemon, state, timeout_s):
    stop(daemon, state)
    log_path = state / "logs" / f"{daemon}.log"
    log_path.parent.mkdir(parents=True, exist_ok=True)
    command = [sys.executable, __file__, "run", daemon, str(state), "--owner", str(os.getppid())]
    # Its own session keeps it out of ctest's process group; the log file
    # instead of our pipes lets ctest see this test end.
    with open(log_path, "wb") as log:
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.STDOUT, start_new_session=True)
    (state / f"{daemon}.pid").write_text(f"{process.pid}\n")
    ports_file = state / PORTS_FILES[daemon]
    deadline = time.monotonic() + timeout_s
    while not ports_file.exists():
        if process.poll() is not None or time.monotonic() > deadline:
            stop(daemon, state)
            log = log_path.read_text(errors="replace")
            print(f"{daemon} did not start:\n{log}", file=sys.stderr)
            return 1
        time.sleep(POLL_S)
    print(ports_file.read_text())
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=["start", "stop", "run"])
    parser.add_argument("daemon", choices=sorted(PORTS_FILES))
    parser.add_argument("state", type=lambda path: pathlib.Path(path).resolve())
    parser.add_argument("--timeout", type=float, default=30.0)
    parser.add_argument("--owner", type=int, default=os.getppid())
    arguments = parser.parse_args()
    if arguments.action == "run":
        asyncio.run(_run(arguments.daemon, arguments.state, arguments.owner))
        return 0
    if arguments.action == "start":
        return start(arguments.daemon, arguments.state, arguments.timeout)
    return stop(arguments.daemon, arguments.state)


if __name__ == "__main__":
    sys.exit(main())
