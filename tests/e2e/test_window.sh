#!/usr/bin/env bash
# The main window as a user meets it: caption, size, style, controls with
# their positions and texts, keyboard order, start-up state and closing.
# usage: test_window.sh <QZ_LoadingModule.exe>   (QZAUTO names qzauto.exe)
# shellcheck disable=SC1003
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init window

control() { grep "^id=$1 " <<<"$controls"; }
field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1"; }

# A flash drive is plugged in before the start: the write button still
# waits for the first scan.
mkdir -p "$E2E_DIR/stick"
e2e_drive e removable "$E2E_DIR/stick"
e2e_start "$exe"
# What the window showed the moment it appeared, before the first scan.
startup_line() { grep "^id=$1 " <<<"$E2E_STARTUP"; }
assert_eq 0 "$(field "$(startup_line 103)" enabled)" "the write button is disabled right after start"
assert_contains "$E2E_STARTUP" "list_count=0" "DeviceBox is empty at start"
assert_eq 1 "$(field "$(startup_line 102)" visible)" "DeviceBox is shown at start"
assert_contains "$(startup_line 101)" "text=Выберите USB-Flash:" "the prompt before the first scan"
controls=$(qa controls)

window=$(qa window)
assert_contains "$window" "title=Загрузочный модуль QZ v6.22" "caption with the short version"
assert_contains "$window" "client=354x81" "client area 354 x 81"
style=$(sed -n 's/^style=0x//p' <<<"$window")
has_style() { (( (16#$style & $1) != 0 )); }
if has_style 0x00C00000 && has_style 0x00080000 && has_style 0x00020000; then
  pass "caption, system menu and minimise box"
else
  fail "window style 0x$style lacks caption, system menu or minimise box"
fi
if has_style 0x00010000 || has_style 0x00040000; then
  fail "window style 0x$style can be maximised or resized"
else
  pass "no maximise box and no sizing border"
fi
read -r wx wy ww wh < <(sed -n 's/^rect=//p' <<<"$window" | tr ',' ' ')
read -r sw sh < <(sed -n 's/^screen=//p' <<<"$window" | tr 'x' ' ')
if (( ${wx#-} - (sw - ww) / 2 <= 1 && (sw - ww) / 2 - wx <= 1 && wy - (sh - wh) / 2 <= 1 && (sh - wh) / 2 - wy <= 1 )); then
  pass "window centred on the screen"
else
  fail "window at $wx,$wy size ${ww}x$wh is not centred on ${sw}x$sh"
fi

# Controls: class, text, position and size at 96 DPI.
expect_control() {  # id class text rect visible tabstop
  local line
  line=$(control "$1")
  assert_contains "$line" "id=$1 class=$2 text=$3 rect=$4 visible=$5" "control $1 ($2 \"$3\")"
  assert_eq "$6" "$(field "$line" tabstop)" "control $1 tab stop"
}
label=$(control 101)
assert_contains "$label" "id=101 class=Static text=Выберите USB-Flash: rect=8,13," "Label1 text and position"
assert_eq 0 "$(field "$label" tabstop)" "Label1 is no tab stop"
# The label is 106 px wide, or as wide as its text in a wider font (Wine's
# stand-in for MS Sans Serif is wider); the list then moves right so the
# prompt is never covered, keeping its right edge.
label_w=$(field "$label" rect | cut -d, -f3)
box_x=128
(( label_w < 106 )) && fail "Label1 narrower than designed: $label_w"
(( 8 + label_w + 6 > box_x )) && box_x=$((8 + label_w + 6))
expect_control 102 ComboBox "" "$box_x,8,$((345 - box_x)),21" 1 1
expect_control 103 Button "Записать прошивку на USB-Flash" "8,40,297,33" 1 1
expect_control 104 Button "" "312,40,32,32" 1 1
expect_control 105 Static "6.22.0.0      " "0,71,354,10" 1 0
assert_eq 3 "$(( $(field "$(control 102)" style | sed 's/0x//' | xargs -I{} printf '%d' 0x{}) & 3 ))" \
  "DeviceBox is a drop-down list, not editable (CBS_DROPDOWNLIST)"

# After the first tick the drive is listed and the button usable.
button_enabled() { qa controls | grep -q '^id=103 .* enabled=1'; }
assert_within 4 "the write button is enabled after the first scan" button_enabled

# Keyboard: Tab and Shift+Tab move through DeviceBox, SaveButton,
# RzBmpButton1; the window must have the X input focus for xdotool.
xwin=$(xdotool search --name "Загрузочный модуль QZ" | head -n 1 || true)
[[ -n "$xwin" ]] && xdotool windowfocus --sync "$xwin" 2>/dev/null || true
focus_is() { [[ "$(qa focus)" == "$1" ]]; }
assert_within 3 "DeviceBox has the focus at start" focus_is 102
order=()
for _ in 1 2 3; do
  xdotool key Tab
  sleep 0.3
  order+=("$(qa focus)")
done
assert_eq "103 104 102" "${order[*]}" "Tab order DeviceBox, SaveButton, RzBmpButton1"
xdotool key shift+Tab
sleep 0.3
assert_eq 104 "$(qa focus)" "Shift+Tab goes back to RzBmpButton1"

e2e_screenshot "${QZ_SCREENSHOT_DIR:-$E2E_DIR}/window.png"

# Space presses the focused button, as in any dialog: here the write button.
xdotool key shift+Tab
assert_within 2 "Shift+Tab reaches the write button" focus_is 103
xdotool key space
box=$(qa msgbox) || true
assert_contains "$box" "caption=Процесс завершен" "Space on the write button writes the firmware"
qa msgbox-ok
qa msgbox >/dev/null && qa msgbox-ok
assert_eq 15 "$(find "$E2E_DIR/stick" -maxdepth 1 -type f | wc -l)" "the fifteen files are on the drive"

qa close
e2e_wait_exit 10 && assert_eq 0 "$E2E_APP_STATUS" "closing the window ends the process"
