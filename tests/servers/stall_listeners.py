"""Listeners that accept a connection and then go quiet, for client
time-outs: one never greets, the other greets and never answers again."""

import asyncio

GREETING = b"220 localhost ESMTP greets and then stalls\r\n"


async def _read_until_closed(reader, writer):
    try:
        while await reader.read(4096):
            pass
    except ConnectionError:
        pass
    writer.close()


async def _greet_then_silent(reader, writer):
    writer.write(GREETING)
    await _read_until_closed(reader, writer)


async def start_stall_server(kind):
    """Starts the listener kind ("greeting" or "after_greeting") on a free
    loopback port and returns the asyncio server."""
    callback = {"greeting": _read_until_closed, "after_greeting": _greet_then_silent}[kind]
    return await asyncio.start_server(callback, "127.0.0.1", 0)
