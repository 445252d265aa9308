#!/usr/bin/env bash
# The version in the caption and the bottom strip, read from the exe's own
# version block: the release, and builds whose block is unusual or missing.
# usage: test_version.sh <QZ_LoadingModule.exe>
#   QZ_VARIANT_<name> name the variant builds (see variants.cmake).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
# shellcheck source=lib.sh
source "$here/lib.sh"
e2e_init version

title="Загрузочный модуль QZ"
six="      "
# exe | caption | footer | what it shows
cases=(
  "$exe|$title v6.22|6.22.0.0$six|the release: short version and full file version"
  "${QZ_VARIANT_v6_0:-}|$title v6.0|6.0.0.0$six|a minor version of 0 prints as 0"
  "${QZ_VARIANT_no_file_version:-}|$title v6.22|$six|no FileVersion: footer of spaces, caption intact"
  "${QZ_VARIANT_no_translation:-}|$title v6.22|$six|no translation entry: footer of spaces"
  "${QZ_VARIANT_top_bit:-}|$title v6.22|$six|translation with the top bit set: footer of spaces"
  "${QZ_VARIANT_no_block:-}|$title|$six|no version block: no suffix and no made-up number"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r program caption footer what <<<"$entry"
  if [[ ! -f "$program" ]]; then
    fail "$what: the variant build is missing ($program)"
    continue
  fi
  e2e_start "$program"
  assert_eq "title=$caption" "$(qa window | grep '^title=')" "$what: caption"
  assert_eq "$footer" "$(qa text 105)" "$what: footer"
  qa close
  e2e_wait_exit 10 || true
  rm -f "$E2E_DIR/program/$(basename "$program")"
done
