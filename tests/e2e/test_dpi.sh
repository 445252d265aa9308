#!/usr/bin/env bash
# At 144 DPI the window keeps its look: every size and position of the
# 96-DPI design is scaled by 1.5, and nothing is clipped.
# usage: test_dpi.sh <QZ_LoadingModule.exe>
# shellcheck disable=SC1003
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init dpi

e2e_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
mkdir -p "$E2E_DIR/stick"
e2e_drive e removable "$E2E_DIR/stick"
e2e_start "$exe"
button_enabled() { qa controls | grep -q '^id=103 .* enabled=1'; }
e2e_wait_until 4 button_enabled || fail "the drive was not picked up"

assert_contains "$(qa window)" "client=531x122" "client area 354 x 81 scaled to 531 x 122"
controls=$(qa controls)
rect_of() { grep "^id=$1 " <<<"$controls" | sed -n 's/.* rect=\([^ ]*\) .*/\1/p'; }
assert_eq "12,60,446,50" "$(rect_of 103)" "SaveButton scaled"
assert_eq "468,60,48,48" "$(rect_of 104)" "RzBmpButton1 scaled"
assert_eq "0,107,531,15" "$(rect_of 105)" "FullVer scaled"
IFS=, read -r lx ly lw lh <<<"$(rect_of 101)"
IFS=, read -r bx by bw bh <<<"$(rect_of 102)"
assert_eq "12,20" "$lx,$ly" "Label1 position scaled"
(( lw >= 159 && lh >= 20 )) && pass "Label1 at least 159 x 20" || fail "Label1 is ${lw}x$lh, smaller than 159 x 20"
assert_eq 12 "$by" "DeviceBox top scaled"
# The closed list cannot be lower than its font needs (Wine's stand-in font
# is taller than MS Sans Serif); it must not grow into the buttons.
(( bh >= 32 && by + bh < 60 )) && pass "DeviceBox closed height $bh: scaled 32 or what its font needs" ||
  fail "DeviceBox closed height $bh"
assert_eq 518 "$((bx + bw))" "DeviceBox keeps its right edge (345 scaled)"
(( bx >= lx + lw )) && pass "the list does not cover the prompt" || fail "the list at x=$bx covers the prompt ending at $((lx + lw))"

e2e_screenshot "${QZ_SCREENSHOT_DIR:-$E2E_DIR}/window-144dpi.png"
qa close
e2e_wait_exit 10 || true
