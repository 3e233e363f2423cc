#!/usr/bin/env bash
# Fuzzes the saver's own picture readers, one libFuzzer target a reader
# (pictures/fuzz/), for SECONDS each (default 60), one after another on one core,
# and prints one line of figures per target. Builds with clang in
# build/fuzz (ZORV_BUILD_ROOT moves it), installing clang first if it is
# missing. Each target starts from the samples in tests/native/pictures,
# the saved inputs in pictures/fuzz/regressions and what earlier runs found
# (build/fuzz/corpus/READER); a crashing input is left in
# build/fuzz/findings: copy it to pictures/fuzz/regressions once its fault is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
root=${ZORV_BUILD_ROOT:-build}
tree=$root/fuzz

command -v clang++ >/dev/null && [ -n "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null |
  grep '/')" ] || tools/install-deps.sh --fuzz
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=None -DZORV_FUZZ=ON -DZORV_SANITIZE=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_CXX_FLAGS="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link $sanitizers" \
      -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$tree" --target jpeg_fuzz png_fuzz bmp_fuzz >/dev/null

mkdir -p "$tree/findings"
status=0
for reader in jpeg png bmp; do
  corpus=$tree/corpus/$reader
  log=$tree/$reader.log
  mkdir -p "$corpus"
  before=$(ls "$tree/findings" | wc -l)
  # Allocations are bounded as the saver's 32-bit process would want them;
  # a run that ends early on a finding still reports its figures.
  "$tree/pictures/fuzz/${reader}_fuzz" "$corpus" tests/native/pictures pictures/fuzz/regressions \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -artifact_prefix="$tree/findings/$reader-" -print_final_stats=1 >"$log" 2>&1 || status=1
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  found=$(($(ls "$tree/findings" | wc -l) - before))
  echo "$reader: ${runs:-0} runs in ${seconds} s, ${coverage:-cov: ? ft: ?} (edges, features)," \
       "corpus $(ls "$corpus" | wc -l) files, findings $found"
  if [ "$found" -gt 0 ]; then
    grep -m1 -A12 'ERROR\|==ERROR\|runtime error\|deadly signal' "$log" | sed 's/^/    /'
  fi
done
[ "$status" -eq 0 ] || echo "findings in $tree/findings (logs: $tree/*.log)"
exit "$status"
