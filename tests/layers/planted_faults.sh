#!/usr/bin/env bash
# Plants, one at a time in a copy of the sources, a fault that scripts/check-layers.sh or
# scripts/include-folders.sh must refuse, and checks the message names the file, the line and
# the folders. The untouched copy passes first, so each refusal is the planted fault's.
#   planted_faults.sh REPOSITORY
set -uo pipefail
repo=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

copy=$work/copy
mkdir "$copy"
(cd "$repo" && find src tools tests bench fuzz cmake -type f \
   \( -name '*.cpp' -o -name '*.h' -o -name '*.cmake' -o -name CMakeLists.txt \) -print0 |
   tar -c --null -T - -f -) | tar -x -C "$copy"
check=$repo/scripts/check-layers.sh
rewrite=$repo/scripts/include-folders.sh

failed=0
fail() { echo "FAIL: $*"; failed=1; }
# Every case starts from the same copy: fresh puts back the files the last case changed (keep)
# and removes what it made (made).
kept=(); made=()
keep() { cp -p "$1" "$work/kept.${#kept[@]}"; kept+=("$1"); }
fresh() {
  local i
  for i in "${!kept[@]}"; do cp -p "$work/kept.$i" "${kept[$i]}"; done
  for i in "${made[@]}"; do rm -rf "$i"; done
  kept=(); made=()
}
# The first source or header of a folder, so that the faults follow files that move.
first() { find "$1" -maxdepth 1 -name "$2" -type f | LC_ALL=C sort | head -1; }
# plant FILE TEXT: appends a line to FILE; n is its number.
plant() { keep "$1"; printf '%s\n' "$2" >> "$1"; n=$(wc -l < "$1"); }
sums() { find . -type f -exec md5sum {} + | LC_ALL=C sort; }

# expect_refusal CASE COMMAND... -- TEXT...: COMMAND fails, and its message holds every TEXT.
expect_refusal() {
  local name=$1; shift
  local cmd=()
  while [ "$1" != -- ]; do cmd+=("$1"); shift; done; shift
  local out
  if out=$("${cmd[@]}" 2>&1); then
    fail "$name: accepted"; return
  fi
  for t in "$@"; do
    grep -qF -- "$t" <<< "$out" || fail "$name: no \"$t\" in:"$'\n'"$out"
  done
}

# --- The layer check ---------------------------------------------------------------------
cd "$copy"
out=$(bash "$check" . 2>&1) || fail "untouched sources refused:"$'\n'"$out"

top=$(basename "$(first src/mainwindow '*.h')")
scale=$(basename "$(first src/devices/scale '*.h')")
[ -n "$top" ] && [ -n "$scale" ] || { echo "FAIL: no header in src/mainwindow or src/devices/scale to plant"; exit 1; }

fresh; f=$(first src/data '*.cpp'); plant "$f" "#include \"$top\""
expect_refusal "plain include of a higher folder" bash "$check" . -- \
  "$f:$n: data (level 50) includes src/mainwindow/$top of mainwindow (level 120)"

fresh; f=$(first src/platform/objdb '*.h'); plant "$f" "#include \"mainwindow/$top\""
expect_refusal "include with its folder, in a header" bash "$check" . -- \
  "$f:$n: platform/objdb (level 20) includes src/mainwindow/$top"

fresh; f=$(first src/core/serial '*.cpp'); plant "$f" "#  include \"../../mainwindow/$top\""
expect_refusal "include relative to the includer, from a sub-folder of a placed folder" bash "$check" . -- \
  "$f:$n: core (level 40) includes src/mainwindow/$top"

fresh; f=$(first src/devices/fiscal '*.cpp'); plant "$f" "#include \"devices/scale/$scale\""
expect_refusal "include of a folder beside" bash "$check" . -- \
  "$f:$n: devices/fiscal includes src/devices/scale/$scale of devices/scale, which sits beside it"

fresh; made+=(src/gadgets); mkdir src/gadgets; echo '#include "objdb/Database.h"' > src/gadgets/Gadget.cpp
expect_refusal "folder with no level" bash "$check" . -- \
  "src/gadgets/Gadget.cpp: folder gadgets has no level"

fresh; keep src/data/CMakeLists.txt; echo 'target_link_libraries(mv_data PUBLIC mv_mainwindow)' >> src/data/CMakeLists.txt
expect_refusal "library linking a higher one" bash "$check" . -- \
  "src/data/CMakeLists.txt: mv_data of data (level 50) links mv_mainwindow of mainwindow (level 120)"

fresh; keep src/data/CMakeLists.txt; printf 'mv_library(mv_gadgets mv_core\n  mv_documents)\n' >> src/data/CMakeLists.txt
expect_refusal "folder making a library of a higher level" bash "$check" . -- \
  "links mv_documents of documents"

# Windows stay in the window folders: a Qt Widgets header, a print dialog or a window
# folder's header included by a rule is refused, wherever the rule's folder sits.
for c in "src/data|<QWidget>" "src/printing|<QtWidgets/QDialog>" "src/documents|<QPrintDialog>" \
         "src/core/helpers|\"dialogs/frmMessage.h\"" "src/operations|\"printing/ui/WindowPrintProgress.h\""; do
  dir=${c%%|*}; header=${c#*|}
  fresh; f=$(first "$dir" '*.cpp'); plant "$f" "#include $header"
  expect_refusal "window header $header in $dir" bash "$check" . -- \
    "$f:$n: ${dir#src/} includes the window header $header"
done
# ... and accepted in one.
fresh; f=$(first src/devices/scale/ui '*.cpp'); plant "$f" '#include <QWidget>'
out=$(bash "$check" . 2>&1) || fail "a widget header in a ui folder refused:"$'\n'"$out"

# --- The include rewrite -----------------------------------------------------------------
# Plain includes planted beside the sources as they are, whether or not they were rewritten.
fresh
objdb=$(basename "$(first src/platform/objdb '*.h')")
f=$(first src/data '*.cpp'); plant "$f" "#include \"$objdb\""; other=$f; other_n=$n
f=$(first src/platform/objdb '*.cpp'); plant "$f" "#include \"$objdb\""; own=$f; own_n=$n
f=$(first tests/data '*.cpp'); plant "$f" '#include "TestEnvironment.h"'; support=$f; support_n=$n
out=$(bash "$rewrite" . 2>&1) || fail "rewrite refused the sources:"$'\n'"$out"
[ "$(sed -n "${other_n}p" "$other")" = "#include \"objdb/$objdb\"" ] || fail "rewrite: $other:$other_n has no folder"
[ "$(sed -n "${own_n}p" "$own")" = "#include \"$objdb\"" ] || fail "rewrite: an include of the own folder got one"
[ "$(sed -n "${support_n}p" "$support")" = '#include "TestEnvironment.h"' ] ||
  fail "rewrite: a test support header got a folder"
grep -qF '${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/platform)' cmake/Mirtavolia.cmake ||
  fail "rewrite: the libraries do not publish the two roots"
out=$(bash "$check" . 2>&1) || fail "rewritten sources refused by the layer check:"$'\n'"$out"
before=$(sums)
bash "$rewrite" . > /dev/null 2>&1 || fail "second rewrite failed"
[ "$(sums)" = "$before" ] || fail "a second rewrite changed files"

# Refusals leave every file as it was.
fresh; core=$(first src/core/configuration '*.h'); made+=("src/data/$(basename "$core")"); cp "$core" src/data/; before=$(sums)
expect_refusal "header name twice" bash "$rewrite" . -- \
  "header name $(basename "$core") is not unique" "$core" "src/data/$(basename "$core")"
[ "$(sums)" = "$before" ] || fail "a refused rewrite changed files"

fresh; tool=$(basename "$(first tools '*.h')"); f=$(first src/data '*.cpp'); plant "$f" "#include \"$tool\""
expect_refusal "header of a folder that is no root" bash "$rewrite" . -- \
  "$f:$n: \"$tool\" is a header of tools, which is no include root"

fresh; made+=(src/report); mkdir src/report
expect_refusal "two roots offering one folder" bash "$rewrite" . -- \
  "src/report and src/platform/report would both be included as \"report/...\""

[ $failed -eq 0 ] && echo "every planted fault refused"
exit $failed
