"""The test SOCKS proxies, each on a free port of 127.0.0.1:

    socks5       microsocks, no login
    socks5_auth  microsocks, login proxyuser / proxypass
    dante        danted, SOCKS4 and SOCKS5 without login (it refuses SOCKS4a)
    socks4a      socks4_proxy.py, SOCKS4 and SOCKS4a; also listed as socks4

    /usr/bin/python3 socks_proxies.py STATE [--owner-pid PID] [--lifetime S]

Writes STATE/socks_proxies.pid at once and STATE/proxy_ports.json
({proxy: port}) when every proxy accepts connections. The proxies it runs
as child processes end with it, even when it is killed.
"""

import contextlib
import ctypes
import os
import signal
import socket
import subprocess
import time

from daemon_life import run_daemon
from proxy_addresses import OUTGOING_ADDRESSES
from socks4_proxy import Socks4Proxy

PROXY_USER = "proxyuser"
PROXY_PASSWORD = "proxypass"
READY_TIMEOUT_S = 10
STOP_GRACE_S = 5
PR_SET_PDEATHSIG = 1


def _free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def _die_with_parent():
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def _dante_config(port):
    # Dante drops to these users for its work; only root may name root.
    users = "user.privileged: root\nuser.unprivileged: root\n" if os.geteuid() == 0 else ""
    return (f"logoutput: stderr\n"
            f"internal: 127.0.0.1 port = {port}\n"
            f"external: {OUTGOING_ADDRESSES['dante']}\n"
            f"socksmethod: none\nclientmethod: none\n{users}"
            "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
            "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 protocol: tcp }\n")


def _commands(state, ports):
    microsocks = ["microsocks", "-i", "127.0.0.1"]
    config = state / "dante.conf"
    config.write_text(_dante_config(ports["dante"]))
    return {
        "socks5": microsocks + ["-p", str(ports["socks5"]), "-b", OUTGOING_ADDRESSES["socks5"]],
        "socks5_auth": microsocks + ["-p", str(ports["socks5_auth"]),
                                     "-b", OUTGOING_ADDRESSES["socks5_auth"],
                                     "-u", PROXY_USER, "-P", PROXY_PASSWORD],
        "dante": ["/usr/sbin/danted", "-f", str(config), "-N", "1",
                  "-p", str(state / "dante.pid")],
    }


def _accepts_connections(port):
    deadline = time.monotonic() + READY_TIMEOUT_S
    while time.monotonic() < deadline:
        with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port), 1):
            return True
        time.sleep(0.05)
    return False


def _stop(processes):
    for process in processes:
        with contextlib.suppress(ProcessLookupError):
            process.terminate()
    for process in processes:
        try:
            process.wait(STOP_GRACE_S)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def _start_programs(state):
    ports = {name: _free_port() for name in ("socks5", "socks5_auth", "dante")}
    processes = []
    for name, command in _commands(state, ports).items():
        processes.append(subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                          preexec_fn=_die_with_parent))
        if not _accepts_connections(ports[name]):
            _stop(processes)
            raise RuntimeError(f"{name} does not accept connections on port {ports[name]}")
    return ports, processes


@contextlib.asynccontextmanager
async def proxies(state):
    ports, processes = _start_programs(state)
    try:
        socks4 = await Socks4Proxy(OUTGOING_ADDRESSES["socks4a"]).start()
        ports["socks4a"] = ports["socks4"] = socks4.sockets[0].getsockname()[1]
        yield ports
        socks4.close()
    finally:
        _stop(processes)


if __name__ == "__main__":
    run_daemon(__doc__.splitlines()[0], "socks_proxies.pid", "proxy_ports.json", proxies)
