#!/usr/bin/env bash
# Installs and builds what is missing, sends a sample message with smtpsend
# to the project's local test SMTP server, then shows what the server
# received: envelope, headers and MIME structure.
#
#   scripts/demo.sh [BUILD_DIR]        (default: build)
#
# The server runs on 127.0.0.1 with its state in a temporary folder of its
# own; both go away when the script ends.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
python=/usr/bin/python3
servers="$root/tests/servers"
smtpsend="$build/tools/smtpsend/smtpsend"

"$root/scripts/build.sh" "$build" >/dev/null

work="$(mktemp -d "${TMPDIR:-/tmp}/smtpsend-demo.XXXXXX")"
state="$work/server"

finish() {
    "$python" "$servers/fixture.py" stop smtp "$state" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap finish EXIT

echo "== Starting the test SMTP server"
"$python" "$servers/fixture.py" start smtp "$state" >/dev/null
port="$("$python" -c 'import json, sys; print(json.load(open(sys.argv[1]))["starttls"])' \
        "$state/ports.json")"
echo "STARTTLS listener on 127.0.0.1:$port (login alice, self-signed certificate)"

# A 16x16 PNG drawn with the standard library, and a small attachment.
"$python" - "$work/logo.png" <<'PYTHON'
import struct, sys, zlib

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

size = 16
rows = b"".join(b"\x00" + b"".join(bytes((255 * x // size, 96, 255 * y // size)) for x in range(size))
                for y in range(size))
with open(sys.argv[1], "wb") as png:
    png.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0))
              + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
PYTHON
printf 'Agenda\n1. Welcome\n2. Café and cake\n' > "$work/agenda.txt"

echo
echo "== Sending with smtpsend"
# smtpsend checks the server's certificate by default; this local server's is
# self-signed, so the demo turns the check off explicitly with --insecure.
SMTPSEND_DEMO_PASSWORD=secret "$smtpsend" \
    --server 127.0.0.1 --port "$port" --insecure \
    --user alice --password-env SMTPSEND_DEMO_PASSWORD \
    --from "Zoë Ångström <zoe@example.org>" \
    --to "山田 太郎 <taro@example.jp>" \
    --cc "François Müller <francois@example.fr>" \
    --subject "Grüße aus Tōkyō — 東京からこんにちは ✓" \
    --text "Hello Taro, the agenda is attached. — Zoë" \
    --html '<p>Hello <b>Taro</b>, the agenda is attached.</p><p><img src="cid:logo"></p><p>— Zoë</p>' \
    --inline "$work/logo.png=logo" \
    --attach "$work/agenda.txt" \
    2> "$work/trace.txt" || { cat "$work/trace.txt" >&2; exit 1; }

echo
echo "== What the server received"
"$python" - "$state/mail" "$servers/describe_mail.py" <<'PYTHON'
import json, pathlib, subprocess, sys

folder, describe_mail = pathlib.Path(sys.argv[1]), sys.argv[2]
newest = max(folder.glob("[0-9]*.json"), key=lambda path: int(path.stem))
envelope = json.loads(newest.read_text())
print("envelope from:", envelope["mail_from"])
print("envelope to:  ", ", ".join(envelope["rcpt_tos"]))
print("TLS:", "yes" if envelope["tls"] else "no", "  login:", envelope["auth_user"] or "none")
print(flush=True)
sys.exit(subprocess.run([sys.executable, describe_mail, str(folder / envelope["raw"])]).returncode)
PYTHON
