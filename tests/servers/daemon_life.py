"""The life of a test daemon: its command line, its pid and ports files, and
how long it lives: until it is sent SIGTERM or SIGINT, until the process that
owns it (normally ctest) is gone, or at the latest after a fixed lifetime, so
that it never outlives the test run."""

import argparse
import asyncio
import os
import pathlib
import signal

from state_files import write_atomically, write_json_atomically

OWNER_POLL_S = 1.0
DEFAULT_LIFETIME_S = 2 * 60 * 60


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    return True


async def _owner_gone(owner_pid):
    while owner_pid <= 0 or _alive(owner_pid):
        await asyncio.sleep(OWNER_POLL_S)


async def _run_until_stopped(owner_pid, lifetime_s):
    loop = asyncio.get_running_loop()
    stop = asyncio.Event()
    for number in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(number, stop.set)
    waits = [asyncio.create_task(stop.wait()), asyncio.create_task(_owner_gone(owner_pid))]
    await asyncio.wait(waits, timeout=lifetime_s, return_when=asyncio.FIRST_COMPLETED)
    for wait in waits:
        wait.cancel()


async def _serve(listeners, state, ports_file, arguments):
    async with listeners(state) as ports:
        write_json_atomically(state / ports_file, ports)
        try:
            await _run_until_stopped(arguments.owner_pid, arguments.lifetime)
        finally:
            (state / ports_file).unlink(missing_ok=True)


def run_daemon(description, pid_file, ports_file, listeners):
    """Runs a daemon with the command line "STATE [--owner-pid PID] [--lifetime S]".
    listeners(state) is an async context manager that starts the listeners
    and yields {name: port}; that goes to STATE/ports_file once they all
    accept connections. STATE/pid_file holds the pid while the daemon runs."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("state", help="state folder")
    parser.add_argument("--owner-pid", type=int, default=0,
                        help="shut down when this process ends (0: no owner)")
    parser.add_argument("--lifetime", type=float, default=DEFAULT_LIFETIME_S,
                        help="shut down after this many seconds at the latest")
    arguments = parser.parse_args()
    state = pathlib.Path(arguments.state)
    state.mkdir(parents=True, exist_ok=True)
    write_atomically(state / pid_file, f"{os.getpid()}\n".encode())
    try:
        asyncio.run(_serve(listeners, state, ports_file, arguments))
    finally:
        (state / pid_file).unlink(missing_ok=True)
