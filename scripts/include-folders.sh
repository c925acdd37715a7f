#!/usr/bin/env bash
# Makes every include of a project header from another folder name that folder, from one of
# the two include roots: src/ and src/platform/ ("objdb/Database.h", "core/configuration/Configuration.h",
# "devices/fiscal/FiscalReceipt.h"). A header of the includer's own folder stays plain, and
# so do the tests' support headers (tests/support keeps an include folder of its own).
# Includes that already hold a folder are left alone, so a second run changes nothing.
# Then the libraries publish the two roots instead of their own folders (cmake/Mirtavolia.cmake),
# so that an include without its folder no longer compiles.
#
#   scripts/include-folders.sh [TREE]        rewrites the sources under TREE (default: this checkout)
#   scripts/include-folders.sh --dry-run     lists what would change, writes nothing
#
# A header name that is not unique where includes look for it stops the run before any file
# is written: a plain include of it could mean either file, so no rewrite can be trusted.
set -euo pipefail

dry_run=0
tree=
for a in "$@"; do
  case $a in
    --dry-run) dry_run=1 ;;
    -*) echo "usage: $0 [--dry-run] [TREE]" >&2; exit 2 ;;
    *) tree=$a ;;
  esac
done
tree=${tree:-$(dirname "$0")/..}
cd "$tree"

folders=()
for d in src tools tests bench fuzz; do
  [ -d "$d" ] && folders+=("$d")
done
[ -d src ] || { echo "$0: no src/ folder in $(pwd)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two roots must never offer the same path: src/report and src/platform/report would both
# be "report/...".
clash=0
for d in src/platform/*/; do
  [ -d "$d" ] || continue
  n=$(basename "$d")
  if [ -d "src/$n" ]; then
    echo "$0: src/$n and src/platform/$n would both be included as \"$n/...\": rename one" >&2
    clash=1
  fi
done
[ $clash -eq 0 ] || exit 1

# The headers: name, folder, and the path an include from another folder uses ("" for a
# header only its own folder and its tests may include; the plain name for the tests'
# support headers).
find "${folders[@]}" -name '*.h' -type f | LC_ALL=C sort | awk '
  {
    n = $0; sub(/.*\//, "", n)
    d = $0; sub(/\/[^\/]*$/, "", d)
    if ($0 ~ /^src\/platform\//)      p = substr($0, length("src/platform/") + 1)
    else if ($0 ~ /^src\//)           p = substr($0, length("src/") + 1)
    else if (d == "tests/support")    p = n
    else                              p = ""
    print n "\t" d "\t" p
  }' > "$work/headers"

# A name shared by two headers of which one is reachable from other folders is ambiguous.
awk -F'\t' '
  { count[$1]++; where[$1] = where[$1] "\n    " $2 "/" $1; if ($3 != "") shared[$1] = 1 }
  END {
    bad = 0
    for (n in count)
      if (count[n] > 1 && (n in shared)) {
        print "header name " n " is not unique:" where[n] > "/dev/stderr"
        bad = 1
      }
    exit bad
  }' "$work/headers" || { echo "$0: rename the headers above so that each name is one file; nothing was changed" >&2; exit 1; }

find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort > "$work/sources"

# One pass over every source: the lines to change ("file<TAB>line<TAB>new text") and the
# includes that cannot be given a folder.
xargs -d '\n' awk -v headers="$work/headers" -v edits="$work/edits" '
  BEGIN {
    FS = "\t"
    while ((getline line < headers) > 0) {
      split(line, f, "\t")
      here[f[1], f[2]] = 1
      if (f[3] != "") path[f[1]] = f[3]
      else local[f[1]] = f[2]
    }
    FS = " "
  }
  FNR == 1 { dir = FILENAME; sub(/\/[^\/]*$/, "", dir) }
  /^[ \t]*#[ \t]*include[ \t]*"[^"\/]+"/ {
    name = $0
    sub(/^[^"]*"/, "", name); sub(/".*$/, "", name)
    if ((name, dir) in here) next
    # The tests of tools/ include its headers as its own sources do.
    if (dir ~ /^tests\// && (name, substr(dir, 7)) in here) next
    if (name in path) {
      if (path[name] == name) next
      line = $0
      p = index(line, "\"" name "\"")
      line = substr(line, 1, p) path[name] substr(line, p + 1 + length(name))
      print FILENAME "\t" FNR "\t" line > edits
    } else if (name in local) {
      print FILENAME ":" FNR ": \"" name "\" is a header of " local[name] \
            ", which is no include root: include it from its own folder, or move it under src/" > "/dev/stderr"
      bad = 1
    }
  }
  END { exit bad }' < "$work/sources" || { echo "$0: nothing was changed" >&2; exit 1; }

touch "$work/edits"
if [ $dry_run -eq 1 ]; then
  awk -F'\t' '{ print $1 ":" $2 ": " $3 }' "$work/edits"
  exit 0
fi

# Each file that changes is read whole, then written back in place (its mode stays).
awk '
  BEGIN {
    FS = "\t"
    while ((getline line < ARGV[1]) > 0) {
      n = index(line, "\t"); f = substr(line, 1, n - 1); rest = substr(line, n + 1)
      n = index(rest, "\t"); repl[f, substr(rest, 1, n - 1) + 0] = substr(rest, n + 1)
      if (!(f in seen)) { seen[f] = 1; files[++nf] = f }
    }
    for (i = 1; i <= nf; i++) {
      f = files[i]; k = 0
      while ((getline line < f) > 0) text[++k] = line
      close(f)
      for (j = 1; j <= k; j++) print (((f, j) in repl) ? repl[f, j] : text[j]) > f
      close(f)
    }
    exit
  }' "$work/edits"
echo "$(wc -l < "$work/edits") includes in $(cut -f1 "$work/edits" | uniq | wc -l) files now name their folder"

cmake_file=cmake/Mirtavolia.cmake
folder_line='  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})'
roots_line='  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/platform)'
if [ -f "$cmake_file" ] && grep -qxF "$folder_line" "$cmake_file"; then
  awk -v old="$folder_line" -v new="$roots_line" '
    $0 == old {
      print "  # Includes name the folder of a header from one of two roots: \"objdb/Database.h\","
      print "  # \"core/Configuration.h\" (a header of the includer'"'"'s own folder is included plain)."
      print new
      next
    }
    { print }' "$cmake_file" > "$work/new"
  cat "$work/new" > "$cmake_file"
  echo "$cmake_file: libraries publish src/ and src/platform/ instead of their own folders"
elif [ -f "$cmake_file" ] && ! grep -qxF "$roots_line" "$cmake_file"; then
  echo "$0: $cmake_file: mv_library publishes neither its own folder nor the roots as expected;" \
       "make it publish \${PROJECT_SOURCE_DIR}/src and \${PROJECT_SOURCE_DIR}/src/platform by hand" >&2
  exit 1
fi
