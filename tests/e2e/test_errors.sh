#!/usr/bin/env bash
# Errors that escape a handler: shown in the standard error box (the error's
# text, the application title as caption, the error icon) while the program
# keeps running. Uses a build whose embedded data lacks one firmware image
# and the change list.
# usage: test_errors.sh <QZ_LoadingModule.exe>   (QZ_MISSING_DATA names the build)
# shellcheck disable=SC1003
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init errors
[[ -f "${QZ_MISSING_DATA:-}" ]] || e2e_abort "QZ_MISSING_DATA does not name the build without data"

mkdir -p "$E2E_DIR/stick"
e2e_drive e removable "$E2E_DIR/stick"
e2e_start "$QZ_MISSING_DATA"
program_files() { find "$E2E_DIR/program" -mindepth 1 -printf '%P\n' | sort; }
before=$(program_files)
button_enabled() { qa controls | grep -q '^id=103 .* enabled=1'; }
e2e_wait_until 4 button_enabled || e2e_abort "the drive was not picked up"

# Write: the run stops at the missing image with the standard error box.
qa click 103
box=$(qa msgbox) || e2e_abort "no box after the write"
assert_contains "$box" "caption=Загрузочный модуль QZ" "the error box has the application title as caption"
assert_contains "$box" "icon=error" "the error box has the error icon"
assert_contains "$box" "Firmware7" "the error box names what went wrong"
assert_not_contains "$box" "успешно" "no success is claimed"
qa msgbox-ok
assert_status 0 "no outcome box follows the error box" qa no-msgbox 1500
assert_within 2 "the write button is usable after the error" button_enabled
written=$(find "$E2E_DIR/stick" -maxdepth 1 -type f | wc -l)
assert_eq 7 "$written" "the seven images before the missing one were written"
assert_eq "$before" "$(program_files)" "nothing was left in the program's folder"

# Change list: the document itself is missing.
qa click 104
box=$(qa msgbox) || e2e_abort "no box after the change-list click"
assert_contains "$box" "caption=Загрузочный модуль QZ" "missing change list: standard error box"
assert_contains "$box" "Changes" "missing change list: the box names the resource"
assert_contains "$box" "icon=error" "missing change list: error icon"
qa msgbox-ok
assert_eq "$before" "$(program_files)" "no document was saved"

# Still running and usable.
assert_contains "$(qa window)" "title=Загрузочный модуль QZ v6.22" "the window is still there"
qa close
e2e_wait_exit 10 && assert_eq 0 "$E2E_APP_STATUS" "the program ends normally afterwards"
