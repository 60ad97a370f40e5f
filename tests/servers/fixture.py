"""Starts and stops the test daemons for the CTest fixtures.

    /usr/bin/python3 fixture.py start|stop smtp|socks STATE [--timeout S]

"start" first stops a daemon left over from an earlier run, then starts a
fresh one in its own session, owned by the calling process (ctest), and
waits until it has written its ports file. Daemon output goes to
STATE/logs/<daemon>.log, which is printed when the start fails.
"""

import argparse
import collections
import os
import pathlib
import signal
import subprocess
import sys
import time

HERE = pathlib.Path(__file__).resolve().parent
STOP_GRACE_S = 5.0
POLL_S = 0.05

Daemon = collections.namedtuple("Daemon", "script ports_file pid_file")
DAEMONS = {
    "smtp": Daemon("smtp_server.py", "ports.json", "smtp_server.pid"),
    "socks": Daemon("socks_proxies.py", "proxy_ports.json", "socks_proxies.pid"),
}


def _running_pid(daemon, state):
    """The pid in the daemon's pid file if that process still runs the
    daemon's script (pids get reused), else None."""
    try:
        pid = int((state / daemon.pid_file).read_text())
        command_line = pathlib.Path(f"/proc/{pid}/cmdline").read_bytes()
    except (OSError, ValueError):
        return None
    return pid if daemon.script.encode() in command_line else None


def _has_ended(pid):
    # An ended daemon may linger as a zombie until init reaps it.
    try:
        status = pathlib.Path(f"/proc/{pid}/stat").read_text()
    except OSError:
        return True
    return status.rsplit(")", 1)[1].split()[0] in ("Z", "X")


def _wait_for_exit(pid, timeout_s):
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        if _has_ended(pid):
            return True
        time.sleep(POLL_S)
    return False


def _terminate(pid):
    try:
        os.kill(pid, signal.SIGTERM)
        if not _wait_for_exit(pid, STOP_GRACE_S):
            os.kill(pid, signal.SIGKILL)
            _wait_for_exit(pid, STOP_GRACE_S)
    except ProcessLookupError:
        pass


def stop(daemon, state):
    pid = _running_pid(daemon, state)
    if pid is not None:
        _terminate(pid)
    for name in (daemon.pid_file, daemon.ports_file):
        (state / name).unlink(missing_ok=True)
    return 0


def _spawn(daemon, state, log):
    command = [sys.executable, str(HERE / daemon.script), str(state),
               "--owner-pid", str(os.getppid())]
    # Its own session keeps it out of ctest's process group; the log file
    # instead of our pipes lets ctest see this test end.
    return subprocess.Popen(command, cwd=HERE, stdin=subprocess.DEVNULL, stdout=log,
                            stderr=subprocess.STDOUT, start_new_session=True)


def _fail(process, log_path, why):
    if process.poll() is None:
        _terminate(process.pid)
        process.wait()
    print(why, file=sys.stderr)
    print(log_path.read_text(errors="replace"), file=sys.stderr)
    return 1


def start(daemon, state, timeout_s):
    stop(daemon, state)
    (state / "logs").mkdir(parents=True, exist_ok=True)
    log_path = state / "logs" / (daemon.script.removesuffix(".py") + ".log")
    with open(log_path, "wb") as log:
        process = _spawn(daemon, state, log)
    deadline = time.monotonic() + timeout_s
    while not (state / daemon.ports_file).exists():
        if process.poll() is not None:
            return _fail(process, log_path, f"{daemon.script} ended with {process.returncode}")
        if time.monotonic() > deadline:
            return _fail(process, log_path, f"{daemon.script} not ready after {timeout_s} s")
        time.sleep(POLL_S)
    print((state / daemon.ports_file).read_text())
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=["start", "stop"])
    parser.add_argument("daemon", choices=sorted(DAEMONS))
    parser.add_argument("state")
    parser.add_argument("--timeout", type=float, default=30.0)
    arguments = parser.parse_args()
    state = pathlib.Path(arguments.state).resolve()
    daemon = DAEMONS[arguments.daemon]
    if arguments.action == "start":
        return start(daemon, state, arguments.timeout)
    return stop(daemon, state)


if __name__ == "__main__":
    sys.exit(main())
