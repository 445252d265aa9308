#!/usr/bin/env bash
# The change list behind the picture button: its tool tip, saving the
# embedded document as Changes.pdf beside the program and opening it in the
# program registered for .pdf files, and the one error box when the document
# cannot be saved or no program opens it. A stand-in viewer registered in the
# case's Wine prefix records how the shell started it.
# usage: test_changes.sh <QZ_LoadingModule.exe>
#   QZ_FAKE_PDF_VIEWER names qz_fake_pdf_viewer.exe, QZ_GEN_DIR holds Changes.pdf
# shellcheck disable=SC1003
set -euo pipefail
# The case mounts the program folder read-only for a while: run it in a
# mount namespace of its own, so such a mount ends with the case whatever
# happens (it is also unmounted as soon as that check is done).
if [[ -z "${QZ_CHANGES_PRIVATE_MOUNTS:-}" ]]; then
  exec env QZ_CHANGES_PRIVATE_MOUNTS=1 unshare --mount --propagation private bash "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init changes

document=${QZ_GEN_DIR:-}/Changes.pdf
[[ -s "$document" ]] || e2e_abort "no generated Changes.pdf in QZ_GEN_DIR ('${QZ_GEN_DIR:-}')"
[[ -f "${QZ_FAKE_PDF_VIEWER:-}" ]] || e2e_abort "QZ_FAKE_PDF_VIEWER does not name the stand-in viewer"

program=$E2E_DIR/program
saved=$program/Changes.pdf
# Windows form of a path under / (drive Z: of the prefix).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# The stand-in viewer lives on drive C: and is the prefix's program for .pdf.
# A fresh prefix sends .pdf to winebrowser, which the shell starts happily;
# Wine 8 reads HKCR from HKLM\Software\Classes only (HKCU's classes are not
# merged in), so the association is made there.
viewer=$WINEPREFIX/drive_c/qzviewer
mkdir -p "$viewer"
cp "$QZ_FAKE_PDF_VIEWER" "$viewer/qz_fake_pdf_viewer.exe"
e2e_wine reg add 'HKLM\Software\Classes\.pdf' /ve /d QzTest.PdfDocument /f >/dev/null
e2e_wine reg add 'HKLM\Software\Classes\QzTest.PdfDocument\shell\open\command' /ve \
  /d '"C:\qzviewer\qz_fake_pdf_viewer.exe" "%1"' /f >/dev/null
assert_contains "$(e2e_wine reg query 'HKCR\QzTest.PdfDocument\shell\open\command' | tr -d '\r')" \
  '"C:\qzviewer\qz_fake_pdf_viewer.exe" "%1"' "the stand-in viewer is registered for .pdf"

starts() { if [[ -f "$viewer/opened.txt" ]]; then wc -l <"$viewer/opened.txt"; else echo 0; fi; }
started_times() { [[ "$(starts)" -ge "$1" ]]; }
box_text='text=Невозможно отобразить список изменений. Возможно, он уже открыт, либо Adobe Reader не установлен.'
button_usable() { qa controls | grep -q '^id=104 .* visible=1 enabled=1'; }

# expect_error_box <what> <starts before>: the one error box, then nothing
# else, and the viewer was not started.
expect_error_box() {
  local what=$1 before=$2 box
  if ! box=$(qa msgbox); then
    fail "$what: no error box"
    return 1
  fi
  assert_eq "caption=Ошибка" "$(grep '^caption=' <<<"$box")" "$what: box caption"
  assert_eq "$box_text" "$(grep '^text=' <<<"$box")" "$what: box text"
  assert_contains "$box" "icon=error" "$what: error icon"
  qa msgbox-ok || fail "$what: the box did not close"
  assert_status 0 "$what: no second box" qa no-msgbox 1000
  assert_eq "$before" "$(starts)" "$what: the viewer was not started"
  assert_contains "$(qa window)" "title=Загрузочный модуль QZ v6.22" "$what: the window is still there"
  assert_within 2 "$what: the button is usable afterwards" button_usable
}

# expect_opened <what> <start number>: no box, the document saved whole and
# the viewer started with its path, the document complete at that moment.
expect_opened() {
  local what=$1 n=$2
  assert_within 10 "$what: the viewer was started" started_times "$n"
  assert_status 0 "$what: no box" qa no-msgbox 1000
  assert_eq "$n" "$(starts)" "$what: the viewer was started once"
  assert_file_eq "$document" "$saved" "$what: Changes.pdf beside the program equals the embedded document"
  assert_eq "$(windows_path "$saved")" "$(sed -n "${n}p" "$viewer/opened.txt")" \
    "$what: the viewer got the full Windows path of the saved document"
  assert_file_eq "$document" "$viewer/opened-$n.pdf" "$what: the document was complete when the viewer opened it"
}

# Started from another working folder, as from a shortcut: the document
# goes beside the program, not into the current folder.
mkdir -p "$E2E_DIR/elsewhere"
e2e_start "$exe" "$E2E_DIR/elsewhere"
xdotool mousemove 0 0

# --- tool tip of the picture button ----------------------------------------
tip_shown() { qa tooltip; }
assert_status 1 "no tool tip before the mouse is on the button" qa tooltip
e2e_hover 104
assert_within 1.5 "the tool tip appears quickly when the mouse rests on the button" tip_shown
assert_eq 'Изменения в ПО\n(Adobe Reader)' "$(qa tooltip 2>&1)" "tool tip text on two lines"
e2e_screenshot "${QZ_SCREENSHOT_DIR:-$E2E_DIR}/changes_tooltip.png"
xdotool mousemove 0 0

# --- opening ---------------------------------------------------------------
[[ ! -e "$saved" ]] || e2e_abort "the program folder already holds Changes.pdf"
qa click 104
expect_opened "first click" 1
assert_eq "" "$(ls -A "$E2E_DIR/elsewhere")" "nothing was saved in the working folder"

# An older, longer list is there: it is replaced, not written over in part.
printf 'an older change list, line %04d\n' {1..2000} >"$saved"
qa click 104
expect_opened "second click over an older file" 2

# --- the document is open elsewhere without sharing --------------------------
control=$E2E_DIR/hold
mkdir -p "$control"
printf 'the list as the reader has it\n' >"$saved"
cp "$saved" "$E2E_DIR/held-before.pdf"
e2e_wine "$QZ_FAKE_PDF_VIEWER" --hold "$(windows_path "$saved")" "$(windows_path "$control")" &
holder=$!
e2e_wait_until 10 test -f "$control/held" || e2e_abort "the helper did not lock Changes.pdf"
qa click 104
expect_error_box "locked document" 2
assert_file_eq "$E2E_DIR/held-before.pdf" "$saved" "locked document: the locked file is untouched"
touch "$control/release"
wait "$holder" || fail "the locking helper ended with status $?"
qa click 104
expect_opened "click after the lock is gone" 3

# --- read-only program folder ------------------------------------------------
# The checks run in a function that never stops the script, so the unmount
# below always follows.
read_only_folder() {
  qa click 104
  expect_error_box "read-only program folder" 3
  assert_status 1 "read-only program folder: no Changes.pdf appeared" test -e "$saved"
}
rm -f "$saved"
if mount --bind "$program" "$program" && mount -o remount,bind,ro "$program"; then
  if touch "$program/probe" 2>/dev/null; then
    fail "the program folder is still writable after the read-only mount"
  else
    read_only_folder || true
  fi
  umount "$program" || fail "could not unmount the program folder"
else
  fail "could not mount the program folder read-only"
  umount "$program" 2>/dev/null || true
fi

# --- no program registered for .pdf ------------------------------------------
for key in 'HKLM\Software\Classes\.pdf' 'HKLM\Software\Classes\pdffile' 'HKLM\Software\Classes\QzTest.PdfDocument' \
  'HKCU\Software\Classes\.pdf'; do
  e2e_wine reg delete "$key" /f >/dev/null 2>&1 || true
done
assert_status 1 "the prefix has no .pdf association left" e2e_wine reg query 'HKCR\.pdf'
qa click 104
expect_error_box "no program for .pdf" 3
assert_file_eq "$document" "$saved" "no program for .pdf: Changes.pdf is still saved whole"

qa close
e2e_wait_exit 10 && assert_eq 0 "$E2E_APP_STATUS" "closing the window ends the process"
