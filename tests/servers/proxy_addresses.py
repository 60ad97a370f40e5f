"""Each proxy opens its connections to the test servers from a loopback
address of its own, so the SMTP listener can tell which proxy, if any, a
message came through."""

OUTGOING_ADDRESSES = {
    "socks5": "127.0.0.2",
    "socks5_auth": "127.0.0.3",
    "dante": "127.0.0.4",
    "socks4a": "127.0.0.5",
}


def proxy_of_client(address):
    """The proxy whose outgoing address this is; "" for a direct client."""
    return next((proxy for proxy, outgoing in OUTGOING_ADDRESSES.items() if outgoing == address), "")
