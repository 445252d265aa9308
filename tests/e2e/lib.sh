# shellcheck shell=bash
# shellcheck disable=SC2034  # the E2E_* results are read by the case scripts
# Library of the end-to-end tests: each case script sources it, calls
# e2e_init, sets up drives, starts the program with e2e_start and drives it
# with `qa` (qzauto under Wine). Every case gets its own work folder, Wine
# prefix and Xvfb display, torn down when the script exits.
#
# Environment:
#   QZAUTO     path of qzauto.exe (required before `qa`, e2e_start, e2e_drive)
#   E2E_WORK   parent of the work folders (default /tmp/qz-e2e)
#   E2E_KEEP=1 keep the work folder after the run
#
# Assertions record a failure and let the case go on, so one run reports
# every problem; the summary at exit makes the script fail if any did.
# e2e_abort ends the case at once. e2e_init sets the EXIT trap that tears
# everything down: a case must not set its own.
#
# Functions: e2e_init, e2e_drive, e2e_unplug, e2e_start, qa, e2e_wait_exit,
# e2e_wait_until, e2e_hover, e2e_screenshot, e2e_wine; pass, fail, e2e_abort,
# assert_eq, assert_contains, assert_not_contains, assert_file_eq, assert_status,
# assert_within.

E2E_WORK=${E2E_WORK:-/tmp/qz-e2e}
E2E_WINE=/usr/lib/wine/wine64
E2E_FIRST_DISPLAY=90
E2E_PASSED=0
E2E_FAILED=0
E2E_NAME=
E2E_DIR=
E2E_XVFB_PID=
E2E_APP_PID=
E2E_APP_STATUS=

# --- reporting ------------------------------------------------------------

pass() {
  E2E_PASSED=$((E2E_PASSED + 1))
  printf 'PASS [%s] %s\n' "$E2E_NAME" "$*"
}

fail() {
  E2E_FAILED=$((E2E_FAILED + 1))
  printf 'FAIL [%s] %s\n' "$E2E_NAME" "$*"
}

# Records a failure and ends the case now (the exit trap still cleans up).
e2e_abort() {
  fail "$*" >&2  # on stderr too, as the caller's output may be discarded
  exit 1
}

# assert_eq <expected> <actual> <message>
assert_eq() {
  if [[ "$1" == "$2" ]]; then
    pass "$3"
  else
    fail "$3: expected '$1', got '$2'"
  fi
}

# assert_contains <text> <part> <message>
assert_contains() {
  if [[ "$1" == *"$2"* ]]; then
    pass "$3"
  else
    fail "$3: expected to find '$2' in:"$'\n'"$1"
  fi
}

# assert_not_contains <text> <part> <message>
assert_not_contains() {
  if [[ "$1" != *"$2"* ]]; then
    pass "$3"
  else
    fail "$3: did not expect '$2' in:"$'\n'"$1"
  fi
}

# assert_file_eq <expected_file> <actual_file> <message>
assert_file_eq() {
  if [[ ! -f "$2" ]]; then
    fail "$3: file '$2' does not exist"
  elif [[ ! -f "$1" ]]; then
    fail "$3: reference file '$1' does not exist"
  elif cmp -s "$1" "$2"; then
    pass "$3"
  else
    fail "$3: '$2' ($(stat -c %s "$2") bytes) differs from '$1' ($(stat -c %s "$1") bytes): $(cmp "$1" "$2" 2>&1 | head -n 1)"
  fi
}

# assert_status <expected_status> <message> <command...>: runs the command and
# checks its exit status.
assert_status() {
  local expected=$1 message=$2 status=0
  shift 2
  "$@" >/dev/null 2>&1 || status=$?
  assert_eq "$expected" "$status" "$message (exit status of: $*)"
}

# assert_within <timeout_s> <message> <command...>: passes once the command
# succeeds (polled like e2e_wait_until), fails if it never does in time.
assert_within() {
  local timeout=$1 message=$2
  shift 2
  if e2e_wait_until "$timeout" "$@"; then
    pass "$message"
  else
    fail "$message: not true within $timeout s: $*"
  fi
}

# --- waiting --------------------------------------------------------------

# e2e_wait_until <timeout_s> <command...>: runs the command every 0.2 s until
# it succeeds; returns 1 if it never did within the time.
e2e_wait_until() {
  local timeout=$1
  shift
  local deadline
  deadline=$(($(_e2e_now_us) + $(awk -v t="$timeout" 'BEGIN { printf "%d", t * 1000000 }')))
  until "$@" >/dev/null 2>&1; do
    (($(_e2e_now_us) < deadline)) || return 1
    sleep 0.2
  done
}

_e2e_now_us() {
  echo "${EPOCHREALTIME//[.,]/}"
}

# --- set-up and tear-down -------------------------------------------------

# Runs a Wine program of the case's prefix; Wine's own chatter goes to the log.
e2e_wine() {
  "$E2E_WINE" "$@" 2>>"$E2E_DIR/wine.log"
}

# A prefix made once with `wineboot -i` and copied for each case; no Mono or
# Gecko installers, and unmanaged windows (message boxes close at once
# without a window manager).
_e2e_pristine_prefix() {
  local pristine=$E2E_WORK/pristine-prefix
  (
    flock 9
    [[ -f "$pristine/.qz-ready" ]] && exit 0
    local building=$E2E_WORK/pristine-prefix.building.$$
    rm -rf "$building" "$pristine"
    mkdir -p "$building"
    {
      WINEPREFIX=$building WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY='' "$E2E_WINE" wineboot -i &&
        WINEPREFIX=$building "$E2E_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f &&
        WINEPREFIX=$building wineserver -w
    } >"$E2E_WORK/pristine-prefix.log" 2>&1 9>&- || {
      echo "e2e: making the Wine prefix failed, see $E2E_WORK/pristine-prefix.log" >&2
      exit 1
    }
    touch "$building/.qz-ready"
    mv "$building" "$pristine"
  ) 9>"$E2E_WORK/pristine-prefix.lock"
}

# Starts Xvfb on the first free display from 90 up; the lock keeps parallel
# cases from picking the same number.
_e2e_start_xvfb() {
  local n log=$E2E_DIR/xvfb.log
  exec 8>"$E2E_WORK/display.lock"
  flock 8
  for ((n = E2E_FIRST_DISPLAY; n < E2E_FIRST_DISPLAY + 100; n++)); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 8>&- &
    E2E_XVFB_PID=$!
    # Ready once its socket is there; a server that lost a race dies at once.
    e2e_wait_until 10 _e2e_xvfb_settled "$n"
    if [[ -S /tmp/.X11-unix/X$n ]] && kill -0 "$E2E_XVFB_PID" 2>/dev/null; then break; fi
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
    E2E_XVFB_PID=
  done
  flock -u 8
  exec 8>&-
  [[ -n "$E2E_XVFB_PID" ]] || e2e_abort "could not start Xvfb on any display from $E2E_FIRST_DISPLAY"
  export DISPLAY=:$n
}

_e2e_xvfb_settled() {
  [[ -S /tmp/.X11-unix/X$1 ]] || ! kill -0 "$E2E_XVFB_PID" 2>/dev/null
}

_e2e_finish() {
  local status=$?
  trap - EXIT
  if [[ -n "$E2E_DIR" ]]; then
    if [[ $status -ne 0 || $E2E_FAILED -ne 0 ]] && [[ -s "$E2E_DIR/app.log" ]]; then
      echo "--- [$E2E_NAME] output of the program under Wine:" >&2
      tail -n 40 "$E2E_DIR/app.log" >&2
    fi
    WINEPREFIX=$E2E_DIR/prefix wineserver -k >/dev/null 2>&1 || true
    if [[ -n "$E2E_APP_PID" ]]; then wait "$E2E_APP_PID" 2>/dev/null || true; fi
  fi
  if [[ -n "$E2E_XVFB_PID" ]]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
  fi
  if [[ -n "$E2E_DIR" ]]; then
    if [[ "${E2E_KEEP:-0}" == 1 ]]; then
      echo "e2e: kept $E2E_DIR" >&2
    else
      rm -rf "$E2E_DIR"
    fi
  fi
  [[ $status -eq 0 && $E2E_FAILED -ne 0 ]] && status=1
  echo "== [$E2E_NAME] $E2E_PASSED passed, $E2E_FAILED failed$([[ $status -ne 0 && $E2E_FAILED -eq 0 ]] && echo ", stopped with status $status")"
  exit "$status"
}

# e2e_init <name>: work folder, Wine prefix and X display of one case.
e2e_init() {
  E2E_NAME=$1
  mkdir -p "$E2E_WORK"
  E2E_DIR=$E2E_WORK/$E2E_NAME.$$
  rm -rf "$E2E_DIR"
  mkdir -p "$E2E_DIR/program"
  trap _e2e_finish EXIT
  export WINELOADER=$E2E_WINE WINEDEBUG=-all
  _e2e_pristine_prefix || e2e_abort "no pristine Wine prefix"
  cp -a "$E2E_WORK/pristine-prefix" "$E2E_DIR/prefix"
  export WINEPREFIX=$E2E_DIR/prefix
  _e2e_start_xvfb
}

# e2e_drive <letter> <removable|fixed|cdrom|network> <folder>: maps a drive
# letter to a Linux folder. The symlink and registry value are the prefix's
# lasting configuration, but the mount manager that `reg` itself starts has
# already read them, so the drive is also defined through the mount manager:
# a program started afterwards sees it on its first scan, a running one on
# its next.
e2e_drive() {
  local letter=${1,,} type=$2 folder
  folder=$(realpath "$3")
  local wine_type
  case $type in
    removable) wine_type=floppy ;;
    fixed) wine_type=hd ;;
    cdrom) wine_type=cdrom ;;
    network) wine_type=network ;;
    *) e2e_abort "e2e_drive: unknown drive type '$type'" ;;
  esac
  ln -sfn "$folder" "$WINEPREFIX/dosdevices/$letter:"
  e2e_wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /t REG_SZ /d "$wine_type" /f >/dev/null ||
    e2e_abort "e2e_drive: reg add failed for $letter:"
  qa mount "$letter" "$folder" "$type" >/dev/null || e2e_abort "e2e_drive: mounting $letter: failed"
}

# qa <qzauto arguments...>: qzauto under Wine, output without carriage returns.
qa() {
  [[ -n "${QZAUTO:-}" ]] || e2e_abort "QZAUTO is not set"
  local err status=0 out
  err=$(mktemp "$E2E_DIR/qa.XXXXXX")
  out=$("$E2E_WINE" "$QZAUTO" "$@" 2>"$err") || status=$?
  if [[ -n "$out" ]]; then printf '%s\n' "${out//$'\r'/}"; fi
  if [[ $status -ne 0 ]]; then tr -d '\r' <"$err" | grep -v '^wine: ' >&2 || true; fi
  rm -f "$err"
  return "$status"
}

# e2e_start <exe> [working folder]: copies the program into the case's
# program folder, starts it (in the program folder unless another working
# folder is given) and waits for its window. E2E_STARTUP then holds what
# `qa startup` read the moment the window appeared.
e2e_start() {
  local exe=$1 cwd=${2:-$E2E_DIR/program} ready=$E2E_DIR/startup.ready
  cp "$exe" "$E2E_DIR/program/"
  E2E_APP_EXE=$E2E_DIR/program/$(basename "$exe")
  # The watcher is looking before the program starts, so it reads the window
  # the moment it appears.
  rm -f "$ready"
  qa startup 20000 "Z:${ready//\//\\}" >"$E2E_DIR/startup.out" &
  local watcher=$!
  e2e_wait_until 20 test -e "$ready" || e2e_abort "qzauto did not start"
  (cd "$cwd" && exec "$E2E_WINE" "$E2E_APP_EXE") >"$E2E_DIR/app.log" 2>&1 &
  E2E_APP_PID=$!
  wait "$watcher" || e2e_abort "the program's window did not appear"
  E2E_STARTUP=$(cat "$E2E_DIR/startup.out")
}

# e2e_wait_exit <timeout_s>: waits for the program to end; its exit status
# is then in E2E_APP_STATUS.
e2e_wait_exit() {
  [[ -n "$E2E_APP_PID" ]] || e2e_abort "e2e_wait_exit: the program was not started"
  if ! e2e_wait_until "$1" _e2e_app_gone; then
    fail "the program did not exit within $1 s"
    return 1
  fi
  E2E_APP_STATUS=0
  wait "$E2E_APP_PID" || E2E_APP_STATUS=$?
  E2E_APP_PID=
  return 0
}

_e2e_app_gone() {
  ! kill -0 "$E2E_APP_PID" 2>/dev/null || [[ "$(ps -o stat= -p "$E2E_APP_PID" 2>/dev/null)" == Z* ]]
}

# e2e_unplug <letter>: takes a drive away from the running program, as
# pulling out the stick would.
e2e_unplug() {
  qa unmount "${1,,}" || e2e_abort "e2e_unplug: unmounting $1: failed"
}

# e2e_hover <control id>: moves the real mouse onto a control (tool tips).
e2e_hover() {
  local x y
  read -r x y < <(qa center "$1") || e2e_abort "e2e_hover: no control $1"
  xdotool mousemove "$x" "$y"
}

# e2e_screenshot <file.png>
e2e_screenshot() {
  import -display "$DISPLAY" -window root "$1"
}
