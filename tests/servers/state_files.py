"""Files in the servers' state folder, written so that readers never see half
of one: into a temporary name first, then renamed into place."""

import json
import os
import pathlib


def write_atomically(path, data):
    path = pathlib.Path(path)
    temporary = path.with_name("." + path.name + ".tmp")
    with open(temporary, "wb") as stream:
        stream.write(data)
        stream.flush()
        os.fsync(stream.fileno())
    os.replace(temporary, path)


def write_json_atomically(path, value):
    # Non-ASCII stays as UTF-8 and undecodable bytes (kept by surrogateescape)
    # go back out as the bytes that arrived.
    text = json.dumps(value, ensure_ascii=False, indent=1, sort_keys=True)
    write_atomically(path, text.encode("utf-8", errors="surrogateescape") + b"\n")
