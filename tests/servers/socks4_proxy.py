"""A SOCKS4 and SOCKS4a proxy (CONNECT only) for the tests, because dante
refuses SOCKS4a requests. It connects only to loopback addresses, from its
own outgoing address, and resolves the name of a SOCKS4a request itself."""

import asyncio
import ipaddress
import socket
import struct

HANDSHAKE_TIMEOUT_S = 10
CONNECT_TIMEOUT_S = 10
MAX_FIELD = 256
GRANTED, REJECTED = 0x5A, 0x5B


async def _read_field(reader):
    """A NUL-terminated field (user id or host name), without the NUL."""
    field = await reader.readuntil(b"\x00")
    if len(field) > MAX_FIELD:
        raise ValueError("SOCKS4 field too long")
    return field[:-1]


async def _destination(reader):
    """(host, port) of a CONNECT request; host is a name for SOCKS4a."""
    version, command, port, address = struct.unpack("!BBH4s", await reader.readexactly(8))
    if version != 4 or command != 1:
        raise ValueError("not a SOCKS4 CONNECT")
    await _read_field(reader)
    if address[:3] == b"\x00\x00\x00" and address[3] != 0:
        return (await _read_field(reader)).decode("ascii"), port
    return socket.inet_ntoa(address), port


async def _loopback_address(host, port):
    infos = await asyncio.get_running_loop().getaddrinfo(
        host, port, family=socket.AF_INET, type=socket.SOCK_STREAM)
    for *_, (address, _) in infos:
        if ipaddress.ip_address(address).is_loopback:
            return address
    raise ValueError(f"{host} is not a loopback address")


async def _pipe(reader, writer):
    try:
        while data := await reader.read(65536):
            writer.write(data)
            await writer.drain()
    finally:
        writer.close()


def _reply(code):
    return struct.pack("!BBH4s", 0, code, 0, b"\x00\x00\x00\x00")


class Socks4Proxy:
    def __init__(self, outgoing_address):
        self.outgoing_address = outgoing_address

    async def _connect(self, reader):
        host, port = await asyncio.wait_for(_destination(reader), HANDSHAKE_TIMEOUT_S)
        address = await _loopback_address(host, port)
        return await asyncio.wait_for(
            asyncio.open_connection(address, port, local_addr=(self.outgoing_address, 0)),
            CONNECT_TIMEOUT_S)

    async def serve_client(self, client_reader, client_writer):
        try:
            server_reader, server_writer = await self._connect(client_reader)
        except (OSError, ValueError, asyncio.TimeoutError, asyncio.IncompleteReadError,
                asyncio.LimitOverrunError):
            client_writer.write(_reply(REJECTED))
            client_writer.close()
            return
        client_writer.write(_reply(GRANTED))
        await asyncio.gather(_pipe(client_reader, server_writer),
                             _pipe(server_reader, client_writer), return_exceptions=True)

    async def start(self):
        """Listens on a free loopback port; returns the asyncio server."""
        return await asyncio.start_server(self.serve_client, "127.0.0.1", 0)
