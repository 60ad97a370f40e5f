"""Certificates for the TLS listeners, made fresh with the openssl tool.

Two server identities for localhost and 127.0.0.1: one self-signed, and one
issued by a throw-away test certificate authority whose certificate clients
can be told to trust.
"""

import pathlib
import subprocess

KEY_OPTIONS = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
SERVER_NAMES = "subjectAltName=DNS:localhost,IP:127.0.0.1"
OPENSSL_TIMEOUT_S = 30


def _openssl(*args):
    subprocess.run(["openssl", *args], check=True, timeout=OPENSSL_TIMEOUT_S,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def _self_signed(folder):
    cert, key = folder / "self_signed.pem", folder / "self_signed.key"
    _openssl("req", "-x509", *KEY_OPTIONS, "-days", "3", "-subj", "/CN=localhost",
             "-addext", SERVER_NAMES, "-keyout", str(key), "-out", str(cert))
    return cert, key


def _authority(folder):
    cert, key = folder / "ca.pem", folder / "ca.key"
    _openssl("req", "-x509", *KEY_OPTIONS, "-days", "3", "-subj", "/CN=SMTPClient Test CA",
             "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign",
             "-keyout", str(key), "-out", str(cert))
    return cert, key


def _issued(folder, ca_cert, ca_key):
    cert, key, request = folder / "server.pem", folder / "server.key", folder / "server.csr"
    extensions = folder / "server.ext"
    extensions.write_text(SERVER_NAMES + "\nbasicConstraints=CA:FALSE\n"
                          "extendedKeyUsage=serverAuth\n")
    _openssl("req", *KEY_OPTIONS, "-subj", "/CN=localhost",
             "-keyout", str(key), "-out", str(request))
    _openssl("x509", "-req", "-in", str(request), "-CA", str(ca_cert), "-CAkey", str(ca_key),
             "-set_serial", "2", "-days", "3", "-extfile", str(extensions), "-out", str(cert))
    return cert, key


def make_certificates(folder):
    """Writes the certificates into folder; returns {"self_signed": (cert, key),
    "ca_issued": (cert, key), "ca": cert}."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    ca_cert, ca_key = _authority(folder)
    return {
        "self_signed": _self_signed(folder),
        "ca_issued": _issued(folder, ca_cert, ca_key),
        "ca": ca_cert,
    }
