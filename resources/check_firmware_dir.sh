#!/usr/bin/env bash
# The firmware generator with real images from a folder: every image is
# taken byte for byte, and a missing one stops the build with its name.
#   check_firmware_dir.sh <qz_gen_firmware> <variant table>
set -uo pipefail
gen=$1 table=$2
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
failures=0
ok() { echo "ok   - $*"; }
bad() { echo "FAIL - $*"; failures=$((failures + 1)); }
names=(QZ1769_m.dat QZ_rus.rub QZ_kaz.kzt QZ_rus.kzt QZ_eng.eur QZ_lva.eur QZ_fre.tnd QZ_tkm.tmt QZ_blg.bgn
       QZ_arm.amd QZ_geo.gel QZ_rus.kgs QZ_kot.fcf QZ_rus.uzs)
mkdir -p "$tmp/images" "$tmp/out"
for i in "${!names[@]}"; do
  head -c $((1000 + i * 37)) /dev/urandom >"$tmp/images/${names[$i]}"
done

if "$gen" "$tmp/out" "$table" "$tmp/images" 2>"$tmp/err"; then
  ok "a complete folder is taken"
  for i in "${!names[@]}"; do
    cmp -s "$tmp/images/${names[$i]}" "$tmp/out/Firmware$i.bin" || bad "Firmware$i.bin is not ${names[$i]}"
  done
  cmp -s "$table" "$tmp/out/Languages.bin" && ok "variant table embedded as it is" || bad "Languages.bin differs"
  grep -q "^Firmware13 RCDATA \"$tmp/out/Firmware13.bin\"$" "$tmp/out/payloads.rc" &&
    ok "resource script names the images" || bad "resource script: $(cat "$tmp/out/payloads.rc")"
  [[ $failures -eq 0 ]] && ok "every image byte for byte"
else
  bad "a complete folder was refused: $(cat "$tmp/err")"
fi

rm "$tmp/images/QZ_geo.gel"
rm -rf "$tmp/out"; mkdir -p "$tmp/out"
if "$gen" "$tmp/out" "$table" "$tmp/images" 2>"$tmp/err"; then
  bad "a folder without QZ_geo.gel was accepted"
else
  grep -q 'QZ_geo.gel' "$tmp/err" && ok "a missing image is named: $(cat "$tmp/err")" || bad "unclear message: $(cat "$tmp/err")"
  [[ -e "$tmp/out/payloads.rc" ]] && bad "a resource script was written anyway" || ok "no resource script for an incomplete set"
fi
: >"$tmp/images/QZ_geo.gel"
"$gen" "$tmp/out" "$table" "$tmp/images" 2>/dev/null && bad "an empty image was accepted" || ok "an empty image is refused"

[[ $failures -eq 0 ]] || exit 1
