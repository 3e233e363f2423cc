#!/usr/bin/env bash
# Fails when a C++ file of the repository is not laid out as clang-format
# lays it out (.clang-format); lists the files. ./test runs it.
#   tools/check-format.sh          check
#   tools/check-format.sh --fix    lay the files out
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
unformatted=()
for file in "${files[@]}"; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "not laid out as .clang-format asks (tools/check-format.sh --fix):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "all ${#files[@]} C++ files laid out as .clang-format asks"
