"""A listener that offers STARTTLS, agrees to it and then answers the
client's TLS hello with bytes that are no TLS record, for a handshake that
fails."""

import asyncio

GREETING = b"220 localhost ESMTP offers a broken STARTTLS\r\n"
EHLO_REPLY = b"250-localhost\r\n250 STARTTLS\r\n"
STARTTLS_REPLY = b"220 Ready to start TLS\r\n"
GARBAGE = b"this is not a TLS server hello\r\n" * 8


async def _read_line(reader):
    try:
        return await reader.readuntil(b"\r\n")
    except (asyncio.IncompleteReadError, asyncio.LimitOverrunError, ConnectionError):
        return b""


async def _answer_hello_with_garbage(reader, writer):
    try:
        await reader.read(4096)
        writer.write(GARBAGE)
        await writer.drain()
        await reader.read(4096)
    except ConnectionError:
        pass


async def _serve(reader, writer):
    writer.write(GREETING)
    while True:
        line = (await _read_line(reader)).upper()
        if not line or line.startswith(b"QUIT"):
            break
        if line.startswith(b"EHLO"):
            writer.write(EHLO_REPLY)
        elif line.startswith(b"STARTTLS"):
            writer.write(STARTTLS_REPLY)
            await _answer_hello_with_garbage(reader, writer)
            break
        else:
            writer.write(b"503 5.5.1 STARTTLS first\r\n")
    writer.close()


async def start_garbage_tls_server():
    """Starts the listener on a free loopback port and returns the asyncio
    server."""
    return await asyncio.start_server(_serve, "127.0.0.1", 0)
