"""How long a test daemon lives: until it is sent SIGTERM or SIGINT, until
the process that owns it (normally ctest) is gone, or at the latest after a
fixed lifetime, so that it never outlives the test run."""

import asyncio
import os
import signal

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


async def run_until_stopped(owner_pid, lifetime_s=DEFAULT_LIFETIME_S):
    """Returns when the daemon should shut down. owner_pid 0 watches no owner."""
    loop = asyncio.get_running_loop()
    stop = asyncio.Event()
    for number in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(number, stop.set)
    waits = [asyncio.create_task(stop.wait()), asyncio.create_task(_owner_gone(owner_pid))]
    await asyncio.wait(waits, timeout=lifetime_s, return_when=asyncio.FIRST_COMPLETED)
    for wait in waits:
        wait.cancel()


def add_daemon_arguments(parser):
    parser.add_argument("state", help="state folder")
    parser.add_argument("--owner-pid", type=int, default=0,
                        help="shut down when this process ends (0: no owner)")
    parser.add_argument("--lifetime", type=float, default=DEFAULT_LIFETIME_S,
                        help="shut down after this many seconds at the latest")
