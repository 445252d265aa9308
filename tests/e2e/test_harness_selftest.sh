#!/usr/bin/env bash
# Self-test of the end-to-end harness: drives qzdemo with qzauto through
# lib.sh under Wine and Xvfb, and checks each command against what the demo
# is known to do (see the top of qzauto/demo_window.cpp).
# usage: test_harness_selftest.sh <qzdemo.exe> <qzauto.exe>
# shellcheck disable=SC1003  # drive roots such as 'F:\' end in a backslash
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ $# -ne 2 || ! -f "$1" || ! -f "$2" ]]; then
  echo "usage: $0 <qzdemo.exe> <qzauto.exe>" >&2
  exit 2
fi
demo=$(realpath "$1")
QZAUTO=$(realpath "$2")
export QZAUTO
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init harness_selftest

combo_has() { qa combo 102 | grep -qxF "$1"; }
combo_lacks() { ! qa combo 102 | grep -qF "$1"; }
drives_lack() { ! qa logical-drives | grep -qxF "$1"; }
no_tooltip() { ! qa tooltip; }

# --- before the program runs ---------------------------------------------
assert_status 2 "an unknown command is a usage error" qa no-such-command
assert_status 2 "a missing argument is a usage error" qa text
assert_status 1 "window lookup fails while no program runs" qa window
assert_status 1 "wait-window gives up while no program runs" qa wait-window 300

mkdir -p "$E2E_DIR/stick-f" "$E2E_DIR/stick-g" "$E2E_DIR/disk-h"
e2e_drive f removable "$E2E_DIR/stick-f"
assert_eq 2 "$(qa drivetype 'F:\')" "F: is removable before the program starts"

e2e_start "$demo"

# --- window and controls -------------------------------------------------
window=$(qa window)
assert_contains "$window" "title=QZ demo" "window title"
assert_contains "$window" "client=400x220" "client size"
assert_contains "$window" "rect=100,80," "window position"
assert_contains "$window" "screen=1024x768" "screen size of the Xvfb display"
assert_contains "$window" "pid=" "process id"

controls=$(qa controls)
assert_eq "101 102 103 104 105" "$(sed -n 's/^id=\([0-9]*\) .*/\1/p' <<<"$controls" | paste -sd ' ')" \
  "controls listed in z-order"
assert_contains "$controls" \
  "id=101 class=Static text=Pick a drive: rect=8,12,120,20 visible=1 enabled=1 tabstop=0" "label line"
assert_contains "$controls" "id=103 class=Button text=Save rect=300,8,90,26 visible=1 enabled=1 tabstop=1" \
  "button line"
combo_height=$(sed -n 's/^id=102 class=ComboBox .* rect=132,8,160,\([0-9]*\) .*/\1/p' <<<"$controls")
if [[ -n "$combo_height" && "$combo_height" -lt 40 ]]; then
  pass "combo box rect is its closed field (height $combo_height)"
else
  fail "combo box rect: expected 132,8,160,<closed height>, got: $(grep '^id=102' <<<"$controls")"
fi
assert_eq "B" "$(sed -n 's/^id=104 .* style=0x.......\(.\)$/\1/p' <<<"$controls")" "picture button is owner-drawn"
assert_eq "Pick a drive:" "$(qa text 101)" "text of the label"
assert_status 1 "text of a missing control fails" qa text 999
assert_eq 102 "$(qa focus)" "the combo box has the focus at start"

# --- drives --------------------------------------------------------------
assert_contains "$(qa combo 102)" 'item0=F:\' "a drive plugged in before the start is listed"
qa mount g "$E2E_DIR/stick-g" removable
assert_within 3 "a drive mounted while running shows up in the combo box" combo_has 'item1=G:\'
assert_eq 2 "$(qa drivetype 'G:\')" "G: is removable"
qa mount h "$E2E_DIR/disk-h" fixed
assert_eq 3 "$(qa drivetype 'H:\')" "H: is fixed"
assert_contains "$(qa logical-drives)" 'H:\' "H: is a logical drive"
sleep 1.5
assert_not_contains "$(qa combo 102)" 'H:\' "the demo does not list a fixed drive"

e2e_unplug g
assert_within 3 "G: is no longer a logical drive after unmount" drives_lack 'G:\'
assert_eq 1 "$(qa drivetype 'G:\')" "G: has no root after unmount"
assert_within 3 "the demo drops G: after unmount" combo_lacks 'G:\'

qa select 102 0
assert_eq 'Selected: F:\' "$(qa text 105)" "select notifies the window as a user's pick does"
assert_contains "$(qa combo 102)" "sel=0" "selection index"
assert_status 1 "selecting a missing item fails" qa select 102 7

# --- tool tip ------------------------------------------------------------
assert_status 1 "no tool tip before hovering" qa tooltip
e2e_hover 103
if e2e_wait_until 5 qa tooltip; then
  assert_eq 'Writes the files\nto the drive' "$(qa tooltip)" "tool tip text, line break as \\n"
else
  fail "no tool tip within 5 s of hovering over the Save button"
fi
xdotool mousemove 1 1
assert_within 5 "tool tip hides when the mouse leaves" no_tooltip

# --- message boxes -------------------------------------------------------
assert_status 0 "no message box before a click" qa no-msgbox 200
qa click 103
box=$(qa msgbox) || e2e_abort "no message box after clicking Save"
assert_eq $'caption=QZ demo\ntext=Nothing to save\nicon=error' "$box" "error message box"
assert_eq 0 "$(qa focus)" "the focus is in the message box, not on a control"
assert_status 1 "no-msgbox fails while a box is shown" qa no-msgbox 100
qa msgbox-ok
assert_status 0 "the message box is gone after msgbox-ok" qa no-msgbox 300

for icon in warning info question none; do
  qa click 104
  assert_contains "$(qa msgbox)" "icon=$icon" "picture button box with icon $icon"
  qa msgbox-ok
done
assert_status 1 "msgbox waits in vain when none is shown" qa msgbox 300

# --- closing -------------------------------------------------------------
qa close
e2e_wait_exit 10 && assert_eq 0 "$E2E_APP_STATUS" "the demo exits with status 0 after close"
assert_status 1 "window lookup fails after the program ended" qa window
