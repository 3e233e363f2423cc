#!/usr/bin/env bash
# Compares every picture the saver's own readers take (JPEG, PNG, BMP, by
# their first bytes, whatever the name) with ImageMagick's decode of it,
# raw (no gamma or colour-profile conversion, alpha dropped as the readers
# drop it), pixel for pixel at full size, and prints one line per suite:
#   identical  the same pixels (a JPEG within 2 levels of each channel
#              counts here: the reference library's inverse DCT and
#              upsampling round differently), with how many were exact
#   differ     read by both, pixels apart beyond that, the largest difference
#   refused    ImageMagick reads it, the saver's readers refuse it
#   damaged    ImageMagick refuses it too, or reads it with a warning
#              (a cut-off or corrupt file) where the readers refuse it; and
#              how many of those the readers still read
#   unchecked  too large for ImageMagick's resource limits
#
#   tools/conformance.sh [-v] [DIR...]
# Each DIR is a suite, searched through. Without one: the folders of
# ../shared/suites beside the repository, and the test pictures of the
# Debian packages that ship some, where installed
# (tools/install-deps.sh --conformance installs them). -v lists every
# file that is not identical. Builds build/native's picture_ppm first.
set -uo pipefail
cd "$(dirname "$0")/.."
root=${ZORV_BUILD_ROOT:-build}
verbose=false
[ "${1:-}" = -v ] && { verbose=true; shift; }

if command -v convert-im6.q16 >/dev/null; then
  magick=convert-im6.q16  # the plain convert may be a wrapper that flattens onto white
else
  magick=convert
fi
[ -f "$root/native/build.ninja" ] ||
  cmake -S . -B "$root/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$root/native" --target picture_ppm >/dev/null || exit 1
reader=$root/native/tools/picture_ppm
# ImageMagick refuses a picture wider or taller than its policy allows,
# often without a word.
edge_limit=$("$magick" -list resource | awk '$1 == "Width:" { print $2 }')
case $edge_limit in
*KP) edge_limit=$((${edge_limit%KP} * 1024)) ;;
*MP) edge_limit=$((${edge_limit%MP} * 1048576)) ;;
*[0-9]) ;;
*) edge_limit=1000000000 ;;
esac

suites=("$@")
if [ ${#suites[@]} -eq 0 ]; then
  for dir in ../shared/suites/*/; do [ -d "$dir" ] && suites+=("${dir%/}"); done
  for dir in /usr/libexec/installed-tests/gdk-pixbuf /usr/share/doc/imagemagick-6-common/html \
             /usr/libexec/installed-tests/SDL2_image /usr/share/gocode/src/golang.org/x/image \
             /usr/share/cargo/registry/jpeg-decoder-*; do
    [ -d "$dir" ] && suites+=("$dir")
  done
  [ -d /usr/libexec/installed-tests/gdk-pixbuf ] ||
    echo "(more suites: tools/install-deps.sh --conformance installs the Debian packages with test pictures)"
fi
[ ${#suites[@]} -eq 0 ] && { echo "no suites found" >&2; exit 2; }

reference=$(mktemp --suffix=.ppm)
messages=$(mktemp)
trap 'rm -f "$reference" "$messages"' EXIT

# jpeg, png, bmp, or nothing, by the file's first bytes as the readers judge them.
format_of() {
  case $(head -c 8 "$1" | od -An -tx1 | tr -d ' \n') in
  ffd8ff*) echo jpeg ;;
  89504e470d0a1a0a) echo png ;;
  424d*) echo bmp ;;
  esac
}

status=0
for suite in "${suites[@]}"; do
  declare -i total=0 identical=0 exact=0 differ=0 refused=0 damaged=0 damaged_read=0 unchecked=0 largest=0
  while IFS= read -r -d '' file; do
    format=$(format_of "$file")
    [ -n "$format" ] || continue
    total+=1
    : >"$reference"
    timeout 120 "$magick" "$file[0]" -set colorspace sRGB -alpha off -depth 16 "ppm:$reference" 2>"$messages"
    magick_status=$?
    outcome=$(timeout 120 "$reader" "$file" --against "$reference")
    ours=$?
    verdict=""
    if [ "$magick_status" -ne 0 ] || [ ! -s "$reference" ]; then
      size=0x0
      case $outcome in "no-reference "*) size=${outcome#no-reference } ;; esac
      if grep -q 'exceeds limit\|cache resources exhausted' "$messages" ||
         [ "${size%x*}" -gt "$edge_limit" ] || [ "${size#*x}" -gt "$edge_limit" ]; then
        unchecked+=1
        verdict=unchecked
      else
        damaged+=1
        [ "$ours" -eq 0 ] && { damaged_read+=1; verdict="damaged, read here"; }
      fi
    elif [ "$ours" -ne 0 ] && [ -s "$messages" ]; then
      damaged+=1  # ImageMagick read it but warned: a cut-off or corrupt file it made the best of
    elif [ "$ours" -ne 0 ]; then
      refused+=1
      verdict=refused
    else
      case $outcome in
      identical) identical+=1; exact+=1 ;;
      "differ "*)
        difference=${outcome#differ }
        if [ "$format" = jpeg ] && [ "$difference" -le 2 ]; then
          identical+=1
        else
          differ+=1
          verdict=$outcome
          [ "$difference" -gt "$largest" ] && largest=$difference
        fi
        ;;
      *) differ+=1; verdict=$outcome ;;
      esac
    fi
    $verbose && [ -n "$verdict" ] && echo "  $verdict: $file"
  done < <(find "$suite" -type f -print0 | sort -z)
  echo "$(basename "$suite"): $total pictures: identical $identical ($exact exact), differ $differ" \
       "(largest $largest), refused $refused, damaged $damaged (read here $damaged_read), unchecked $unchecked"
  [ "$differ" -eq 0 ] || status=1
done
exit $status
