#!/usr/bin/env bash
# Fails when a Windows program imports, by its import table, a function
# that is missing from the list of functions that Windows 95 and NT 4.0
# both export (tools/windows-95-nt4-exports.txt). A real loader refuses to
# start a program with an import its system lacks; Wine has them all, so
# no other test would notice. Functions of later systems are looked up at
# run time instead.
#   tools/check-imports.sh PROGRAM [LIST]
set -euo pipefail
program=$1
list=${2:-$(dirname "$0")/windows-95-nt4-exports.txt}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

# DLL!Function for every import, DLL names in capitals.
imports=$("$objdump" -p "$program" | awk '
  /DLL Name:/ { dll = toupper($3) }
  /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll "!" $3 }' | sort -u)
[ -n "$imports" ] || { echo "check-imports: no imports read from $program" >&2; exit 2; }

# The list: a "[DLL]" line starts a DLL's functions; "#" starts a comment.
allowed=$(awk '
  { sub(/#.*/, "") }
  /^\[.*\]/ { dll = toupper(substr($1, 2, length($1) - 2)); next }
  NF { print dll "!" $1 }' "$list" | sort -u)

missing=$(comm -23 <(echo "$imports") <(echo "$allowed"))
count=$(echo "$imports" | wc -l)
if [ -n "$missing" ]; then
  echo "$program imports what Windows 95 or NT 4.0 lacks (look these up at run time):"
  echo "$missing" | sed 's/^/  /'
  exit 1
fi
echo "$program: all $count imports are on the list of Windows 95 and NT 4.0"
