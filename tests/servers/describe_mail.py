"""Prints a received message as Python's email package understands it.

    /usr/bin/python3 describe_mail.py [--names] MESSAGE.eml

Deterministic, so tests compare it whole after masking Date and Message-ID:
"headers:", each header unfolded and decoded ("(8-bit)" after the name when
sent as raw 8-bit bytes, boundaries as <boundary>); then "body:", one line per
MIME part, nested parts indented, each followed by what it has of
transfer-encoding, disposition, filename, content-id, other headers of inner
parts, preamble, text (decoded, as JSON) or data (size and sha256), epilogue
and the parser's defects. With --names, only the mailboxes of the address
headers, as two of the package's readers show them (see names).
"""

import base64
import email
import email.header
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
    """Header values as sent (8-bit bytes surrogate-escaped), decoded by us."""

    def header_fetch_parse(self, name, value):
        return value


def unfold(value):
    return re.sub(r"\r?\n(?=[ \t])", "", str(value))


def word_text(word):
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


def run_text(match):
    """Blanks between two encoded words that decode are dropped; words that
    do not decode stay as sent."""
    pieces = re.split(r"([ \t]+)", match.group(0))
    texts = [word_text(word) for word in pieces[0::2]]
    result = ""
    for index, text in enumerate(texts):
        if index and (texts[index - 1] is None or text is None):
            result += pieces[2 * index - 1]
        result += pieces[2 * index] if text is None else text
    return result


def decoded(value):
    """The unfolded value, encoded words decoded and 8-bit bytes read as
    UTF-8; and whether it held 8-bit bytes."""
    raw = unfold(value).encode("utf-8", errors="surrogateescape")
    text = raw.decode("utf-8", errors="backslashreplace")
    return ENCODED_RUN.sub(run_text, text), not raw.isascii()


def header_line(name, value):
    text, eight_bit = decoded(value)
    text = BOUNDARY.sub(r"\1<boundary>", text)
    return f"{name}{' (8-bit)' if eight_bit else ''}: {text}"


def content_type_line(part):
    params = part.get_params(header="content-type") or [(part.get_content_type(), "")]
    return params[0][0] + "".join(
        f'; {name}="{decoded(email.utils.collapse_rfc2231_value(value))[0]}"'
        for name, value in params[1:] if name.lower() != "boundary")


def data_line(data):
    return f"data: {len(data)} bytes sha256 {hashlib.sha256(data).hexdigest()}"


def payload_lines(part):
    data = part.get_payload(decode=True) or b""
    if part.get_content_maintype() != "text":
        return [data_line(data)]
    charset = part.get_content_charset() or "us-ascii"
    try:
        return [f"text: {json.dumps(data.decode(charset), ensure_ascii=False)}"]
    except (LookupError, UnicodeDecodeError):
        return [f"undecodable-text: {charset}", data_line(data)]


def filename_text(part):
    """An RFC 2231 value is taken literally; a plain one is decoded as
    readers decode encoded words in it."""
    value = part.get_param("filename", header="content-disposition")
    if isinstance(value, tuple):
        return email.utils.collapse_rfc2231_value(value)
    return decoded(part.get_filename())[0]


def detail_lines(part, is_root):
    lines = []
    if part.get("Content-Transfer-Encoding") is not None:
        lines.append(f"transfer-encoding: {unfold(part['Content-Transfer-Encoding']).strip()}")
    if part.get("Content-Disposition") is not None:
        lines.append(f"disposition: {unfold(part['Content-Disposition']).split(';')[0].strip()}")
    if part.get_filename() is not None:
        lines.append(f"filename: {filename_text(part)}")
    if part.get("Content-ID") is not None:
        lines.append(f"content-id: {unfold(part['Content-ID']).strip()}")
    if not is_root:
        lines += ["header " + header_line(name, value) for name, value in part.items()
                  if name.lower() not in MIME_HEADERS]
    if part.is_multipart() and part.preamble:
        lines.append(f"preamble: {json.dumps(part.preamble, ensure_ascii=False)}")
    return lines


def tree_lines(part, depth, is_root=False):
    inner = INDENT * (depth + 1)
    yield INDENT * depth + content_type_line(part)
    yield from (inner + line for line in detail_lines(part, is_root))
    if not part.is_multipart():
        yield from (inner + line for line in payload_lines(part))
    else:
        for child in part.get_payload():
            yield from tree_lines(child, depth + 1)
        if part.epilogue:
            yield inner + f"epilogue: {json.dumps(part.epilogue, ensure_ascii=False)}"
    yield from (inner + f"defect: {type(defect).__name__}" for defect in part.defects)


def describe(raw):
    message = email.message_from_bytes(raw, policy=RawHeaders())
    lines = ["headers:"] + [INDENT + header_line(name, value) for name, value in message.items()]
    return "\n".join(lines + ["body:"] + list(tree_lines(message, 1, is_root=True))) + "\n"


def parsed_mailboxes(message, name):
    """One text per header; the parser's refusal is its verdict."""
    try:
        return [", ".join(f"{address.display_name} <{address.addr_spec}>"
                          for address in header.addresses)
                for header in message.get_all(name, [])]
    except Exception as error:
        return [f"error: {error}"]


def one_space(text):
    return re.sub(r"\s+", " ", text).strip()


def names(raw):
    """The mailboxes of From, To and Cc as two readers show them, blanks as
    one space: "parsed" by the default policy's address parser, "decoded"
    by email.header.decode_header, which follows RFC 2047 section 6.2."""
    parsed = email.message_from_bytes(raw, policy=email.policy.default)
    plain = email.message_from_bytes(raw, policy=RawHeaders())
    lines = []
    for name in ("From", "To", "Cc"):
        for text in parsed_mailboxes(parsed, name):
            lines.append(f"{name} parsed: {one_space(text)}")
        for value in plain.get_all(name, []):
            text = str(email.header.make_header(email.header.decode_header(unfold(value))))
            lines.append(f"{name} decoded: {one_space(text)}")
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    show = names if sys.argv[1] == "--names" else describe
    with open(sys.argv[-1], "rb") as stream:
        sys.stdout.buffer.write(show(stream.read()).encode("utf-8", errors="backslashreplace"))
