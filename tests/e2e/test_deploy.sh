#!/usr/bin/env bash
# Writing the firmware set to a flash drive, as the user does it: pick the
# drive, press the write button, read the outcome boxes. Checks the files on
# the drive byte by byte against the generated data, the user's own files,
# the program's folder, and the failures a real stick has: a read-only older
# copy, a medium that fills up, a write-protected medium, a stick pulled out
# before the click.
# usage: test_deploy.sh <QZ_LoadingModule.exe>   (QZAUTO, QZ_GEN_DIR)
#
# Needs root: the drives are tmpfs and read-only (bind) mounts. Every mount
# is listed in a file as it is made; the script runs itself as a child and,
# however that child ends, unmounts them all afterwards (the child only owns
# the harness's exit trap, which knows nothing of mounts).
# shellcheck disable=SC1003  # drive roots such as 'E:\' end in a backslash
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Unmounts everything listed in <dir>/.mounted, newest first, then removes
# the folders listed in <dir>/.folders and <dir> itself.
deploy_unmount_all() {
  local dir=$1 point tries
  [[ -f "$dir/.mounted" ]] || return 0
  while IFS= read -r point; do
    for ((tries = 0; tries < 5; tries++)); do
      findmnt -rn --mountpoint "$point" >/dev/null 2>&1 || break
      umount "$point" 2>/dev/null || umount -l "$point" 2>/dev/null || sleep 0.2
    done
  done < <(tac "$dir/.mounted")
  : >"$dir/.mounted"
}

if [[ -z "${QZ_DEPLOY_MOUNTS:-}" ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "test_deploy.sh: must run as root (it mounts tmpfs and read-only folders)" >&2
    exit 1
  fi
  mkdir -p "${E2E_WORK:-/tmp/qz-e2e}"
  QZ_DEPLOY_MOUNTS=$(mktemp -d "${E2E_WORK:-/tmp/qz-e2e}/deploy-mounts.XXXXXX")
  export QZ_DEPLOY_MOUNTS
  : >"$QZ_DEPLOY_MOUNTS/.mounted"
  : >"$QZ_DEPLOY_MOUNTS/.folders"
  child=
  # shellcheck disable=SC2317  # called by the trap
  outer_cleanup() {
    if [[ -n "$child" ]]; then kill "$child" 2>/dev/null || true; wait "$child" 2>/dev/null || true; fi
    deploy_unmount_all "$QZ_DEPLOY_MOUNTS"
    local folder
    while IFS= read -r folder; do [[ -n "$folder" ]] && rm -rf "$folder"; done <"$QZ_DEPLOY_MOUNTS/.folders"
    rm -rf "$QZ_DEPLOY_MOUNTS"
  }
  trap outer_cleanup EXIT
  trap 'exit 130' INT TERM
  status=0
  bash "$0" "$@" &
  child=$!
  wait "$child" || status=$?
  child=
  exit "$status"
fi

exe=$(realpath "$1")
[[ -d "${QZ_GEN_DIR:-}" ]] || { echo "QZ_GEN_DIR must name the generated data folder" >&2; exit 1; }
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init deploy
echo "$E2E_DIR" >>"$QZ_DEPLOY_MOUNTS/.folders"
mounts=$QZ_DEPLOY_MOUNTS

# --- the firmware set -------------------------------------------------------
# Resource (generated file without .bin) and the name on the drive, in the
# order the program writes them.
payloads=(
  Firmware0:QZ1769_m.dat Firmware1:QZ_rus.rub Firmware2:QZ_kaz.kzt Firmware3:QZ_rus.kzt
  Firmware4:QZ_eng.eur Firmware5:QZ_lva.eur Firmware6:QZ_fre.tnd Firmware7:QZ_tkm.tmt
  Firmware8:QZ_blg.bgn Firmware9:QZ_arm.amd Firmware10:QZ_geo.gel Firmware11:QZ_rus.kgs
  Firmware12:QZ_kot.fcf Firmware13:QZ_rus.uzs Languages:QZ1769.lng
)
payload_names=()
declare -A payload_source
for p in "${payloads[@]}"; do
  payload_names+=("${p#*:}")
  payload_source[${p#*:}]=$QZ_GEN_DIR/${p%%:*}.bin
  [[ -s "$QZ_GEN_DIR/${p%%:*}.bin" ]] || e2e_abort "generated data lacks ${p%%:*}.bin"
done

# --- mounts -------------------------------------------------------------------
deploy_mount() {  # mount arguments...; the last one is the mount point
  echo "${*: -1}" >>"$mounts/.mounted"
  mount "$@" || e2e_abort "mount $* failed"
}
read_only_bind() {  # <file or folder>: made read-only in place
  deploy_mount --bind "$1" "$1"
  mount -o remount,ro,bind "$1" || e2e_abort "remounting $1 read-only failed"
}

# --- looking at folders -------------------------------------------------------
# One line per entry: type, path, checksum of a file. Payload names in the
# root are left out when a second argument is given.
tree_state() {
  local dir=$1 skip=${2:-}
  (
    cd "$dir"
    find . -mindepth 1 -printf '%y %P\n' | LC_ALL=C sort | while read -r type path; do
      if [[ -n "$skip" && $type == f && " ${payload_names[*]} " == *" $path "* ]]; then continue; fi
      if [[ $type == f ]]; then echo "f $path $(sha256sum <"$path" | cut -c1-64)"; else echo "$type $path"; fi
    done
  )
}

# check_payloads <folder> <label> [name that must not be checked]: the
# payloads in the folder's root are byte-identical to the generated data.
check_payloads() {
  local dir=$1 label=$2 except=${3:-} name bad=0
  for name in "${payload_names[@]}"; do
    [[ $name == "$except" ]] && continue
    if ! cmp -s "${payload_source[$name]}" "$dir/$name"; then
      fail "$label: $name is not byte-identical to $(basename "${payload_source[$name]}")" \
        "($(stat -c %s "$dir/$name" 2>/dev/null || echo missing) bytes)"
      bad=1
    fi
  done
  [[ $bad -eq 0 ]] && pass "$label: every payload on the drive equals the generated data"
  return 0
}

# --- driving the program --------------------------------------------------
button_enabled() { qa controls | grep -q '^id=103 .* enabled=1'; }

# select_drive <letter>: picks the drive's root in the list.
select_drive() {
  local root="${1^^}:\\" line index=
  while IFS= read -r line; do
    [[ $line == item*"=$root" ]] && index=${line%%=*} && index=${index#item}
  done < <(qa combo 102)
  [[ -n "$index" ]] || e2e_abort "$root is not in the drive list: $(qa combo 102 | tr '\n' ' ')"
  qa select 102 "$index"
  assert_eq "$root" "$(qa text 102)" "$root is the selected drive"
}

# expect_box <caption> <text> <icon> <label>: the next box, exactly; closes it.
expect_box() {
  local box
  box=$(qa msgbox 20000) || { fail "$4: no message box appeared"; return 0; }
  assert_eq "caption=$1"$'\n'"text=$2"$'\n'"icon=$3" "$box" "$4"
  qa msgbox-ok || fail "$4: the box did not close"
}

# write_expecting_success <letter> <label>: click, then the success box and
# after it the warning, nothing more, and the button is usable again.
write_expecting_success() {
  local root="${1^^}:\\"
  qa click 103
  expect_box "Процесс завершен" "Файлы прошивки успешно сохранены на \"$root\"" none "$2: success box"
  expect_box "Предупреждение" \
    "ВНИМАНИЕ! Перед прошивкой рекомендуется отключить от терминала все подключенные кабели и устройства, кроме адаптера питания!" \
    warning "$2: warning box after the success box"
  assert_status 0 "$2: no further box" qa no-msgbox 700
  assert_within 3 "$2: the write button is enabled again" button_enabled
}

# write_expecting_error <letter> <label>: click, then only the error box.
write_expecting_error() {
  local root="${1^^}:\\"
  qa click 103
  expect_box "Ошибка записи" "Ошибка записи на \"$root\"" error "$2: write-error box"
  assert_status 0 "$2: no success box or any other box follows" qa no-msgbox 700
  assert_within 3 "$2: the write button is enabled again" button_enabled
}

# --- the drives -----------------------------------------------------------
# E: a stick with the user's files and older copies of some payloads, some
#    larger than the new ones, one as large but different.
# F: an older copy of QZ_eng.eur that is read-only (and really cannot be
#    written, as root: bind-mounted read-only onto itself).
# G: a 3 MB medium; the set is about 6.7 MB.
# H: a write-protected medium.
# I: a stick pulled out before the click.
for letter in e f h i; do mkdir -p "$mounts/$letter"; done
mkdir -p "$mounts/g"
deploy_mount -t tmpfs -o size=3m tmpfs "$mounts/g"

stick=$mounts/e
mkdir -p "$stick/Docs/old" "$stick/Empty folder"
echo "список дел" >"$stick/notes.txt"
head -c 70000 /dev/urandom >"$stick/Docs/photo.jpg"
cp "${payload_source[QZ_rus.rub]}" "$stick/Docs/QZ_rus.rub"  # same name, not in the root
printf 'keep' >"$stick/Docs/old/QZ1769.lng"
printf 'backup' >"$stick/QZ_rus.rub.bak"
head -c 900000 /dev/urandom >"$stick/QZ_rus.rub"           # larger than the new one
head -c 5000 /dev/urandom >"$stick/QZ1769.lng"             # larger than the new one
head -c 100 /dev/urandom >"$stick/QZ_geo.gel"              # smaller
cp "${payload_source[QZ1769_m.dat]}" "$stick/QZ1769_m.dat"  # same size, one byte differs
printf '\xA5' | dd of="$stick/QZ1769_m.dat" bs=1 seek=1000 conv=notrunc status=none
cmp -s "$stick/QZ1769_m.dat" "${payload_source[QZ1769_m.dat]}" && e2e_abort "the older copy should differ"
stick_before=$(tree_state "$stick" skip-payloads)

old_copy=$mounts/f/QZ_eng.eur
head -c 600000 /dev/urandom >"$old_copy"
chmod 444 "$old_copy"
old_copy_sum=$(sha256sum <"$old_copy")
read_only_bind "$old_copy"

echo "my file" >"$mounts/h/mine.txt"
protected_before=$(tree_state "$mounts/h")
read_only_bind "$mounts/h"

for letter in e f g h i; do e2e_drive "$letter" removable "$mounts/$letter"; done
# A hidden older copy: creating over it is refused on Windows, deleting is not.
head -c 300000 /dev/urandom >"$stick/QZ_rus.kzt"
e2e_wine cmd /c attrib +h 'E:\QZ_rus.kzt' >/dev/null || e2e_abort "attrib +h failed"
[[ $(e2e_wine cmd /c attrib 'E:\QZ_rus.kzt') == *H*'E:\'* ]] || e2e_abort "the older copy did not become hidden"

# --- first session: the program's folder as copied ------------------------
e2e_start "$exe"
program_before=$(tree_state "$E2E_DIR/program")
lists_all() { [[ $(qa combo 102 | grep -c '^item') -eq 5 ]]; }
e2e_wait_until 5 lists_all || e2e_abort "the five drives were not listed: $(qa combo 102 | tr '\n' ' ')"

# Success: the whole set replaces the older copies; nothing else changes.
select_drive e
write_expecting_success e "success"
check_payloads "$stick" "success"
hidden_attrs=$(e2e_wine cmd /c attrib 'E:\QZ_rus.kzt' | tr -d '\r')
assert_eq "" "$(sed -n 's/^\([A-Z ]*\)E:.*/\1/p' <<<"$hidden_attrs" | tr -d ' A')" \
  "success: the hidden older copy was replaced by a plain file ($hidden_attrs)"
assert_eq "$stick_before" "$(tree_state "$stick" skip-payloads)" \
  "success: the user's files and folders are untouched and nothing else was added"

# A read-only older copy: that one fails, the other fourteen are written.
select_drive f
write_expecting_error f "read-only older copy"
check_payloads "$mounts/f" "read-only older copy" QZ_eng.eur
assert_eq "$old_copy_sum" "$(sha256sum <"$old_copy")" \
  "read-only older copy: the file is left as it was, not half-written"
assert_eq 15 "$(find "$mounts/f" -mindepth 1 | wc -l)" "read-only older copy: only the fifteen names are on the drive"

# A medium that fills up: no partial file stays behind, and the small file
# at the end of the table still fits once the partial one is gone.
select_drive g
write_expecting_error g "full drive"
present=()
for name in "${payload_names[@]}"; do [[ -e "$mounts/g/$name" ]] && present+=("$name"); done
bad=0
for name in "${present[@]}"; do
  cmp -s "${payload_source[$name]}" "$mounts/g/$name" || { fail "full drive: $name is a partial file ($(stat -c %s "$mounts/g/$name") bytes)"; bad=1; }
done
[[ $bad -eq 0 ]] && pass "full drive: every file left on the drive is whole (${#present[@]} of 15: ${present[*]})"
if (( ${#present[@]} > 1 && ${#present[@]} < 15 )); then pass "full drive: some but not all of the set fit"; else fail "full drive: ${#present[@]} files on a 3 MB drive"; fi
assert_eq 1 "$([[ -e $mounts/g/QZ1769.lng ]] && echo 1 || echo 0)" \
  "full drive: the payloads after the failure were still attempted (QZ1769.lng written)"
assert_eq "${#present[@]}" "$(find "$mounts/g" -mindepth 1 | wc -l)" "full drive: no other file was left"

# A write-protected medium.
select_drive h
write_expecting_error h "write-protected drive"
assert_eq "$protected_before" "$(tree_state "$mounts/h")" "write-protected drive: its content is unchanged"

# A stick pulled out before the click stays listed and selected.
select_drive i
e2e_unplug i
sleep 1.3  # one scan of the drive timer
assert_eq 'I:\' "$(qa text 102)" "unplugged drive: still listed and selected after a scan"
write_expecting_error i "unplugged drive"
assert_eq "" "$(find "$mounts/i" -mindepth 1)" "unplugged drive: nothing reached its folder"

assert_eq "$program_before" "$(tree_state "$E2E_DIR/program")" \
  "first session: the program's folder is unchanged (names and checksums)"
qa close
e2e_wait_exit 10 || true

# --- second session: the program's folder read-only, the same stick again --
# The second run must rewrite every file of the first one.
read_only_bind "$E2E_DIR/program"
for name in "${payload_names[@]}"; do touch -d '2001-01-01 00:00' "$stick/$name"; done
marker=$(date -d '2001-01-02' +%s)
stick_before=$(tree_state "$stick" skip-payloads)
(cd "$E2E_DIR/program" && exec "$E2E_WINE" "$E2E_APP_EXE") >>"$E2E_DIR/app.log" 2>&1 &
E2E_APP_PID=$!  # the harness ends and waits for it at exit
qa wait-window 20000 || e2e_abort "the program did not start again from its read-only folder"
e2e_wait_until 5 button_enabled || e2e_abort "the drives were not listed in the second session"
select_drive e
write_expecting_success e "second run, read-only program folder"
check_payloads "$stick" "second run, read-only program folder"
stale=()
for name in "${payload_names[@]}"; do (($(stat -c %Y "$stick/$name") > marker)) || stale+=("$name"); done
assert_eq "" "${stale[*]}" "second run: every file of the first run was written again"
assert_eq "$stick_before" "$(tree_state "$stick" skip-payloads)" "second run: the user's files are untouched"
assert_eq "$program_before" "$(tree_state "$E2E_DIR/program")" \
  "second run: the read-only program folder is unchanged"
qa close
e2e_wait_exit 10 && assert_eq 0 "$E2E_APP_STATUS" "the program ends normally"

# Mounts go before the harness removes the work folder.
deploy_unmount_all "$mounts"
left=$(findmnt -rn -o TARGET | grep -F -e "$mounts" -e "$E2E_DIR" || true)
assert_eq "" "$left" "no mount of the case is left behind"
