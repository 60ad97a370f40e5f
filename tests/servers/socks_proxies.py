"""The test SOCKS proxies, each on a free port of 127.0.0.1:

    socks5       microsocks, no login
    socks5_auth  microsocks, login proxyuser / proxypass
    dante        danted, SOCKS4 and SOCKS5 without login (it refuses SOCKS4a)
    socks4a      a SOCKS4 and SOCKS4a proxy written below

Each connects from a loopback address of its own, by which the SMTP listener
tells which proxy a message came through.
"""

import asyncio
import contextlib
import ctypes
import os
import signal
import socket
import struct
import subprocess

from fixture import free_port, stop_processes, wait_for_port

OUTGOING_ADDRESSES = {"socks5": "127.0.0.2", "socks5_auth": "127.0.0.3",
                      "dante": "127.0.0.4", "socks4a": "127.0.0.5"}
PR_SET_PDEATHSIG = 1


def _die_with_parent():
    ctypes.CDLL(None).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def _dante_config(port):
    # Dante drops to these users for its work; only root may name root.
    users = "user.privileged: root\nuser.unprivileged: root\n" if os.geteuid() == 0 else ""
    return (f"logoutput: stderr\ninternal: 127.0.0.1 port = {port}\n"
            f"external: {OUTGOING_ADDRESSES['dante']}\n"
            f"socksmethod: none\nclientmethod: none\n{users}"
            "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
            "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 protocol: tcp }\n")


def _commands(state, ports):
    def microsocks(name, *login):
        return ["microsocks", "-i", "127.0.0.1", "-p", str(ports[name]),
                "-b", OUTGOING_ADDRESSES[name], *login]
    (state / "dante.conf").write_text(_dante_config(ports["dante"]))
    return {"socks5": microsocks("socks5"),
            "socks5_auth": microsocks("socks5_auth", "-u", "proxyuser", "-P", "proxypass"),
            "dante": ["/usr/sbin/danted", "-f", str(state / "dante.conf"), "-N", "1",
                      "-p", str(state / "dante.pid")]}


async def _socks4_destination(reader):
    """(host, port) of a CONNECT request; host is a name for SOCKS4a."""
    version, command, port, address = struct.unpack("!BBH4s", await reader.readexactly(8))
    if version != 4 or command != 1:
        raise ValueError("not a SOCKS4 CONNECT")
    await reader.readuntil(b"\0")  # the user id
    if address[:3] == b"\0\0\0" and address[3]:
        return (await reader.readuntil(b"\0"))[:-1].decode("ascii"), port
    return socket.inet_ntoa(address), port


async def _pipe(reader, writer):
    try:
        while data := await reader.read(65536):
            writer.write(data)
            await writer.drain()
    finally:
        writer.close()


async def _socks4_client(client_reader, client_writer):
    try:
        host, port = await asyncio.wait_for(_socks4_destination(client_reader), 10)
        address = socket.gethostbyname(host)
        if not address.startswith("127."):
            raise ValueError(f"{host} is not a loopback address")
        server_reader, server_writer = await asyncio.wait_for(asyncio.open_connection(
            address, port, local_addr=(OUTGOING_ADDRESSES["socks4a"], 0)), 10)
    except (OSError, ValueError, asyncio.TimeoutError, asyncio.IncompleteReadError,
            asyncio.LimitOverrunError):
        client_writer.write(struct.pack("!BBH4x", 0, 0x5B, 0))
        client_writer.close()
        return
    client_writer.write(struct.pack("!BBH4x", 0, 0x5A, 0))
    await asyncio.gather(_pipe(client_reader, server_writer), _pipe(server_reader, client_writer),
                         return_exceptions=True)


@contextlib.asynccontextmanager
async def listeners(state):
    ports = {name: free_port() for name in ("socks5", "socks5_auth", "dante")}
    processes = []
    try:
        for name, command in _commands(state, ports).items():
            processes.append(subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                              preexec_fn=_die_with_parent))
            wait_for_port(name, ports[name], processes[-1])
        socks4 = await asyncio.start_server(_socks4_client, "127.0.0.1", 0)
        ports["socks4a"] = socks4.sockets[0].getsockname()[1]
        yield ports
        socks4.close()
    finally:
        stop_processes(processes)
