#!/usr/bin/env python3
"""check-binaries.py [--machine i386|amd64] VERSION FILE...

Reads each Windows binary's headers and version record, without Windows or
Wine, and fails unless every one is built for the machine (i386 by default:
Torvane is a 32-bit program and loads only a 32-bit plug-in) and carries the
release VERSION (as in the file VERSION: "1.2.3") in its numbers and texts,
with the company and product names the installation shows. Prints one line
per file, so that a failure names what differs.
"""
import struct
import sys

MACHINES = {'i386': 0x14C, 'amd64': 0x8664}
RT_VERSION = 16
COMPANY = 'Brennick'
PRODUCT = 'Vexa'


class BadFile(Exception):
    pass


class PeImage:
    def __init__(self, path):
        with open(path, 'rb') as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b'MZ':
            raise BadFile('no MZ header')
        pe = struct.unpack_from('<I', d, 0x3C)[0]
        if d[pe:pe + 4] != b'PE\0\0':
            raise BadFile('no PE header')
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from('<HHIIIHH', d, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from('<H', d, optional)[0]
        directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
        if directories < optional:
            raise BadFile('unknown optional header 0x%x' % magic)
        self.resource_rva, self.resource_size = struct.unpack_from('<II', d, directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, rva, raw_size, raw = struct.unpack_from('<8sIIII', d, table + 40 * i)
            self.sections.append((rva, max(vsize, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise BadFile('address 0x%x is in no section' % rva)

    def resource(self, type_id):
        """The first resource of a numeric type (any name, any language)."""
        if not self.resource_rva:
            return None
        base = self.offset(self.resource_rva)
        entry = self._entries(base, 0, type_id)
        # Below the type: a name level and a language level; the first of each.
        for _ in range(2):
            if entry is None or not entry & 0x80000000:
                return None
            entry = self._entries(base, entry & 0x7FFFFFFF, None)
        if entry is None or entry & 0x80000000:
            return None
        rva, size = struct.unpack_from('<II', self.data, base + entry)
        start = self.offset(rva)
        return self.data[start:start + size]

    def _entries(self, base, directory, wanted):
        named, numbered = struct.unpack_from('<HH', self.data, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from('<II', self.data, base + directory + 16 + 8 * i)
            if wanted is None or (not name & 0x80000000 and name == wanted):
                return target
        return None


def blocks(data, start, end):
    """The version record's nested blocks: (key, value bytes, children start, block end)."""
    while start + 6 <= end:
        length, value_length, value_type = struct.unpack_from('<HHH', data, start)
        if length == 0:
            break
        block_end = start + length
        key_end = start + 6
        while data[key_end:key_end + 2] != b'\0\0':
            key_end += 2
        key = data[start + 6:key_end].decode('utf-16-le')
        value = (key_end + 2 + 3) & ~3
        value_bytes = value_length * 2 if value_type == 1 else value_length
        children = (value + value_bytes + 3) & ~3
        yield key, data[value:min(value + value_bytes, block_end)], children, block_end
        start = (block_end + 3) & ~3


def version_record(data):
    root = next(blocks(data, 0, len(data)), None)
    if root is None or root[0] != 'VS_VERSION_INFO':
        raise BadFile('no VS_VERSION_INFO record')
    _, fixed, children, end = root
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from('<IIIIII', fixed)
    if signature != 0xFEEF04BD:
        raise BadFile('the fixed version part has no signature')
    numbers = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    texts = {}
    for key, _, table_start, table_end in blocks(data, children, end):
        if key != 'StringFileInfo':
            continue
        for _, _, strings_start, strings_end in blocks(data, table_start, table_end):
            for name, value, _, _ in blocks(data, strings_start, strings_end):
                texts[name] = value.decode('utf-16-le').split('\0')[0]
    return numbers(file_ms, file_ls), numbers(product_ms, product_ls), texts


def main(argv):
    machine = 'i386'
    if len(argv) > 2 and argv[0] == '--machine':
        machine = argv[1]
        argv = argv[2:]
    if len(argv) < 2 or machine not in MACHINES:
        sys.exit(__doc__)
    version, files = argv[0], argv[1:]
    parts = [int(p) for p in version.split('.')]
    if not 1 <= len(parts) <= 4:
        sys.exit('a version has one to four numbers: ' + version)
    four = tuple(parts + [0] * (4 - len(parts)))
    expected = {
        'file version': four,
        'product version': four,
        'FileVersion': '.'.join(map(str, four)),
        'ProductVersion': version,
        'CompanyName': COMPANY,
        'ProductName': PRODUCT,
    }
    failed = False
    for path in files:
        name = path.replace('\\', '/').rsplit('/', 1)[-1]
        try:
            image = PeImage(path)
            record = image.resource(RT_VERSION)
            if record is None:
                raise BadFile('no version record')
            file_numbers, product_numbers, texts = version_record(record)
        except (OSError, BadFile, struct.error, UnicodeDecodeError) as e:
            print('%s: %s' % (name, e))
            failed = True
            continue
        found = dict(texts)
        found['file version'] = file_numbers
        found['product version'] = product_numbers
        problems = []
        if image.machine != MACHINES[machine]:
            problems.append('machine 0x%x, not %s' % (image.machine, machine))
        for key, want in expected.items():
            if found.get(key) != want:
                problems.append('%s %r, not %r' % (key, found.get(key), want))
        if texts.get('OriginalFilename', '').lower() != name.lower():
            problems.append('OriginalFilename %r' % texts.get('OriginalFilename'))
        print('%s: %s, version %s (%s), %s %s%s' % (
            name, machine if image.machine == MACHINES[machine] else 'machine 0x%x' % image.machine,
            texts.get('ProductVersion'), texts.get('FileVersion'), texts.get('CompanyName'),
            texts.get('ProductName'), ''.join('\n  ' + p for p in problems)))
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
