#!/bin/sh
# Checks the change list PDF made by qz_gen_changes:
#   check_changes_pdf.sh <qz_gen_changes> <changes.txt>
# It is made twice (in different folders, time zones and locales) and must be
# the same bytes; it must be PDF 1.4 on A4 with the title as metadata and
# DejaVu Sans embedded; poppler must read back every version heading and every
# change of changes.txt, in order, within the margins. A long made-up list
# checks the page breaks; bad input, an unwritable output and a missing font
# must fail with a message and leave no file.
set -u

gen=${1:?usage: check_changes_pdf.sh <qz_gen_changes> <changes.txt>}
source_txt=${2:?usage: check_changes_pdf.sh <qz_gen_changes> <changes.txt>}

for tool in pdfinfo pdftotext pdffonts cmp awk; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed (poppler-utils)"; exit 1; }
done

tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fc_file=
failures=0
passes=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { passes=$((passes + 1)); }
check() {  # check <description> <command...>
  what=$1
  shift
  if "$@"; then pass; else fail "$what"; fi
}

# The text as one line with single spaces, and with a space at each end.
flatten() { tr -s ' \t\r\n\f' '    ' | awk 'BEGIN { ORS = "" } { print " " $0 " " }' | tr -s ' ' ' '; }

# Every heading and change of a changes.txt found in order in the flattened
# text of its PDF. With "nospace" all spaces are dropped first, for lists
# with words too long for a line, which the PDF splits.
expect_all() {  # expect_all <changes.txt> <flat pdf text> <exact|nospace>
  awk -v mode="$3" -v flatfile="$2" '
    function norm(s) {
      gsub(/[ \t\r]+/, " ", s); sub(/^ /, "", s); sub(/ $/, "", s)
      if (mode == "nospace") gsub(/ /, "", s)
      return s
    }
    BEGIN {
      getline flat < flatfile
      if (mode == "nospace") gsub(/ /, "", flat)
      sep = (mode == "nospace") ? "" : " "
      at = 1; bad = 0; titled = 0
    }
    /^#/ || /^[ \t\r]*$/ { next }
    {
      line = $0; sub(/\r$/, "", line)
      # keep: the end of want that is also the start of the next one
      if (!titled) { titled = 1; want = norm(line) sep; keep = length(sep) }
      else if (line ~ /^Версия /) { want = sep norm(line) sep "•"; keep = length(sep "•") }
      else if (line ~ /^- /) { want = "•" sep norm(substr(line, 3)) sep; keep = length(sep) }
      else { print "unreadable line in the text: " line; bad = 1; next }
      rest = substr(flat, at)
      i = index(rest, want)
      if (i == 0) {
        if (index(flat, want) > 0) print "out of order: " want
        else print "missing from the PDF: " want
        bad = 1
      } else {
        at += i - 1 + length(want) - keep
      }
      count++
    }
    END { if (count < 3) { print "too few lines checked"; bad = 1 } exit bad }
  ' "$1"
}

# No word outside the margins; the footer alone sits below the text block.
within_margins() {  # within_margins <pdf>
  pdftotext -bbox "$1" "$tmp/bbox.html" || return 1
  awk '
    /<word / {
      for (i = 1; i <= NF; i++) {
        if (split($i, kv, "\"") >= 2) {
          key = kv[1]; sub(/=$/, "", key); v[key] = kv[2] + 0
        }
      }
      words++
      if (v["xMin"] < 55.5 || v["xMax"] > 539.8) { print "word across a side margin: " $0; bad = 1 }
      if (v["yMin"] < 55.5) { print "word in the top margin: " $0; bad = 1 }
      if (v["yMin"] < 800 && v["yMax"] > 786.5) { print "word in the bottom margin: " $0; bad = 1 }
    }
    END { if (words == 0) { print "no words"; bad = 1 } exit bad }
  ' "$tmp/bbox.html"
}

# A heading never ends a page: the last line before the footer is a change.
no_lonely_heading() {  # no_lonely_heading <pdf> <pages>
  page=1
  while [ "$page" -le "$2" ]; do
    last=$(pdftotext -f "$page" -l "$page" "$1" - | tr -d '\f' | awk 'NF && !/^Страница [0-9]+$/ { l = $0 } END { print l }')
    case "$last" in
      Версия*) echo "page $page ends with a heading: $last"; return 1 ;;
    esac
    page=$((page + 1))
  done
}

info_field() {  # info_field <pdf> <field>
  pdfinfo "$1" | awk -v f="$2:" 'index($0, f) == 1 { sub(/^[^:]*:[ ]*/, ""); print; exit }'
}

# ---- the real list ---------------------------------------------------------
mkdir "$tmp/a" "$tmp/b"
(cd "$tmp/a" && env -u SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C "$gen" "$source_txt" "$tmp/a/Changes.pdf") \
  || { echo "FAIL: qz_gen_changes failed on $source_txt"; exit 1; }
(cd "$tmp/b" && env -u SOURCE_DATE_EPOCH TZ=Asia/Tashkent LC_ALL=C.UTF-8 "$gen" "$source_txt" "$tmp/b/Changes.pdf") \
  || { echo "FAIL: qz_gen_changes failed the second time"; exit 1; }
pdf=$tmp/a/Changes.pdf

check "two runs give different bytes" cmp -s "$pdf" "$tmp/b/Changes.pdf"
check "the file does not start with %PDF-1.4" [ "$(head -c 8 "$pdf")" = "%PDF-1.4" ]
check "pdfinfo cannot read the file" pdfinfo "$pdf" >/dev/null
check "pdfinfo reports version '$(info_field "$pdf" "PDF version")', not 1.4" \
  [ "$(info_field "$pdf" "PDF version")" = "1.4" ]
check "the pages are not A4: $(info_field "$pdf" "Page size")" \
  [ "$(info_field "$pdf" "Page size")" = "595.276 x 841.89 pts (A4)" ]
title=$(awk '!/^#/ && NF { sub(/\r$/, ""); sub(/[ \t]+$/, ""); print; exit }' "$source_txt")
check "the title metadata is '$(info_field "$pdf" Title)', not '$title'" [ "$(info_field "$pdf" Title)" = "$title" ]
check "the creation date is not the fixed one: $(info_field "$pdf" CreationDate)" \
  [ "$(info_field "$pdf" CreationDate)" = "Fri Mar 15 12:00:00 2024 UTC" ]
pdffonts "$pdf" >"$tmp/fonts"
check "DejaVu Sans is not embedded" grep -Eq '[+]DejaVuSans .* yes +yes' "$tmp/fonts"
check "DejaVu Sans Bold is not embedded" grep -Eq '[+]DejaVuSans-Bold .* yes +yes' "$tmp/fonts"
only_dejavu() { awk 'NR > 2 && $1 !~ /[+]DejaVuSans(-Bold)?$/ { bad = 1 } END { exit bad }' "$1"; }
check "a font other than DejaVu Sans is used: $(awk 'NR > 2 { print $1 }' "$tmp/fonts" | tr '\n' ' ')" \
  only_dejavu "$tmp/fonts"

pdftotext -enc UTF-8 "$pdf" - | flatten >"$tmp/a.flat"
check "the text of $source_txt does not come back from the PDF" expect_all "$source_txt" "$tmp/a.flat" exact
check "text outside the margins" within_margins "$pdf"

# SOURCE_DATE_EPOCH, when set, gives the dates.
SOURCE_DATE_EPOCH=1700000000 "$gen" "$source_txt" "$tmp/epoch.pdf"
check "SOURCE_DATE_EPOCH is not used: $(info_field "$tmp/epoch.pdf" CreationDate)" \
  [ "$(info_field "$tmp/epoch.pdf" CreationDate)" = "Tue Nov 14 22:13:20 2023 UTC" ]

# ---- long lists: page breaks and wrapping ---------------------------------
# make_long <seed>: 40 versions of 2 to 6 changes, some of three lines, one
# in seven with a word too long for a line; the seed varies the mix, so the
# page ends fall after headings, short changes and long ones.
make_long() {
  echo "# made up to fill several pages"
  echo "Длинный список изменений для проверки переноса строк и страниц"
  v=40
  while [ "$v" -ge 1 ]; do
    echo ""
    echo "Версия 7.$v"
    longer="- Изменение $v подлиннее: перед записью на флеш-накопитель проверяется каждый файл, его размер и контрольная сумма, а при ошибке запись останавливается и выводится сообщение с причиной."
    if [ $(((v + $1) % 2)) -eq 0 ]; then
      echo "$longer"
      echo "- Короткое изменение номер $v."
    else
      echo "- Короткое изменение номер $v."
      echo "$longer"
    fi
    k=0
    while [ "$k" -lt $(((v * 5 + $1) % 4)) ]; do echo "- Дополнительное изменение $k версии 7.$v."; k=$((k + 1)); done
    if [ $((v % 7)) -eq 0 ]; then
      echo "- Очень длинное слово Проверкасловакотороенепомещаетсявстрокуцеликомиегонадоразбитьнанесколькочастейбезпробелов$v конец."
    fi
    v=$((v - 1))
  done
}
for seed in 0 1 2 3 4 5; do
  long=$tmp/long$seed.txt
  make_long "$seed" >"$long"
  if "$gen" "$long" "$tmp/long.pdf"; then
    pages=$(info_field "$tmp/long.pdf" Pages)
    check "long list $seed fits on ${pages:-?} page(s); expected at least 3" [ "${pages:-0}" -ge 3 ]
    pdftotext -enc UTF-8 "$tmp/long.pdf" - | flatten >"$tmp/long.flat"
    check "long list $seed does not come back whole" expect_all "$long" "$tmp/long.flat" nospace
    check "long list $seed runs outside the margins" within_margins "$tmp/long.pdf"
    check "long list $seed leaves a heading alone at a page foot" no_lonely_heading "$tmp/long.pdf" "${pages:-0}"
    check "the last page of long list $seed is not numbered ${pages:-?}" grep -q " Страница ${pages:-?} " "$tmp/long.flat"
  else
    fail "qz_gen_changes failed on long list $seed"
  fi
done

# ---- bad input ---------------------------------------------------------------
expect_failure() {  # expect_failure <description> <message pattern> <output> <args...>
  what=$1 pattern=$2 out=$3
  shift 3
  rm -f "$out"
  if env ${fc_file:+FONTCONFIG_FILE="$fc_file"} "$gen" "$@" 2>"$tmp/err"; then
    fail "$what: exit status 0"
  elif ! grep -q -- "$pattern" "$tmp/err"; then
    fail "$what: message '$(cat "$tmp/err")' lacks '$pattern'"
  elif [ -e "$out" ]; then
    fail "$what: left $out behind"
  else
    pass
  fi
}
printf 'Заголовок\nВерсия 6.22\nне изменение\n' >"$tmp/bad.txt"
expect_failure "missing input" "$tmp/none.txt" "$tmp/x.pdf" "$tmp/none.txt" "$tmp/x.pdf"
expect_failure "input is a folder" "$tmp" "$tmp/x.pdf" "$tmp" "$tmp/x.pdf"
expect_failure "malformed input" "bad.txt:3:" "$tmp/x.pdf" "$tmp/bad.txt" "$tmp/x.pdf"
expect_failure "unwritable output" "cannot write" "$tmp/no/such/folder/x.pdf" "$source_txt" "$tmp/no/such/folder/x.pdf"
expect_failure "no arguments" "usage" "$tmp/x.pdf"
printf 'Заголовок\nВерсия 6.22\n- Знак 中, которого нет в DejaVu Sans.\n' >"$tmp/cjk.txt"
expect_failure "a character the font lacks" "no glyph for U+4E2D" "$tmp/x.pdf" "$tmp/cjk.txt" "$tmp/x.pdf"
# A fontconfig that knows no fonts: the tool must not fall back silently.
mkdir "$tmp/nofonts"
cat >"$tmp/fonts.conf" <<FC
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig><dir>$tmp/nofonts</dir><cachedir>$tmp/fc-cache</cachedir></fontconfig>
FC
fc_file=$tmp/fonts.conf
expect_failure "no DejaVu Sans" "DejaVu Sans" "$tmp/x.pdf" "$source_txt" "$tmp/x.pdf"
fc_file=

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
