r"""Prints a received message as Python's email package understands it.

    /usr/bin/python3 describe_mail.py MESSAGE.eml

The outline is deterministic (no MIME boundaries; header order as sent), so
tests can compare it whole after masking what moves (Date, Message-ID).
Two spaces indent each level:

    headers:
      <Name>: <value>             every top-level header, in order, unfolded,
                                  RFC 2047 words decoded to UTF-8 (also inside
                                  quotes; blanks between two words dropped,
                                  words that do not decode left as sent); a
                                  boundary parameter shows as boundary=<boundary>
      <Name> (8-bit): <value>     the same for a value sent with raw 8-bit bytes
                                  (read as UTF-8, other bytes as \xNN)
    body:
      <type/subtype>[; param="value"]...    one line per MIME part, params
                                  except boundary; nested parts indented below
        transfer-encoding: <Content-Transfer-Encoding, as sent>
        disposition: <inline|attachment, as sent>
        filename: <file name>     from Content-Disposition or else the name
                                  parameter, RFC 2231 and RFC 2047 decoded
        content-id: <Content-ID, as sent>
        header <Name>: <value>    any other header of a part below the root,
                                  decoded like the top-level ones
        preamble: "<text>"        text before the first boundary, if any
        text: "<decoded text>"    text/* leaves: payload decoded by its transfer
                                  encoding and charset, as a JSON string
        data: <N> bytes sha256 <hex>   other leaves, or text that does not
                                  decode in its charset (then after
                                  "undecodable-text: <charset>")
        epilogue: "<text>"        text after the closing boundary, if any
        defect: <Python's defect class>   problems the parser noticed

Lines of a part appear only when the part has that header or content. The
root part's MIME headers appear under both "headers:" and "body:".
"""

import base64
import email
import email.policy
import email.utils
import hashlib
import json
import quopri
import re
import sys

INDENT = "  "
MIME_HEADERS = {"content-type", "content-transfer-encoding", "content-disposition",
                "content-id", "mime-version"}
WORD = r"=\?([^?\s]+)\?([BbQq])\?([^?\s]*)\?="
ENCODED_WORD = re.compile(WORD)
ENCODED_RUN = re.compile(rf"{WORD}(?:[ \t]+{WORD})*")
BOUNDARY = re.compile(r'(boundary\s*=\s*)("(?:[^"\\]|\\.)*"|[^;\s]+)', re.IGNORECASE)


class RawHeaders(email.policy.Compat32):
    """compat32, but header values come as sent (8-bit bytes surrogate-escaped)
    instead of as Header objects, so that decoding them is up to us."""

    def header_fetch_parse(self, name, value):
        return value


def unfold(value):
    return re.sub(r"\r?\n(?=[ \t])", "", value)


def encoded_word_text(word):
    """The text of one encoded word, or None when it does not decode."""
    charset, encoding, text = ENCODED_WORD.fullmatch(word).groups()
    try:
        if encoding.upper() == "B":
            data = base64.b64decode(text + "=" * (-len(text) % 4), validate=True)
        else:
            data = quopri.decodestring(text.replace("_", " ").encode("ascii"), header=True)
        return data.decode(charset.split("*")[0])
    except (ValueError, LookupError, UnicodeError):
        return None


def encoded_run_text(match):
    """Encoded words separated by blanks: the blanks between two words
    that decode are dropped, as RFC 2047 says."""
    pieces = re.split(r"([ \t]+)", match.group(0))
    texts = [encoded_word_text(word) for word in pieces[0::2]]
    result = texts[0] if texts[0] is not None else pieces[0]
    for index, gap in enumerate(pieces[1::2], start=1):
        both = texts[index - 1] is not None and texts[index] is not None
        result += ("" if both else gap) + (texts[index] if texts[index] is not None
                                           else pieces[2 * index])
    return result


def decoded(value):
    """The unfolded header value with its RFC 2047 encoded words decoded and
    8-bit bytes read as UTF-8; and whether it held 8-bit bytes."""
    raw = unfold(str(value)).encode("utf-8", errors="surrogateescape")
    text = raw.decode("utf-8", errors="backslashreplace")
    return ENCODED_RUN.sub(encoded_run_text, text), not raw.isascii()


def header_line(name, value):
    text, eight_bit = decoded(value)
    return f"{name}{' (8-bit)' if eight_bit else ''}: {without_boundary(text)}"


def without_boundary(value):
    return BOUNDARY.sub(r"\1<boundary>", value)


def one_line(text):
    return json.dumps(text, ensure_ascii=False)


def header_lines(message):
    for name, value in message.items():
        yield header_line(name, value)


def content_type_line(part):
    params = part.get_params(header="content-type") or [(part.get_content_type(), "")]
    line = params[0][0]
    for name, value in params[1:]:
        if name.lower() != "boundary":
            line += f'; {name}="{decoded(email.utils.collapse_rfc2231_value(value))[0]}"'
    return line


def disposition(part):
    value = part.get("Content-Disposition")
    return unfold(str(value)).split(";")[0].strip() if value is not None else None


def data_line(data):
    return f"data: {len(data)} bytes sha256 {hashlib.sha256(data).hexdigest()}"


def payload_lines(part):
    data = part.get_payload(decode=True) or b""
    if part.get_content_maintype() == "text":
        charset = part.get_content_charset() or "us-ascii"
        try:
            return [f"text: {one_line(data.decode(charset))}"]
        except (LookupError, UnicodeDecodeError):
            return [f"undecodable-text: {charset}", data_line(data)]
    return [data_line(data)]


def header_detail_lines(part, is_root):
    lines = []
    if part.get("Content-Transfer-Encoding") is not None:
        lines.append(f"transfer-encoding: {unfold(part['Content-Transfer-Encoding']).strip()}")
    if disposition(part) is not None:
        lines.append(f"disposition: {disposition(part)}")
    if part.get_filename() is not None:
        lines.append(f"filename: {decoded(part.get_filename())[0]}")
    if part.get("Content-ID") is not None:
        lines.append(f"content-id: {unfold(part['Content-ID']).strip()}")
    if not is_root:
        lines += ["header " + header_line(name, value) for name, value in part.items()
                  if name.lower() not in MIME_HEADERS]
    return lines


def tree_lines(part, depth, is_root=False):
    inner = INDENT * (depth + 1)
    yield INDENT * depth + content_type_line(part)
    for line in header_detail_lines(part, is_root):
        yield inner + line
    if not part.is_multipart():
        for line in payload_lines(part):
            yield inner + line
    else:
        if part.preamble:
            yield inner + f"preamble: {one_line(part.preamble)}"
        for child in part.get_payload():
            yield from tree_lines(child, depth + 1)
        if part.epilogue:
            yield inner + f"epilogue: {one_line(part.epilogue)}"
    for defect in part.defects:
        yield inner + f"defect: {type(defect).__name__}"


def describe(raw):
    """The outline of the raw message bytes."""
    message = email.message_from_bytes(raw, policy=RawHeaders())
    lines = ["headers:"] + [INDENT + line for line in header_lines(message)]
    lines += ["body:"] + list(tree_lines(message, 1, is_root=True))
    return "\n".join(lines) + "\n"


def main():
    with open(sys.argv[1], "rb") as stream:
        raw = stream.read()
    sys.stdout.buffer.write(describe(raw).encode("utf-8", errors="backslashreplace"))


if __name__ == "__main__":
    main()
