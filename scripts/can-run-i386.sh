#!/usr/bin/env bash
# Exits 0 when this machine can run 32-bit x86 Linux programs (and so 32-bit
# Wine). Some kernels are built or booted without 32-bit emulation; there the
# Windows tests run in the 64-bit build only. The probe is a 93-byte i386 ELF
# that calls exit(0), written here so that nothing 32-bit must be installed.
set -u
probe=$(mktemp)
python3 - "$probe" <<'PY'
import struct, sys
code = bytes([0xB8, 1, 0, 0, 0, 0x31, 0xDB, 0xCD, 0x80])  # mov eax,1; xor ebx,ebx; int 0x80
base = 0x08048000
ehdr = struct.pack('<4sBBBBB7sHHIIIIIHHHHHH', b'\x7fELF', 1, 1, 1, 0, 0, b'\0' * 7,
                   2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
phdr = struct.pack('<IIIIIIII', 1, 0, base, base, 84 + len(code), 84 + len(code), 5, 0x1000)
open(sys.argv[1], 'wb').write(ehdr + phdr + code)
PY
chmod +x "$probe"
"$probe" >/dev/null 2>&1
status=$?
rm -f "$probe"
exit $status
