#!/usr/bin/env bash
# What the desktop reads after `cmake --install`: the application entry, the
# icon and the MIME types of shapefiles and map projects.
set -euo pipefail
build="$1"
for tool in desktop-file-validate update-mime-database; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/bootstrap"; exit 1; }
done
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

entry="$prefix/share/applications/zemba.desktop"
desktop-file-validate "$entry"
grep -qx 'Exec=zemba %F' "$entry"
test -x "$prefix/bin/zemba"
test -f "$prefix/bin/zembahelp.hlp"
test -s "$prefix/share/icons/hicolor/scalable/apps/zemba.svg"

# The package file builds into a MIME database that knows both types, and
# the entry offers to open them.
update-mime-database "$prefix/share/mime" 2>&1 | tee "$prefix/mime.log"
if grep -qi 'error\|warning' "$prefix/mime.log"; then exit 1; fi
grep -q 'application/x-esri-shape:\*\.shp' "$prefix/share/mime/globs2"
grep -q 'application/x-zemba-project:\*\.zmp' "$prefix/share/mime/globs2"
grep -q 'application/x-esri-shape' "$prefix/share/mime/magic"
for type in application/x-esri-shape application/x-zemba-project; do
  grep -q "^MimeType=.*$type;" "$entry"
done
echo "desktop entry, icon and MIME types install and validate"
