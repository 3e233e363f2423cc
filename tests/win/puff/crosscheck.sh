#!/usr/bin/env bash
# Runs the native fogpuff and fogpuff.exe (under Wine) on generated
# pictures for many argument sets and compares the pictures they write.
#   crosscheck.sh DIST_DIR WINE_RUN
# They must agree byte for byte, with one allowance: on the pixel path
# without blending, a source off the surface hands the failure value
# (all bits set) to the pixel write, and what the platform paints then is
# its own affair: the native surface keeps the low 24 bits (white), Wine
# paints black. So in those runs, and only there, a pixel may be white in
# the native picture where the Windows one has black; any other
# difference fails.
set -uo pipefail
dist=${1:?dist folder}
wine_run=${2:?wine-run}
native="$dist/fogpuff"
windows="$dist/fogpuff.exe"
for program in "$native" "$windows"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "crosscheck: $program is missing (build both halves)" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "crosscheck: ImageMagick's convert is missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# Pictures: odd and even widths (row padding), one tiny.
declare -A widths
make_picture() {  # name width height seed
  convert -seed "$4" -size "$2x$3" plasma:fractal -type TrueColor "BMP3:$1" || exit 1
  widths[$1]=$2
}
make_picture a.bmp 161 121 1
make_picture b.bmp 96 64 2
make_picture c.bmp 7 5 3

failures=0
runs=0
# Compares two written pictures; $3 = 1 allows native white over Windows black.
compare() {
  local native_out=$1 windows_out=$2 allow_white=$3 width=$4
  cmp -s "$native_out" "$windows_out" && return 0
  [ "$allow_white" = 1 ] || return 1
  [ "$(stat -c %s "$native_out")" = "$(stat -c %s "$windows_out")" ] || return 1
  # cmp -l: 1-based offset, native byte, Windows byte (octal). Every
  # differing pixel must differ in all three bytes, 377 against 0.
  { cmp -l "$native_out" "$windows_out" || true; } | awk -v stride=$(( (width * 3 + 3) / 4 * 4 )) '
    { if ($1 <= 54 || $2 != 377 || $3 != 0) bad = 1
      o = $1 - 55; key = int(o / stride) ":" int((o % stride) / 3); count[key]++ }
    END { for (k in count) if (count[k] != 3) bad = 1; exit bad }'
}

run_case() {  # picture path x y radius density power mix seed count
  local picture=$1 path=$2 args
  args=(--path "$path" --x "$3" --y "$4" --radius "$5" --density "$6" --power "$7" --mix "$8" --seed "$9" --count "${10}")
  runs=$((runs + 1))
  if ! "$native" "$picture" native.bmp "${args[@]}" 2>native.err; then
    echo "FAIL native fogpuff ${args[*]}: $(cat native.err)"; failures=$((failures + 1)); return
  fi
  if ! "$wine_run" "$windows" "$picture" windows.bmp "${args[@]}" 2>windows.err; then
    echo "FAIL fogpuff.exe ${args[*]}: $(cat windows.err)"; failures=$((failures + 1)); return
  fi
  local allow_white=0
  [ "$path" = pixels ] && [ "$8" = 0 ] && allow_white=1
  if ! compare native.bmp windows.bmp "$allow_white" "${widths[$picture]}"; then
    echo "FAIL differ: $picture ${args[*]} ($( (cmp -l native.bmp windows.bmp || true) | wc -l) bytes)"
    failures=$((failures + 1))
  fi
}

# A spread of the dialog's settings: both paths, both blends, several
# seeds, radii and powers, centres inside, on edges and corners, outside.
seeds=(1 12345 4294967295 777)
radii=(0 1 2 3 10 37 64 99 100)
powers=(1.0 1.37 2.0 1.16 0)
i=0
for path in buffer pixels; do
  for mix in 0 1; do
    for centre in "80 60" "0 0" "160 120" "-10 60" "80 125" "3 117"; do
      read -r x y <<<"$centre"
      radius=${radii[$(( i % ${#radii[@]} ))]}
      power=${powers[$(( i % ${#powers[@]} ))]}
      seed=${seeds[$(( i % ${#seeds[@]} ))]}
      density=$(( 1 + (i * 7) % 10 ))
      run_case a.bmp "$path" "$x" "$y" "$radius" "$density" "$power" "$mix" "$seed" 2
      i=$((i + 1))
    done
    run_case b.bmp "$path" 48 32 99 10 2.0 "$mix" 99 3
    run_case c.bmp "$path" 3 2 20 10 1.5 "$mix" 5 4
  done
done
# Settings no dialog gives: the results must still agree (and not crash).
run_case a.bmp buffer 80 60 3000 2147483647 2.0 1 3 1
run_case a.bmp buffer 80 60 40 10 1e30 1 3 1
run_case a.bmp buffer 80 60 40 10 nan 0 3 1
run_case a.bmp buffer 80 60 40 10 -3 1 3 1
run_case a.bmp pixels 80 60 40 10 -3 1 3 1
run_case a.bmp pixels 80 60 40 -5 2 1 3 1
run_case a.bmp pixels -2147483648 2147483647 40 10 2 0 3 1
run_case a.bmp buffer 2147483647 -2147483648 40 10 2 0 3 1

# Bad files and arguments: an error exit (1 for files, 2 for usage), never a crash.
printf 'BM but not a picture' > junk.bmp
opts="--path buffer --x 1 --y 1 --radius 5 --density 1 --power 1 --mix 0 --seed 1"
for program in "$native" "$windows"; do
  run=("$program"); [ "$program" = "$windows" ] && run=("$wine_run" "$windows")
  for expect in "1 junk.bmp out.bmp $opts" "1 missing.bmp out.bmp $opts" "1 a.bmp no/such/folder/out.bmp $opts" \
                "2 a.bmp out.bmp --path sideways" "2"; do
    read -r code words <<<"$expect"
    runs=$((runs + 1))
    # shellcheck disable=SC2086
    "${run[@]}" $words >/dev/null 2>&1; got=$?
    [ "$got" = "$code" ] || { echo "FAIL $program $words: exit $got, expected $code"; failures=$((failures + 1)); }
  done
done

echo "$runs argument sets, $failures failed"
[ "$failures" -eq 0 ]
