#!/bin/bash
# The status bars page's recipes (docs/status-bars.md), and the warnings
# page's watcher (docs/warnings.md), each run as written by Debian's own
# bar, window manager, notification daemon or terminal under Xvfb, with a
# status line at /proc/apm: tools/screenshots takes each one's picture, and
# tesseract reads it back, which must show the record's text ("87% AC" for
# an 87% laptop on mains).  Control: the bars again, on battery at 7%,
# must show what their records say ("7% LOW", "BAT 7%"), and must not
# read as at 87% on mains.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
page_has docs/status-bars.md "    status_command /usr/share/cellora/i3status-battery"
page_has docs/warnings.md "/usr/share/cellora/battery-watch &"

# What tesseract reads in PICTURE holds TEXT, in colour or in grey
# stretched to black and white, at one of a few enlargements (a small font
# reads better at one than another; Catmull-Rom keeps its strokes whole).
grey() { ppmtopgm | pnmnorm -quiet; }
reads() {  # picture text
  local colour scale lines reading=''
  for colour in cat grey; do
    for scale in 2 3 4; do
      pngtopam "$1" | $colour | pamscale -filter=catrom "$scale" | pnmtopng >"$scratch/big.png"
      for lines in 7 6; do  # tesseract's page layouts: one line, a block
        reading=$(tesseract "$scratch/big.png" - --psm $lines 2>/dev/null | tr '\n' ' ')
        case $reading in *"$2"*) echo "$(basename "$1" .png) shows \"$2\" (read: $reading)"; return 0 ;; esac
      done
    done
  done
  echo "$(basename "$1" .png) does not show \"$2\" (read: $reading)"
  return 1
}
field() {  # name field: what the record says, e.g. its picture shows (reads)
  # shellcheck source=/dev/null
  (. "tools/shots/$1" && echo "${!2}")
}

# NAME's picture in FOLDER shows TEXT; where it does not, it is taken again
# (twice at most: a bar may draw late on a busy machine).
shows() {  # folder name text [option...]
  local folder=$1 name=$2 text=$3 attempt
  shift 3
  for attempt in 1 2 3; do
    [ $attempt -eq 1 ] || tools/screenshots -b "$build/cellora" -o "$folder" "$@" "$name" >/dev/null
    reads "$folder/$name.png" "$text" && return 0
  done
  return 1
}

tools/screenshots -b "$build/cellora" -o "$scratch/shots" >/dev/null
for record in tools/shots/*; do
  shows "$scratch/shots" "${record##*/}" "$(field "${record##*/}" reads)"
done

# The records that say what they show at 7% on battery, taken so.
low_line='1.16ac 1.2 0x03 0x00 0x00 0x01 7% 30 min'
bars=$(grep -l "^low=" tools/shots/* | xargs -n1 basename)
# shellcheck disable=SC2086  # the names
tools/screenshots -b "$build/cellora" -o "$scratch/low" -s "$low_line" $bars >/dev/null
for name in $bars; do
  shows "$scratch/low" "$name" "$(field "$name" low)" -s "$low_line"
  must_fail "$name's reading at 7% on battery as \"$(field "$name" reads)\"" \
    reads "$scratch/low/$name.png" "$(field "$name" reads)"
done
