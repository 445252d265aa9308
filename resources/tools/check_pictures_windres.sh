#!/bin/sh
# Checks that windres takes the pictures as the program's resource script
# names them:
#   check_pictures_windres.sh <qz_gen_pictures> <windres>
# Draws them, compiles a script with the same ICON and BITMAP statements, and
# reads the compiled resources back: one icon group of 16, 32 and 48 pixels
# at 32 bits, and the three button bitmaps.
set -u

gen=${1:?usage: check_pictures_windres.sh <qz_gen_pictures> <windres>}
windres=${2:?usage: check_pictures_windres.sh <qz_gen_pictures> <windres>}

tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
failures=0
passes=0
check() {  # check <description> <command...>
  what=$1
  shift
  if "$@"; then passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

"$gen" "$tmp" || { echo "FAIL: qz_gen_pictures failed"; exit 1; }
cat >"$tmp/pictures.rc" <<RC
MAINICON ICON "$tmp/app.ico"
INFO_UP BITMAP "$tmp/info_up.bmp"
INFO_HOT BITMAP "$tmp/info_hot.bmp"
INFO_DOWN BITMAP "$tmp/info_down.bmp"
RC
"$windres" -i "$tmp/pictures.rc" -O res -o "$tmp/pictures.res" || { echo "FAIL: windres rejects the pictures"; exit 1; }
"$windres" -i "$tmp/pictures.res" -J res -O rc -o "$tmp/back.rc" || { echo "FAIL: windres cannot read back"; exit 1; }

count() { grep -c "$1" "$tmp/back.rc"; }
check "not three icon images" [ "$(count 'RT_ICON \*/')" -eq 3 ]
check "no icon group MAINICON" grep -q '"MAINICON" 14 /\* RT_GROUP_ICON' "$tmp/back.rc"
for size in 020 040 060; do  # 16, 32, 48 in octal, as windres prints them
  entry="\"\\$size\\$size\\000\\000\", 1, 32,"
  check "the icon group lacks $entry" grep -qF "$entry" "$tmp/back.rc"
done
for name in INFO_UP INFO_HOT INFO_DOWN; do
  check "no bitmap $name" grep -q "\"$name\" 2 /\\* RT_BITMAP" "$tmp/back.rc"
done

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
