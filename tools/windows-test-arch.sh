#!/usr/bin/env bash
# Prints which build the Windows tests run on: i686, the shipped build,
# where this machine runs 32-bit programs; x86_64 where its kernel runs
# none (some kernels are built or booted with 32-bit emulation off; 32-bit
# Wine then fails with "Exec format error"). The x86-64 build is the same
# code, compiled for 64-bit Windows and run under 64-bit Wine; it is never
# shipped.
if /usr/lib/wine/wine --version >/dev/null 2>&1 || ! [ -e /usr/lib/wine/wine ]; then
  echo i686
else
  echo x86_64
fi
