#!/usr/bin/env python3
"""Writes property lists with Python's plistlib, the independent reference
for our readers, and beside each a canonical dump of what plistlib reads back.

usage: plist_reference.py OUTPUT_DIR
       plist_reference.py --dump FILE...   (each file's dump beside it, as FILE.dump)

For each case NAME: NAME.binary, NAME.xml (unless the case cannot be written
as XML) and NAME.dump. The dump has one line per value, in pre-order:
  string <utf-8 hex> | integer <decimal> | real <IEEE bits hex> | bool 0|1
  date <IEEE bits hex of seconds since 2001> | data <hex>
  array <count> | dict <count>, then "key <utf-8 hex>" before each value,
  keys in ascending order.
"""
import datetime
import os
import plistlib
import struct
import sys

EPOCH_2001 = datetime.datetime(2001, 1, 1)


def bits(x):
    return struct.pack('>d', x).hex()


def dump(value, lines):
    if isinstance(value, bool):
        lines.append('bool %d' % value)
    elif isinstance(value, int):
        lines.append('integer %d' % value)
    elif isinstance(value, float):
        lines.append('real ' + bits(value))
    elif isinstance(value, str):
        lines.append('string ' + value.encode('utf-8').hex())
    elif isinstance(value, bytes):
        lines.append('data ' + value.hex())
    elif isinstance(value, datetime.datetime):
        lines.append('date ' + bits((value - EPOCH_2001).total_seconds()))
    elif isinstance(value, list):
        lines.append('array %d' % len(value))
        for item in value:
            dump(item, lines)
    elif isinstance(value, dict):
        lines.append('dict %d' % len(value))
        for key in sorted(value):
            lines.append('key ' + key.encode('utf-8').hex())
            dump(value[key], lines)
    else:
        raise TypeError(type(value))


def nested(depth):
    value = 'leaf'
    for level in range(depth):
        value = {'level %d' % level: value, 'n': level} if level % 2 else [value, level]
    return value


SHARED = ['shared', 'shared', {'k': 'shared'}]

CASES = {
    'scalars': {
        'string': 'text', 'empty': '', 'integer': 42, 'negative': -7, 'real': 2.5,
        'yes': True, 'no': False, 'when': datetime.datetime(2024, 2, 29, 12, 34, 56),
        'bytes': b'\x00\x01\xfe\xff',
    },
    'integers': [0, 1, 127, 128, 255, 256, 65535, 65536, 2**31 - 1, 2**31, 2**32 - 1, 2**32,
                 2**62, 2**63 - 1, 2**63, 2**63 + 1, 2**64 - 1, -1, -128, -129, -32768,
                 -2**31, -2**31 - 1, -2**63],
    'reals': [0.0, -0.0, 0.1, 1.5, -2.25, 1e300, 5e-324, 123456789.125,
              float('inf'), float('-inf'), float('nan')],
    'unicode': ['h\u00e9llo', '\u65e5\u672c\u8a9e', '\U0001F600', 'a\U0001F600b\U0001F680',
                '\u03a9mega: longer than fifteen units \u2713', 'plain ascii longer than fifteen',
                {'cl\u00e9': 'valeur', '\U0001F511': '\U0001F512'}],
    'dates': [datetime.datetime(2001, 1, 1), datetime.datetime(1970, 1, 1),
              datetime.datetime(1900, 6, 15, 1, 2, 3), datetime.datetime(2100, 12, 31, 23, 59, 59)],
    'data': [b'', b'\x00', bytes(range(256)), b'x' * 14, b'y' * 15],
    'empty_containers': {'array': [], 'dict': {}, 'string': '', 'data': b'',
                         'nested': [[], {}, [[]]]},
    'nested': {'deep': nested(40), 'shared': SHARED, 'again': SHARED},
    'many_objects': list(range(70000)),
    'wide_dict': {'key%03d' % i: i for i in range(300)},
    'top_string': 'a top-level string',
    'top_integer': 2**64 - 1,
    'configuration': {
        'CFBundleName': 'Demo',
        'JavaVM': {'MainClass': 'com.example.Main', 'VMOptionArray': ['-Xmx1g', '-Dx=y z'],
                   'ClassPath': '$APP_ROOT/lib/*', 'StartOnMainThread': True},
        'kvx.minVersion': '11',
    },
}

# Control characters have no place in XML text.
BINARY_ONLY = {
    'control_characters': ['nul\x00inside', '\x01\x1f', 'tab\tand\nnewline'],
}


def dump_files(paths):
    for path in paths:
        with open(path, 'rb') as f:
            lines = []
            dump(plistlib.load(f), lines)
        with open(path + '.dump', 'w') as f:
            f.write('\n'.join(lines) + '\n')


def main():
    if sys.argv[1] == '--dump':
        dump_files(sys.argv[2:])
        return
    out = sys.argv[1]
    for name, value in list(CASES.items()) + list(BINARY_ONLY.items()):
        formats = [('binary', plistlib.FMT_BINARY)]
        if name not in BINARY_ONLY:
            formats.append(('xml', plistlib.FMT_XML))
        for suffix, fmt in formats:
            data = plistlib.dumps(value, fmt=fmt, sort_keys=False)
            with open(os.path.join(out, name + '.' + suffix), 'wb') as f:
                f.write(data)
            lines = []
            dump(plistlib.loads(data), lines)
            with open(os.path.join(out, name + '.' + suffix + '.dump'), 'w') as f:
                f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
