#!/usr/bin/env bash
# Static checks of the 32-bit release exe, which cannot run on this machine:
# format, imports, manifest, version block, embedded data and size.
#   check_exe.sh <exe> <qz_version_block_dump> <gen dir> <expected version dump> <qz_pe_load_config>
set -uo pipefail
exe=$1 dump=$2 gen=$3 expected_version=$4 load_config=$5
triple=i686-w64-mingw32
failures=0
ok()   { echo "ok   - $*"; }
bad()  { echo "FAIL - $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then ok "$what"; else bad "$what"; fi; }
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

# Format: PE32, Intel 80386, GUI subsystem.
info=$(file -b "$exe")
check "PE32 GUI exe for Intel 80386 ($info)" grep -q '^PE32 executable (GUI) Intel 80386' <<<"$info"
headers=$($triple-objdump -p "$exe")
check "GUI subsystem" grep -q 'Subsystem[[:space:]]*00000002' <<<"$headers"
check "NX compatible and relocatable" grep -q 'NX_COMPAT' <<<"$headers"

# Imports: Windows system DLLs only. Known DLLs are always taken from
# System32; comctl32 comes from the side-by-side store through the manifest.
allowed='^(kernel32|user32|gdi32|shell32|comctl32|msvcrt|advapi32|ole32|shlwapi)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | sort -u)
echo "     imports: $(tr '\n' ' ' <<<"$imports")"
check "imports at least kernel32 and user32" grep -q '^user32.dll$' <<<"$imports"
for dll in $imports; do
  check "import $dll is a Windows system DLL safe from planting" grep -Eq "$allowed" <<<"$dll"
done

# Load configuration: DLLs the imports pull in come from System32 only.
config=$("$load_config" --print "$exe")
check "load-config directory points at the program's table" grep -q '^table_size=72$' <<<"$config"
check "dependent DLLs load from System32 only (flags 0x800)" grep -q '^dependent_load_flags=0x800$' <<<"$config"
check "image checksum is right after the post-link step" grep -q '^checksum_ok=1$' <<<"$config"

# Manifest.
wrestool -x --raw --type=24 "$exe" >"$tmp/manifest.xml" 2>/dev/null
check "manifest asks for no elevation (asInvoker)" grep -q 'level="asInvoker"' "$tmp/manifest.xml"
check "manifest asks for common controls 6" grep -q 'Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$tmp/manifest.xml"
check "manifest declares per-monitor DPI awareness" grep -q 'PerMonitorV2' "$tmp/manifest.xml"
check "manifest declares DPI awareness for older systems" grep -q 'true/pm' "$tmp/manifest.xml"

# Version block, field by field.
wrestool -x --raw --type=16 "$exe" >"$tmp/version.bin" 2>/dev/null
if "$dump" "$tmp/version.bin" >"$tmp/version.txt"; then
  if diff -u "$expected_version" "$tmp/version.txt"; then ok "version block"; else bad "version block differs (above)"; fi
else
  bad "version block missing or unreadable"
fi

# Embedded data, byte for byte as the build made it.
data_bytes=0
for name in Firmware0 Firmware1 Firmware2 Firmware3 Firmware4 Firmware5 Firmware6 Firmware7 Firmware8 \
            Firmware9 Firmware10 Firmware11 Firmware12 Firmware13 Languages Changes; do
  file=$gen/$name.bin; [ "$name" = Changes ] && file=$gen/Changes.pdf
  upper=$(tr 'a-z' 'A-Z' <<<"$name")
  wrestool -x --raw --type=10 --name="$upper" "$exe" >"$tmp/$name" 2>/dev/null
  check "resource $name equals $(basename "$file")" cmp -s "$tmp/$name" "$file"
  data_bytes=$((data_bytes + $(stat -c %s "$tmp/$name")))
done
for picture in INFO_UP INFO_HOT INFO_DOWN; do
  wrestool -x --raw --type=2 --name=$picture "$exe" >"$tmp/$picture" 2>/dev/null
  check "picture $picture is a 32x32 24-bit bitmap" \
    test "$(od -An -tu4 -j4 -N8 "$tmp/$picture" | xargs)" = "32 32" -a "$(od -An -tu2 -j14 -N2 "$tmp/$picture" | xargs)" = 24
done
check "program icon present" test -n "$(wrestool -l --type=14 "$exe" 2>/dev/null)"

# Size: everything beside the embedded data stays under 200 KB.
total=$(stat -c %s "$exe")
rest=$((total - data_bytes))
echo "     size: $total bytes in all, $data_bytes of embedded data, $rest of code, runtime, pictures and manifest"
check "code, runtime, pictures and manifest under 200 KB ($rest bytes)" test "$rest" -lt 204800

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all static checks passed"
