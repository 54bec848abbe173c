#!/usr/bin/env python3
"""Compares two folders of restyled documents file by file: the Linux build's results and the Windows
build's for the same originals and options. Each pair must be byte for byte the same; a .docx pair may
differ only in the modification time and date of its entries (the time each rewritten part was written,
in the local time of the program that wrote it), which are masked before the bytes are compared.
Prints a line per file that differs and a summary; exits 1 when any file differs or is missing.
    usage: compare_restyled.py LINUX_FOLDER WINDOWS_FOLDER
"""
import struct
import sys
from pathlib import Path

END_OF_DIRECTORY = b"PK\x05\x06"
DIRECTORY_ENTRY = b"PK\x01\x02"
LOCAL_HEADER = b"PK\x03\x04"


def without_entry_times(data: bytes) -> bytes | None:
    """The zip with every entry's DOS time and date zeroed, in the central directory and the local headers;
    None when data is no zip that can be walked."""
    end = data.rfind(END_OF_DIRECTORY)
    if end < 0 or end + 22 > len(data):
        return None
    masked = bytearray(data)
    entries, _, directory_at = struct.unpack_from("<HII", data, end + 10)
    at = directory_at
    for _ in range(entries):
        if data[at:at + 4] != DIRECTORY_ENTRY:
            return None
        masked[at + 12:at + 16] = bytes(4)
        name_length, extra_length, comment_length = struct.unpack_from("<HHH", data, at + 28)
        (local_at,) = struct.unpack_from("<I", data, at + 42)
        if data[local_at:local_at + 4] != LOCAL_HEADER:
            return None
        masked[local_at + 10:local_at + 14] = bytes(4)
        at += 46 + name_length + extra_length + comment_length
    return bytes(masked)


def same_document(linux: bytes, windows: bytes) -> str | None:
    """None when the two are the same; otherwise why not."""
    if linux == windows:
        return None
    masked_linux, masked_windows = without_entry_times(linux), without_entry_times(windows)
    if masked_linux is not None and masked_linux == masked_windows:
        return None
    first = next((i for i, (a, b) in enumerate(zip(linux, windows)) if a != b), min(len(linux), len(windows)))
    return f"differs from byte {first} ({len(linux)} bytes on Linux, {len(windows)} on Windows)"


def main() -> int:
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    linux_root, windows_root = Path(sys.argv[1]), Path(sys.argv[2])
    names = sorted({p.relative_to(linux_root) for p in linux_root.rglob("*") if p.is_file()}
                   | {p.relative_to(windows_root) for p in windows_root.rglob("*") if p.is_file()})
    differing = 0
    for name in names:
        linux, windows = linux_root / name, windows_root / name
        if not linux.is_file() or not windows.is_file():
            reason = "missing on " + ("Linux" if not linux.is_file() else "Windows")
        else:
            reason = same_document(linux.read_bytes(), windows.read_bytes())
        if reason:
            differing += 1
            print(f"{name}: {reason}")
    print(f"{len(names) - differing} of {len(names)} files the same on Linux and Windows")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
