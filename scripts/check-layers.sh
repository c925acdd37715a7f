#!/usr/bin/env bash
# Checks that the program's layers only reach down: no source includes a header of a folder
# above its own or beside it, and no library links one above it or beside it. Also that the
# rules stay apart from the windows: only the window folders (a ui/ folder, dialogs,
# mainwindow, app, tools and the widget toolkit platform/widgets) include a Qt Widgets
# header, a print dialog's header or a header of a window folder.
#
#   scripts/check-layers.sh [TREE]      (default: this checkout)
#
# Reads src/, tools/, bench/ and fuzz/. Includes are resolved as the compiler does: a plain
# name in the includer's own folder, else the one header of that name under src/; a name
# with a folder relative to the includer, else from the roots src/platform/ and src/.
# Libraries are read from each folder's CMakeLists.txt (mv_library and target_link_libraries).
# Exits 1 naming every file, line and both folders of a step that climbs, every window
# header included outside the window folders, and every folder the table below does not
# place. The Qt Widgets headers are those of the Qt found by qtpaths6 (QT_INSTALL_HEADERS
# in the environment overrides it).
set -euo pipefail

tree=${1:-$(dirname "$0")/..}
cd "$tree"
[ -d src ] || { echo "$0: no src/ folder in $(pwd)" >&2; exit 2; }

# The layers, lowest first. A folder may include and link only folders of a lower level;
# folders of one level are side by side and reach neither each other. A new folder gets a
# line here before it builds. A folder without a line of its own is part of the nearest
# folder above it that has one: the core's sub-folders only sort one library.
layers=$(cat <<'EOF'
platform/base          10
platform/widgets       20
platform/vbscript      20
platform/objdb         20
platform/objdb/ui      30
platform/report        30
platform/report/ui     40   the report's print and preview dialogs
core                   40   configuration, serial, databasefiles, helpers, lifecycle, seams
dialogs                50
data                   50
devices/codefilter     50   the code filter both readers run
devices/barcode        60
devices/cards          60
devices/fiscal         60
devices/scale          60
printing               60
devices/simulators     70   the devices the drivers talk to, played for tests and mvtool
devices/codefilter/ui  70   the filter script box both readers' option dialogs hold
devices/barcode/ui     80
devices/cards/ui       80
devices/fiscal/ui      80
devices/scale/ui       80
printing/ui            80
operations             90
documents             100
documents/ui          110
mainwindow            120
app                   130
tools                 130
bench                 130
fuzz                  130
EOF
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "$layers" | awk 'NF >= 2 { print $1 "\t" $2 }' > "$work/layers"

trees=(src)
for d in tools bench fuzz; do
  [ -d "$d" ] && trees+=("$d")
done

# Every header under src/ by name; a folder's own headers are found beside the includer.
find src -name '*.h' -type f | LC_ALL=C sort > "$work/headers"
find "${trees[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort > "$work/sources"
find src -name CMakeLists.txt -type f | LC_ALL=C sort > "$work/cmakelists"

status=0

# Includes.
xargs -d '\n' awk -v layers="$work/layers" -v headers="$work/headers" '
  # The placed folder a file belongs to: its own, else the nearest one above it in the table.
  function folder_of(path,    d, u) {
    d = path; sub(/\/[^\/]*$/, "", d)
    if (d ~ /^src\//) d = substr(d, 5)
    for (u = d; !(u in level) && index(u, "/") > 0; sub(/\/[^\/]*$/, "", u)) {}
    return (u in level) ? u : d
  }
  function exists(path) { return (path in isfile) }
  # "a/b/../c/./d.h" -> "a/c/d.h"
  function normal(path,    n, i, k, part, out) {
    n = split(path, part, "/"); k = 0
    for (i = 1; i <= n; i++) {
      if (part[i] == "." || part[i] == "") continue
      if (part[i] == ".." && k > 0 && out[k] != "..") { k--; continue }
      out[++k] = part[i]
    }
    path = ""
    for (i = 1; i <= k; i++) path = path (i > 1 ? "/" : "") out[i]
    return path
  }
  function complain(msg) { print msg > "/dev/stderr"; bad = 1 }
  BEGIN {
    while ((getline line < layers) > 0) { split(line, f, "\t"); level[f[1]] = f[2] + 0 }
    while ((getline line < headers) > 0) {
      isfile[line] = 1
      n = line; sub(/.*\//, "", n)
      count[n]++; byname[n] = line; all[n] = all[n] " " line
    }
  }
  FNR == 1 {
    dir = FILENAME; sub(/\/[^\/]*$/, "", dir)
    own = folder_of(FILENAME)
    if (!(own in level) && !(own in unplaced)) {
      unplaced[own] = 1
      complain(FILENAME ": folder " own " has no level in the layer table of scripts/check-layers.sh")
    }
  }
  /^[ \t]*#[ \t]*include[ \t]*"/ {
    name = $0
    sub(/^[^"]*"/, "", name); sub(/".*$/, "", name)
    target = ""
    if (index(name, "/") == 0) {
      if (exists(dir "/" name)) next
      if (count[name] > 1) {
        complain(FILENAME ":" FNR ": \"" name "\" could be any of" all[name])
        next
      }
      if (count[name] == 1) target = byname[name]
    } else if (exists(normal(dir "/" name))) target = normal(dir "/" name)
    else if (exists(normal("src/platform/" name))) target = normal("src/platform/" name)
    else if (exists(normal("src/" name))) target = normal("src/" name)
    if (target == "") next        # not a header of src/: the system, Qt, the tests support
    to = folder_of(target)
    if (to == own || !(own in level) || !(to in level)) next
    if (level[to] > level[own])
      complain(FILENAME ":" FNR ": " own " (level " level[own] ") includes " target \
               " of " to " (level " level[to] "), a higher layer")
    else if (level[to] == level[own])
      complain(FILENAME ":" FNR ": " own " includes " target " of " to \
               ", which sits beside it (level " level[own] ")")
  }
  END { exit bad }' < "$work/sources" || status=1

# Links: which library each folder makes, then what each one links.
xargs -d '\n' awk -v layers="$work/layers" '
  function complain(msg) { print msg > "/dev/stderr"; bad = 1 }
  BEGIN { while ((getline line < layers) > 0) { split(line, f, "\t"); level[f[1]] = f[2] + 0 } }
  FNR == 1 { files[++nf] = FILENAME; texts[nf] = "" }
  { line = $0; sub(/#.*/, "", line); texts[nf] = texts[nf] " " line }
  END {
    # mv_library(NAME DEPS...) names the folder of NAME.
    for (i = 1; i <= nf; i++) {
      d = files[i]; sub(/\/CMakeLists.txt$/, "", d); d = substr(d, 5)
      for (u = d; !(u in level) && index(u, "/") > 0; sub(/\/[^\/]*$/, "", u)) {}
      if (u in level) d = u
      t = texts[i]
      while (match(t, /mv_library[ \t]*\([^)]*\)/)) {
        call = substr(t, RSTART, RLENGTH); t = substr(t, RSTART + RLENGTH)
        sub(/^mv_library[ \t]*\(/, "", call); sub(/\)$/, "", call)
        n = split(call, arg, /[ \t]+/); k = 0
        for (j = 1; j <= n; j++) if (arg[j] != "") { k++; if (k == 1) { lib = arg[j]; folder[lib] = d; file[lib] = files[i] } else deps[lib] = deps[lib] " " arg[j] }
      }
    }
    # target_link_libraries(NAME [PUBLIC|PRIVATE|INTERFACE] LIBS...) of a library made here.
    for (i = 1; i <= nf; i++) {
      t = texts[i]
      while (match(t, /target_link_libraries[ \t]*\([^)]*\)/)) {
        call = substr(t, RSTART, RLENGTH); t = substr(t, RSTART + RLENGTH)
        sub(/^target_link_libraries[ \t]*\(/, "", call); sub(/\)$/, "", call)
        n = split(call, arg, /[ \t]+/); k = 0; lib = ""
        for (j = 1; j <= n; j++) if (arg[j] != "") { k++; if (k == 1) lib = arg[j]; else deps[lib] = deps[lib] " " arg[j] }
      }
    }
    for (lib in folder) {
      own = folder[lib]
      if (!(own in level)) {
        complain(file[lib] ": folder " own " has no level in the layer table of scripts/check-layers.sh")
        continue
      }
      n = split(deps[lib], dep, " ")
      for (j = 1; j <= n; j++) {
        if (!(dep[j] in folder) || dep[j] == lib) continue
        to = folder[dep[j]]
        if (!(to in level)) continue
        if (level[to] > level[own])
          complain(file[lib] ": " lib " of " own " (level " level[own] ") links " dep[j] " of " to \
                   " (level " level[to] "), a higher layer")
        else if (level[to] == level[own])
          complain(file[lib] ": " lib " of " own " links " dep[j] " of " to ", which sits beside it (level " \
                   level[own] ")")
      }
    }
    exit bad
  }' < "$work/cmakelists" || status=1

# Window headers outside the window folders.
headers_root=${QT_INSTALL_HEADERS:-$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || true)}
if [ ! -d "$headers_root/QtWidgets" ]; then
  echo "$0: no QtWidgets headers under \"$headers_root\" (set QT_INSTALL_HEADERS)" >&2
  exit 2
fi
{
  find "$headers_root/QtWidgets" -maxdepth 1 -type f -name 'Q*' ! -name '*.h' -printf '%f\n'
  printf '%s\n' QAbstractPrintDialog QPageSetupDialog QPrintDialog QPrintPreviewDialog QPrintPreviewWidget
} | LC_ALL=C sort -u > "$work/widget_headers"
find src -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort |
  awk '{ f = "/" $0; if (f !~ /\/ui\// && f !~ /^\/src\/(dialogs|mainwindow|app|platform\/widgets)\//) print }' \
  > "$work/rule_sources"
if [ -s "$work/rule_sources" ]; then
  xargs -d '\n' awk -v widgets="$work/widget_headers" '
    function complain(msg) { print msg > "/dev/stderr"; bad = 1 }
    BEGIN { while ((getline line < widgets) > 0) widget[line] = 1 }
    FNR == 1 { own = FILENAME; sub(/\/[^\/]*$/, "", own); own = substr(own, 5) }
    /^[ \t]*#[ \t]*include[ \t]*</ {
      name = $0; sub(/^[^<]*</, "", name); sub(/>.*$/, "", name)
      if ((name in widget) || name ~ /^QtWidgets(\/|$)/ ||
          name ~ /^QtPrintSupport\/Q(AbstractPrintDialog|PageSetupDialog|PrintDialog|PrintPreview)/)
        complain(FILENAME ":" FNR ": " own " includes the window header <" name ">, which only a window folder may")
    }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
      name = $0; sub(/^[^"]*"/, "", name); sub(/".*$/, "", name)
      if (name ~ /(^|\/)ui\// || name ~ /^(dialogs|mainwindow|app|widgets)\//)
        complain(FILENAME ":" FNR ": " own " includes the window header \"" name "\", which only a window folder may")
    }
    END { exit bad }' < "$work/rule_sources" || status=1
fi

if [ $status -eq 0 ]; then
  echo "layers in order: $(wc -l < "$work/sources") sources, $(wc -l < "$work/cmakelists") CMakeLists"
fi
exit $status
