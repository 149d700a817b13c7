#!/usr/bin/env python3
"""Writes zt-firmware-1.2.hex, the firmware image the wizard carries.

Run by hand when the image has to change (it is not part of the build):
    python3 resources/make-firmware.py > resources/zt-firmware-1.2.hex

The words are 14-bit mid-range instructions laid out as small routines, drawn
from a fixed-seed generator so the file is the same on every run. The layout
(three address runs, 188 records) is what the device's boot loader and the
wizard's progress display were sized for; the asserts at the end refuse a
change that would drift from it.
"""

import sys

# Address runs, in program words: (first word, number of words).
RUN_MAIN = (0x0030, 1360)      # just above the 48 words the boot loader keeps
RUN_MARKER = (0x1000, 1)       # one word, the build's version marker
RUN_LIBRARY = (0x19C0, 127)    # routines at the top of page 3

RETURN = 0x0008
# A few special-function registers and general-purpose RAM the routines use.
REGISTERS = [0x00, 0x03, 0x04, 0x05, 0x06, 0x0A, 0x0B] + list(range(0x20, 0x50))


class XorShift32:
    """A PRNG of our own, so the output never depends on Python's."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def below(self, n):
        return self.next() % n

    def pick(self, items):
        return items[self.below(len(items))]


def instruction(rng, routines):
    """One plausible instruction; CALL goes to a routine already laid out."""
    f = rng.pick(REGISTERS)
    kind = rng.below(12)
    if kind == 0:
        return 0x3000 | rng.below(256)                      # MOVLW k
    if kind == 1:
        return 0x0080 | f                                   # MOVWF f
    if kind == 2:
        return 0x0180 | f                                   # CLRF f
    if kind in (3, 4, 5):                                   # SUBWF .. INCFSZ f,d
        return (rng.below(14) + 2) << 8 | rng.below(2) << 7 | f
    if kind in (6, 7):                                      # BCF/BSF f,b
        return (0x1000 if kind == 6 else 0x1400) | rng.below(8) << 7 | f
    if kind == 8:                                           # BTFSC/BTFSS f,b
        return (0x1800 if rng.below(2) else 0x1C00) | rng.below(8) << 7 | f
    if kind == 9 and routines:
        return 0x2000 | (rng.pick(routines) & 0x07FF)       # CALL k
    if kind == 10:
        return 0x0064                                       # CLRWDT
    return 0x0000                                           # NOP


def routines_run(rng, first, count):
    """Words of one run: routines of 6 to 40 words, each ending in RETURN."""
    words, starts = [], []
    while len(words) < count:
        starts.append(first + len(words))
        length = min(6 + rng.below(35), count - len(words))
        body = [instruction(rng, starts[:-1]) for _ in range(length - 1)]
        words += body + [RETURN]
    return words


def main_run(rng, first, count):
    """The main run: a reset jump over a loop that calls every routine."""
    routines = routines_run(rng, first + 16, count - 16)
    starts = [first + 16 + i for i, w in enumerate(routines) if i == 0 or routines[i - 1] == RETURN]
    loop = [0x0064] + [0x2000 | (s & 0x07FF) for s in starts[:14]] + [0x2800 | (first & 0x07FF)]
    return loop + routines


def records(first_word, words):
    """(byte address, data bytes) pairs: 16-byte records on 16-byte boundaries."""
    data = bytearray()
    for w in words:
        data += bytes((w & 0xFF, w >> 8))
    address, out = first_word * 2, []
    while data:
        size = 16 - address % 16
        out.append((address, bytes(data[:size])))
        address, data = address + size, data[size:]
    return out


def record_text(address, record_type, data):
    body = bytes((len(data), address >> 8, address & 0xFF, record_type)) + data
    checksum = (-sum(body)) & 0xFF
    return ":" + (body + bytes((checksum,))).hex().upper()


def build():
    rng = XorShift32(0x5A7E0102)
    runs = [
        (RUN_MAIN[0], main_run(rng, *RUN_MAIN)),
        (RUN_MARKER[0], [0x3012]),                           # MOVLW 0x12: version 1.2
        (RUN_LIBRARY[0], routines_run(rng, *RUN_LIBRARY)),
    ]
    rows = []
    for first, words in runs:
        assert len(words) == dict([RUN_MAIN, RUN_MARKER, RUN_LIBRARY])[first]
        assert all(w >> 8 <= 0x30 for w in words)
        rows += [record_text(a, 0x00, d) for a, d in records(first, words)]
    rows.append(record_text(0, 0x01, b""))
    return rows


def check(rows):
    assert len(rows) == 188
    sizes = [int(r[1:3], 16) for r in rows]
    assert sizes[170] == 2 and sizes[186] == 14 and sizes[187] == 0
    assert sum(1 for s in sizes if s == 16) == 185
    assert sum(sizes) // 2 == 1488
    assert int(rows[170][3:7], 16) == 0x2000
    assert rows[187] == ":00000001FF"


if __name__ == "__main__":
    lines = build()
    check(lines)
    sys.stdout.write("\n".join(lines) + "\n")
