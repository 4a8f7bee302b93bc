#!/usr/bin/env python3
"""Writes the starting inputs of the fuzz corpora (fuzz/corpus/<target>/seed-*).

The server's seeds are built from protocol/requests.def, so every request
of the table appears with plausible arguments; the library's seeds are a
SysInfo record followed by one event of each type. Inputs found later by
the fuzzer (regressions) live beside them and are never rewritten here.
"""
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
BASE = 1 << 20
WIN, CHILD, PIX, MASK, PIX2 = BASE + 1, BASE + 2, BASE + 3, BASE + 4, BASE + 5


def msg(op, body):
    return struct.pack('<I', ((4 + len(body)) << 8) | op) + body


def colour(v):
    return bytes([v, v, v, 0]) + struct.pack('<I', v)


def table():
    rows = []
    for m in re.finditer(r'^REQ(?:_CLIENT)?\((\d+), (\w+), (\d+), (\w+), "([^"]*)"\)',
                         open(os.path.join(ROOT, 'protocol/requests.def')).read(), re.M):
        rows.append((int(m.group(1)), m.group(2), int(m.group(3)), m.group(4), m.group(5)))
    return rows


def body(op, name, length, sig):
    """Arguments for one request: the first identifier is a pixmap for
    drawing and text, a window otherwise; copies name pixmap then window."""
    ids = [PIX, WIN, 0] if 'P2W' in name else [PIX, PIX2, 0] if 'P2P' in name else \
          [CHILD, MASK] if name == 'SetWinShapeSizeOffset' else [CHILD, WIN] if name == 'SetTransientFlag' else \
          [WIN, PIX] if name == 'SetBackPixmap' else \
          [PIX] if (20 <= op <= 105 or op in (10, 11, 12, 119, 120, 125, 126, 254)) else [WIN]
    ints = iter([4, 6, 40, 30, 3, 2, 5, 7, 1])
    out = b''
    for ch in sig:
        if ch == 'I':
            out += struct.pack('<I', ids.pop(0) if ids else WIN)
        elif ch == 'i':
            out += struct.pack('<i', next(ints, 1))
        elif ch == 'p':
            out += struct.pack('<I', 0x40)
        elif ch == 'b':
            out += b'\x01\0\0\0'
        elif ch == 'c':
            out += colour(0x80)
        elif ch == 'd':
            while (len(out) + 4) % 8:
                out += b'\0'
            out += struct.pack('<d', 45.0)
        elif ch == 'h':
            out += struct.pack('<H', 0x8000)
        elif ch in 'B_':
            out += b'\x01'
        elif ch == 'x':
            out += b'\0\0\0\0'
        elif ch == 'N':
            out += b'reader'.ljust(32, b'\0')
        elif ch == 'P':
            out += b'pixels.raw'.ljust(128, b'\0')
        elif ch == '*':
            pass
    out = out.ljust(length - 4, b'\0')[:length - 4]
    if name == 'UpdatePixmap':
        out = struct.pack('<IiiIii', PIX, 0, 1, 40, 1, 8) + bytes(range(40))
    elif name in ('DrawPolygon', 'FillPolygon'):
        xs, ys = [1, 30, 15, 2], [1, 5, 25, 20]
        out = struct.pack('<III', PIX, len(xs), 0x30) + struct.pack('<4i', *xs) + struct.pack('<4i', *ys)
    elif name in ('TextOutS', 'TextOutD', 'TextOutSingle', 'TextOutDouble'):
        text = 'Hi \u4e2d'.encode('utf-8') if op != 120 else b'\xd6\xd0\xce\xc4'
        if op in (119, 120):
            out = struct.pack('<IiiiiIp'.replace('p', 'I'), PIX, 0, 16, 2, 20, len(text), 0) + text
        else:
            out = struct.pack('<IIiiII', PIX, 0, 2, 20, len(text), 0) + text
    elif name == 'TextOutSimple':
        text = 'Ab\u4e2d'.encode('utf-16-le')
        out = struct.pack('<IIiiIIIII', PIX, 18, 2, 20, 0, 0, 3, 0, 0) + text
    elif name == 'UserMessage':
        data = b'\x01hello'
        out = b'home'.ljust(32, b'\0') + b'reader'.ljust(32, b'\0') + struct.pack('<IIII', 1, 2, 7, len(data)) + \
            data + b'\0\0\0\0'
    return out


def prelude():
    return b''.join([
        msg(121, b'fuzzclient'.ljust(32, b'\0') + struct.pack('<II', 1, 1234)),
        msg(1, struct.pack('<IIiiiiIB3x', WIN, 0, 0, 0, 600, 800, 255, 0)),
        msg(18, struct.pack('<II', WIN, 1)),
        msg(16, struct.pack('<II', WIN, 1)),
        msg(5, struct.pack('<II', WIN, 0)),
        msg(1, struct.pack('<IIiiiiIB3x', CHILD, WIN, 20, 30, 200, 100, 128, 0)),
        msg(16, struct.pack('<II', CHILD, 1)),
        msg(5, struct.pack('<II', CHILD, 0)),
        msg(10, struct.pack('<IiiI', PIX, 64, 48, 8)),
        msg(10, struct.pack('<IiiI', PIX2, 64, 48, 8)),
        msg(10, struct.pack('<IiiI', MASK, 40, 40, 1)),
        msg(20, struct.pack('<IiiiiI', MASK, 0, 0, 40, 20, 0xFF)),
    ])


def write(target, name, data):
    d = os.path.join(HERE, 'corpus', target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), 'wb') as f:
        f.write(data)


def server_seeds():
    rows = table()
    skip = {253, 255, 1, 2, 10, 11}
    groups = {'draw': lambda op: 20 <= op <= 105 or op in (119, 120, 126),
              'windows': lambda op: op < 20 or op in (106, 107, 108, 109, 111, 117, 118, 138, 130, 141, 142, 146),
              'control': lambda op: op in (110, 121, 122, 123, 124, 125, 127, 128, 129, 131, 132, 133, 134, 135,
                                           136, 137, 139, 140, 143, 144, 145, 254)}
    for g, pick in groups.items():
        stream = prelude()
        for op, name, length, kind, sig in rows:
            if op in skip or not pick(op):
                continue
            stream += msg(op, body(op, name, length, sig))
        stream += msg(2, struct.pack('<I', CHILD)) + msg(11, struct.pack('<I', PIX2))
        write('server_requests', 'seed-' + g, stream)
    # Window changes that expose: raise, move, resize and unmap over siblings.
    w2 = BASE + 9
    stream = prelude() + b''.join([
        msg(1, struct.pack('<IIiiiiIB3x', w2, 0, 100, 100, 300, 300, 200, 0)),
        msg(16, struct.pack('<II', w2, 1)), msg(5, struct.pack('<II', w2, 0)),
        msg(109, struct.pack('<IIii', w2, MASK, 3, 3)),
        msg(3, struct.pack('<I', WIN)), msg(8, struct.pack('<Iiii', w2, 10, -5, 0)),
        msg(7, struct.pack('<Iii', CHILD, 300, 20)), msg(9, struct.pack('<Iiiiii', w2, -20, 500, 700, 400, 0)),
        msg(111, struct.pack('<Iiiii', WIN, 0, 0, 600, 760)), msg(6, struct.pack('<II', WIN, 0)),
        msg(5, struct.pack('<II', WIN, 0)), msg(110, struct.pack('<I', 1)),
        msg(13, struct.pack('<IIIiiiiiiI', PIX, CHILD, 0, 0, 0, 64, 48, 5, 5, 0)),
        msg(2, struct.pack('<I', WIN)), msg(255, b'\0\0\0\0'),
    ])
    write('server_requests', 'seed-expose', stream)
    # Framing: a header-only request, an unknown opcode, then a bad length.
    write('server_requests', 'seed-framing',
          msg(128, b'') + msg(200, b'abcd') + msg(20, b'\0' * 8) + struct.pack('<I', (2 << 8) | 20))


def gui_seeds():
    fixed = bytearray(1172)
    struct.pack_into('<I', fixed, 0, (99092 << 8) | 1)
    struct.pack_into('<iiiiiiIII', fixed, 8, 600, 800, 600, 800, 8, 0, BASE, 0xFFFFF, 1)
    fixed[1168] = 0
    main, child, leaf = BASE + 1, BASE + 2, BASE + 3

    def ev(t, b):
        return struct.pack('<I', ((4 + len(b)) << 8) | t) + b

    events = b''.join([
        ev(124, bytes(32) + struct.pack('<I', 1)),
        ev(16, struct.pack('<I', main) + bytes(24)),
        ev(2, struct.pack('<IiiI', main, 5, 6, 1) + bytes(8)),
        ev(4, struct.pack('<IiiI', main, 50, 60, 1) + bytes(8)),
        ev(3, struct.pack('<IiiI', main, 50, 60, 1) + bytes(8)),
        ev(5, struct.pack('<IiiI', child, 1, 1, 0) + bytes(8)),
        ev(9, struct.pack('<IIIIII', child, 42, 102, 0, 0, 0) + bytes(12) + b'f\0'),
        ev(9, struct.pack('<IIIIII', main, 40, 103, 0, 0, 1) + bytes(12)),
        ev(13, struct.pack('<I', child)), ev(14, struct.pack('<I', child)),
        ev(21, struct.pack('<IiiII', main, 800, 600, 1, 0)),
        ev(23, struct.pack('<II', main, 2)),
        ev(122, b'home'.ljust(32, b'\0') + b'gui'.ljust(32, b'\0') + struct.pack('<IIII', 1, 2, 170, 2) +
           b'\x01x\0\0\0\0'),
        ev(6, struct.pack('<IiiI', leaf, 1, 1, 0) + bytes(8)),
        ev(16, struct.pack('<I', leaf) + bytes(24)),
        ev(255, bytes(4)),
    ])
    head = struct.pack('<HBB', len(fixed), 124, 0)
    write('gui_events', 'seed-events', head + bytes(fixed) + events)
    write('gui_events', 'seed-dialog', struct.pack('<HBB', len(fixed), 124, 1) + bytes(fixed) + events)
    # A character-information block announced in the header.
    blk = bytearray(fixed)
    struct.pack_into('<I', blk, 0, ((99092 + 16) << 8) | 1)
    write('gui_events', 'seed-charinfo', struct.pack('<HBB', len(blk), 9, 2) + bytes(blk) + bytes(range(16)) + events)


def text_seeds():
    write('text', 'seed-lang', '# comment\n[public]\nOK=好\nCancel=取消\n[menu]\nOpen=打开\r\nbad line\n[x]\n=v\nk=\n'
          .encode('utf-8'))
    write('text', 'seed-gb', b'[ab]\nkey=\xd6\xd0\xce\xc4\xa1\xa1abc\x81\x30\n')


if __name__ == '__main__':
    server_seeds()
    gui_seeds()
    text_seeds()
