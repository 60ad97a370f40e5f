"""Fault listeners written without aiosmtpd: one never greets, one greets and
never answers again (for client time-outs), and one offers STARTTLS, agrees
to it and answers the client's TLS hello with bytes that are no TLS record."""

import asyncio

STALL_GREETING = b"220 localhost ESMTP greets and then stalls\r\n"
GARBAGE_GREETING = b"220 localhost ESMTP offers a broken STARTTLS\r\n"
EHLO_REPLY = b"250-localhost\r\n250 STARTTLS\r\n"
STARTTLS_REPLY = b"220 Ready to start TLS\r\n"
GARBAGE = b"this is not a TLS server hello\r\n" * 8


async def _read_until_closed(reader, writer):
    try:
        while await reader.read(4096):
            pass
    except ConnectionError:
        pass
    writer.close()


async def _greet_then_silent(reader, writer):
    writer.write(STALL_GREETING)
    await _read_until_closed(reader, writer)


async def _read_line(reader):
    try:
        return (await reader.readuntil(b"\r\n")).upper()
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


async def _garbage_tls(reader, writer):
    writer.write(GARBAGE_GREETING)
    while (line := await _read_line(reader)) and not line.startswith(b"QUIT"):
        if line.startswith(b"EHLO"):
            writer.write(EHLO_REPLY)
        elif line.startswith(b"STARTTLS"):
            writer.write(STARTTLS_REPLY)
            await _answer_hello_with_garbage(reader, writer)
            break
        else:
            writer.write(b"503 5.5.1 STARTTLS first\r\n")
    writer.close()


LISTENERS = {"stall_greeting": _read_until_closed, "stall_after_greeting": _greet_then_silent,
             "starttls_garbage": _garbage_tls}


async def start_fault_listeners():
    """Starts each listener on a free loopback port; returns {name: asyncio server}."""
    return {name: await asyncio.start_server(serve, "127.0.0.1", 0)
            for name, serve in LISTENERS.items()}
