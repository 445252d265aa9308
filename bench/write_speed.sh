#!/usr/bin/env bash
# How fast the program writes the firmware set, against a plain copy of the
# same fifteen files. Not a test: it prints numbers and never fails because
# a machine is slow.
#
# usage: bench/write_speed.sh <build dir> [rounds, default 30]
#   <build dir> is a QZ_BUILD_DIR of scripts/build.sh (win64 exe, qzauto,
#   host/gen data). Needs Wine, Xvfb and the x86_64 MinGW compiler.
#
# The drive is a folder on the tmpfs /dev/shm, mapped as removable E: in the
# program's Wine prefix. Each round, side by side:
#   program   bench/write_timer.exe, inside Wine, clicks the write button
#             and reads the performance counter until the success box shows
#   no-op     the same click on an unplugged drive F: (no file is written,
#             the error box shows): the cost of the click, the box and the
#             polling, which is subtracted from "program"
#   cp+sync   cp of the fifteen files (already named as on the drive) into
#             the drive folder, then `sync -f` on it (flushes that
#             filesystem only, as the program flushes only its own files)
#   cp+sync (all)  the same with a plain `sync` of every filesystem, shown for
#             reference; it depends on what else the machine is writing
# Both sides replace the previous round's files in the same folder. The
# shell side is timed with bash's $EPOCHREALTIME (no process for the clock).
# shellcheck disable=SC1003  # drive roots such as 'E:\' end in a backslash
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [[ -z "${QZ_BENCH_DIR:-}" ]]; then
  if [[ $# -lt 1 || ! -d "$1" ]]; then
    echo "usage: $0 <build dir> [rounds]" >&2
    exit 2
  fi
  build=$(realpath "$1")
  for need in "$build/win64/QZ_LoadingModule.exe" "$build/win64/tests/e2e/qzauto/qzauto.exe" "$build/host/gen/Firmware0.bin"; do
    [[ -f "$need" ]] || { echo "$0: $need is missing; build with scripts/build.sh first" >&2; exit 2; }
  done
  mkdir -p "$build/bench"
  timer=$build/bench/write_timer.exe
  if [[ ! -f "$timer" || "$root/bench/write_timer.cpp" -nt "$timer" ]]; then
    x86_64-w64-mingw32-g++ -std=c++17 -O2 -Wall -Wextra -Werror -municode -DUNICODE -D_UNICODE \
      -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601 -static -static-libgcc -static-libstdc++ \
      -o "$timer" "$root/bench/write_timer.cpp" -luser32
  fi
  QZ_BENCH_DIR=$(mktemp -d /dev/shm/qz-bench.XXXXXX)
  export QZ_BENCH_DIR QZ_BENCH_BUILD=$build QZ_BENCH_TIMER=$timer
  trap 'rm -rf "$QZ_BENCH_DIR"' EXIT
  status=0
  bash "$0" "$@" || status=$?
  exit "$status"
fi

rounds=${2:-30}
build=$QZ_BENCH_BUILD
gen=$build/host/gen
export QZAUTO=$build/win64/tests/e2e/qzauto/qzauto.exe
# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
e2e_init bench

drive=$QZ_BENCH_DIR/stick
stage=$QZ_BENCH_DIR/stage
mkdir -p "$drive" "$stage" "$QZ_BENCH_DIR/gone"
names=(QZ1769_m.dat QZ_rus.rub QZ_kaz.kzt QZ_rus.kzt QZ_eng.eur QZ_lva.eur QZ_fre.tnd QZ_tkm.tmt
  QZ_blg.bgn QZ_arm.amd QZ_geo.gel QZ_rus.kgs QZ_kot.fcf QZ_rus.uzs QZ1769.lng)
sources=(Firmware{0..13} Languages)
for i in "${!names[@]}"; do cp "$gen/${sources[$i]}.bin" "$stage/${names[$i]}"; done
set_bytes=$(cat "$stage"/* | wc -c)

e2e_drive e removable "$drive"
e2e_drive f removable "$QZ_BENCH_DIR/gone"
e2e_start "$build/win64/QZ_LoadingModule.exe"
both_listed() { [[ $(qa combo 102 | grep -c '^item') -eq 2 ]]; }
e2e_wait_until 5 both_listed || e2e_abort "drives E: and F: were not listed"
e2e_unplug f

# timed_click <root> <expected caption>: microseconds from click to box.
timed_click() {
  local out
  out=$("$E2E_WINE" "$QZ_BENCH_TIMER" "$1" 2>&1 | tr -d '\r' | grep -v '^wine: ') || true
  [[ $out =~ ^us=([0-9]+)\ shown_us=([0-9]+)\ caption=(.*)$ && ${BASH_REMATCH[3]} == "$2" ]] ||
    e2e_abort "write_timer on $1: expected the box '$2', got: $out" >&2
  echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
}
copy_sync() {  # <sync arguments...>: microseconds for cp + sync, in $took
  local t0=${EPOCHREALTIME//[.,]/}
  cp -f "$stage"/* "$drive/"
  sync "$@"
  took=$((${EPOCHREALTIME//[.,]/} - t0))
}

# One of each to warm caches, not counted.
timed_click 'E:\' "Процесс завершен" >/dev/null
timed_click 'F:\' "Ошибка записи" >/dev/null
copy_sync -f "$drive"

# Times of the program are from the click to the creation of its box; the
# time to the box on screen is kept for comparison.
program=() noop=() net=() shown=() cpsync=() cpsyncall=()
for ((r = 0; r < rounds; r++)); do
  copy_sync -f "$drive"
  cpsync+=("$took")
  copy_sync
  cpsyncall+=("$took")
  read -r n n_shown < <(timed_click 'F:\' "Ошибка записи")
  read -r p p_shown < <(timed_click 'E:\' "Процесс завершен")
  noop+=("$n") program+=("$p") net+=($((p - n))) shown+=($((p_shown - n_shown)))
done

# The timed writes were real: the drive holds the set as the program wrote it.
for i in "${!names[@]}"; do
  cmp -s "$gen/${sources[$i]}.bin" "$drive/${names[$i]}" || e2e_abort "${names[$i]} on the drive differs from the data"
done

# stats <values...>: median mean min max in milliseconds
stats() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1; s += $1 }
    END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%.2f %.2f %.2f %.2f\n", m / 1000, s / NR / 1000, v[1] / 1000, v[NR] / 1000 }'
}
read -r p_med p_mean p_min p_max < <(stats "${program[@]}")
read -r n_med n_mean n_min n_max < <(stats "${noop[@]}")
read -r w_med w_mean w_min w_max < <(stats "${net[@]}")
read -r s_med s_mean s_min s_max < <(stats "${shown[@]}")
read -r c_med c_mean c_min c_max < <(stats "${cpsync[@]}")
read -r a_med a_mean a_min a_max < <(stats "${cpsyncall[@]}")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo
echo "Write of the firmware set ($set_bytes bytes, 15 files) to a tmpfs-backed removable drive"
echo "machine: $(nproc) CPU ($(lscpu | sed -n 's/^Model name: *//p' | head -n 1)), $(uname -r), $("$E2E_WINE" --version)"
echo "date: $(date -u '+%Y-%m-%d %H:%M UTC'), rounds: $rounds"
printf '%-34s %9s %9s %9s %9s\n' "ms" median mean min max
printf '%-34s %9s %9s %9s %9s\n' "program, click to success box made" "$p_med" "$p_mean" "$p_min" "$p_max"
printf '%-34s %9s %9s %9s %9s\n' "no-op, click to error box made" "$n_med" "$n_mean" "$n_min" "$n_max"
printf '%-34s %9s %9s %9s %9s\n' "program less no-op (per round)" "$w_med" "$w_mean" "$w_min" "$w_max"
printf '%-34s %9s %9s %9s %9s\n' "  the same, to the box on screen" "$s_med" "$s_mean" "$s_min" "$s_max"
printf '%-34s %9s %9s %9s %9s\n' "cp + sync -f <drive>" "$c_med" "$c_mean" "$c_min" "$c_max"
printf '%-34s %9s %9s %9s %9s\n' "cp + sync (all filesystems)" "$a_med" "$a_mean" "$a_min" "$a_max"
echo "ratio program / (cp + sync -f), medians: net $(ratio "$w_med" "$c_med"), raw $(ratio "$p_med" "$c_med")"
echo "ratio program / (cp + sync),    medians: net $(ratio "$w_med" "$a_med"), raw $(ratio "$p_med" "$a_med")"

if command -v hyperfine >/dev/null; then
  echo
  echo "hyperfine, cp + sync -f alone (cross-check of the shell-side timing):"
  hyperfine --style basic --warmup 3 --runs 30 \
    "cp -f '$stage'/* '$drive/' && sync -f '$drive'" 2>&1 | grep -E 'Time|Range' || true
fi

qa close
e2e_wait_exit 10 || true
