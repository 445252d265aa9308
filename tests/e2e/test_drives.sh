#!/usr/bin/env bash
# The drive watcher as a user sees it, in one running program: the red
# "connect a drive" look while no removable drive is there (fixed, CD and
# floppy-letter drives do not count), the black "choose" look once a stick
# is plugged in, later sticks appended at the end, the user's choice kept,
# an unplugged stick kept in the list, and drive roots that no longer fit
# the first 100-character query. Drives come and go through Wine's mount
# manager while the program runs; each look is also checked on the screen.
# usage: test_drives.sh <QZ_LoadingModule.exe>   (QZAUTO names qzauto.exe)
# shellcheck disable=SC1003
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init drives

connect_text='ПОДКЛЮЧИТЕ USB-FLASH!'
choose_text='Выберите USB-Flash:'
# A scan runs once a second: a change shows within this many seconds.
tick=2.5

field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1"; }
control() { grep "^id=$1 " <<<"$2"; }

# The drive list: its entries separated by spaces, and the selected index.
entries() { qa combo 102 | sed -n 's/^item[0-9]*=//p' | paste -sd' ' -; }
selection() { qa combo 102 | sed -n 's/^sel=//p'; }
listed() { [[ "$(entries)" == "$1" ]]; }
label_is() { [[ "$(qa text 101)" == "$1" ]]; }

# A Linux folder for each drive letter.
folder() {
  mkdir -p "$E2E_DIR/drives/$1"
  printf '%s' "$E2E_DIR/drives/$1"
}
plug() { qa mount "$1" "$(folder "$1")" "$2" >/dev/null || e2e_abort "mounting $1: as $2 failed"; }

# expect_look <connect|choose> <when>: Label1's text, DeviceBox shown or
# hidden, SaveButton enabled or not.
expect_look() {
  local controls label box button
  controls=$(qa controls)
  label=$(control 101 "$controls")
  box=$(control 102 "$controls")
  button=$(control 103 "$controls")
  if [[ $1 == connect ]]; then
    assert_contains "$label" "text=$connect_text rect=" "$2: Label1 asks to connect a stick"
    assert_eq 0 "$(field "$box" visible)" "$2: DeviceBox is hidden"
    assert_eq 0 "$(field "$button" enabled)" "$2: SaveButton is disabled"
  else
    assert_contains "$label" "text=$choose_text rect=" "$2: Label1 asks to choose a stick"
    assert_eq 1 "$(field "$box" visible)" "$2: DeviceBox is shown"
    assert_eq 1 "$(field "$button" enabled)" "$2: SaveButton is enabled"
    local label_right box_left
    label_right=$(( $(field "$label" rect | cut -d, -f1) + $(field "$label" rect | cut -d, -f3) ))
    box_left=$(field "$box" rect | cut -d, -f1)
    if ((label_right <= box_left)); then
      pass "$2: DeviceBox leaves the prompt uncovered"
    else
      fail "$2: DeviceBox at x=$box_left covers the prompt, which ends at x=$label_right"
    fi
  fi
}

# label_pixels <shot.png>: crops Label1's rectangle out of a screen shot and
# prints "red dark pure_red pure_black last_column width": strongly red
# pixels (R>180, G<80, B<80), dark ones (all below 80), exact RGB 255,0,0
# and 0,0,0, and the rightmost column holding any text (anything far from
# the commonest colour, the background).
label_pixels() {
  local line w h cx cy window wx wy ww wh
  line=$(control 101 "$(qa controls)")
  IFS=, read -r _ _ w h <<<"$(field "$line" rect)"
  # The middle of the label on the screen, less half its size, is its
  # top-left corner whatever frame the window has.
  read -r cx cy < <(qa center 101)
  local left=$((cx - w / 2)) top=$((cy - h / 2))
  window=$(qa window)
  IFS=, read -r wx wy ww wh <<<"$(sed -n 's/^rect=//p' <<<"$window")"
  if ((left < wx || top < wy || left + w > wx + ww || top + h > wy + wh)); then
    echo "label at $left,$top size ${w}x$h lies outside the window $wx,$wy ${ww}x$wh" >&2
    return 1
  fi
  convert "$1" -crop "${w}x${h}+${left}+${top}" +repage -depth 8 txt:- | awk -v width="$w" '
    NR > 1 {
      split($1, at, /[,:]/)
      colour = $0
      sub(/^[^(]*\(/, "", colour)
      sub(/\).*/, "", colour)
      n++; column[n] = at[1]; pixel[n] = colour; seen[colour]++
    }
    function away(a, b) { return a > b ? a - b : b - a }
    END {
      for (c in seen) if (seen[c] > most) { most = seen[c]; background = c }
      split(background, bg, ",")
      last = -1
      for (i = 1; i <= n; i++) {
        split(pixel[i], p, ",")
        if (p[1] > 180 && p[2] < 80 && p[3] < 80) red++
        if (p[1] < 80 && p[2] < 80 && p[3] < 80) dark++
        if (pixel[i] == "255,0,0") pure_red++
        if (pixel[i] == "0,0,0") pure_black++
        if (away(p[1], bg[1]) + away(p[2], bg[2]) + away(p[3], bg[3]) > 90 && column[i] > last) last = column[i]
      }
      printf "%d %d %d %d %d %d\n", red, dark, pure_red, pure_black, last, width
    }'
}

# painted <red|black> <shot.png>: takes a screen shot and succeeds when
# Label1 shows its text in that colour, and whole: no glyph cut at its right
# edge, and a label grown beyond its designed 106 px (at 96 DPI) filled by
# its text to the end (a label too narrow for its text wraps it, and the
# second line falls outside). The counts go to $shot.counts for the report.
painted() {
  local red dark pure_red pure_black last width
  e2e_screenshot "$2" || return 1
  read -r red dark pure_red pure_black last width < <(label_pixels "$2") || return 1
  echo "red=$red dark=$dark pure_red=$pure_red pure_black=$pure_black last_text_column=$last width=$width" >"$2.counts"
  ((last >= 0 && last < width - 1)) || return 1
  ((width <= 106 || last >= width - 4)) || return 1
  if [[ $1 == red ]]; then
    ((red >= 20 && pure_red > 0 && dark == 0))
  else
    ((dark >= 20 && pure_black > 0 && red == 0))
  fi
}

# expect_painted <red|black> <name>: the look on the screen, kept as
# $E2E_DIR/<name>.png (and in QZ_SCREENSHOT_DIR when that is set).
expect_painted() {
  local shot=$E2E_DIR/$2.png
  if e2e_wait_until 4 painted "$1" "$shot"; then
    pass "Label1 is painted in $1, text whole ($(cat "$shot.counts"))"
  else
    fail "Label1 is not painted in $1 with its text whole ($(cat "$shot.counts" 2>/dev/null || echo 'no counts'))"
  fi
  if [[ -n "${QZ_SCREENSHOT_DIR:-}" ]]; then
    mkdir -p "$QZ_SCREENSHOT_DIR"
    cp "$shot" "$QZ_SCREENSHOT_DIR/"
  fi
}

# --- no stick: fixed, CD and floppy-letter drives do not count ---------------
# A: and B: are removable drives, G: is fixed, H: a CD drive.
e2e_drive a removable "$(folder a)"
e2e_drive b removable "$(folder b)"
e2e_drive g fixed "$(folder g)"
e2e_drive h cdrom "$(folder h)"
e2e_start "$exe"
assert_within "$tick" "the first scan shows the red prompt" label_is "$connect_text"
expect_look connect "no stick"
assert_eq "" "$(entries)" "no stick: the list is empty"
expect_painted red drives-connect

# A fixed drive and a CD drive plugged in later leave the list empty.
plug k fixed
plug l cdrom
assert_eq "A:\\ B:\\ C:\\ G:\\ H:\\ K:\\ L:\\ Z:\\" "$(qa logical-drives | paste -sd' ' -)" \
  "the system reports the drives of the case"
types=""
for root in 'A:\' 'B:\' 'G:\' 'H:\' 'K:\' 'L:\'; do types+="$root$(qa drivetype "$root") "; done
assert_eq 'A:\2 B:\2 G:\3 H:\5 K:\3 L:\5 ' "$types" "drive kinds: A: and B: removable, G: and K: fixed, H: and L: CD"
sleep "$tick"  # two more scans
assert_eq "" "$(entries)" "no stick after more scans: fixed, CD, A: and B: are not listed"
expect_look connect "no stick after more scans"

# --- sticks plugged into the running program ---------------------------------
plug f removable
assert_within "$tick" "a stick plugged in as F: is listed within a scan" listed 'F:\'
assert_eq 0 "$(selection)" "F: is selected"
expect_look choose "F: plugged in"
expect_painted black drives-choose

# D: sorts before F: but is appended after it; the selection stays on F:.
plug d removable
assert_within "$tick" "a second stick D: is appended after F:" listed 'F:\ D:\'
assert_eq 0 "$(selection)" "the selection stays on F: when D: arrives"
assert_eq 'F:\' "$(qa text 102)" "DeviceBox shows F:"

# The user picks D:; the next scans (one of them lists E:) keep that choice.
# A removable drive on A: and a fixed one on I: plugged in meanwhile are not
# listed.
qa select 102 1 || fail "selecting D: in DeviceBox failed"
assert_eq 1 "$(selection)" "the user picks D:"
plug a removable
plug i fixed
plug e removable
assert_within "$tick" "a third stick E: is appended; A: and I: are not listed" listed 'F:\ D:\ E:\'
assert_eq 1 "$(selection)" "the user's choice of D: is kept by later scans"
assert_eq 'D:\' "$(qa text 102)" "DeviceBox still shows D:"
expect_look choose "three sticks"

# --- a stick pulled out stays listed -----------------------------------------
e2e_unplug f
assert_eq 1 "$(qa drivetype 'F:\')" "F: has no root directory once unplugged"
plug j removable
assert_within "$tick" "after F: is pulled out it stays first in the list and J: is appended" listed 'F:\ D:\ E:\ J:\'
assert_eq 1 "$(selection)" "the choice of D: is kept after F: is pulled out"
expect_look choose "F: pulled out"
# Plugged in again, F: is not listed twice.
plug f removable
plug m removable
assert_within "$tick" "F: plugged in again is not listed twice; M: is appended" listed 'F:\ D:\ E:\ J:\ M:\'

# --- more drive roots than the first query holds -----------------------------
# Every letter in use: the roots take 26 x 4 characters and the final zero,
# more than the first 100-character buffer. The sticks X: and Y: come last,
# once the other letters are there, so they are only seen through a larger
# buffer.
for letter in n o p q r s t u v w; do plug "$letter" fixed; done
plug x removable
plug y removable
roots=$(qa logical-drives | paste -sd' ' -)
assert_eq "$(printf '%s:\\ ' {A..Z} | sed 's/ $//')" "$roots" "the system reports all 26 drive letters"
assert_within "$tick" "sticks X: and Y: among 26 drive roots are appended" listed 'F:\ D:\ E:\ J:\ M:\ X:\ Y:\'
sleep "$tick"  # two more scans
assert_eq 'F:\ D:\ E:\ J:\ M:\ X:\ Y:\' "$(entries)" "further scans of 26 roots add nothing"
assert_eq 1 "$(selection)" "the choice of D: is kept among 26 drive roots"
expect_look choose "26 drive roots"
expect_painted black drives-choose-many

qa close
e2e_wait_exit 10 && assert_eq 0 "$E2E_APP_STATUS" "the program ends normally"
