"""Decodes each argument as a header value with email.header.decode_header
and prints the result in UTF-8, one line per argument."""

import sys
from email.header import decode_header


def decoded(value):
    parts = []
    for text, charset in decode_header(value):
        if isinstance(text, bytes):
            text = text.decode(charset or "ascii")
        parts.append(text)
    return "".join(parts)


for value in sys.argv[1:]:
    sys.stdout.buffer.write(decoded(value).encode("utf-8") + b"\n")
