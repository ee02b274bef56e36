#!/bin/sh
# installed_desktop_files.sh <build folder>: installs the build into a temporary prefix and checks that
# the desktop finds the program, its menu entry, its icons and its description, and that they validate.
set -eu
for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (./build.sh installs desktop-file-utils and appstream)"
    exit 77
  fi
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$1" --prefix "$root/usr" >/dev/null
share=$root/usr/share
id=org.irtool.irtool
failed=0
fail() { echo "FAILED: $*"; failed=1; }

for program in irtool irmodule-sim; do
  [ -x "$root/usr/bin/$program" ] || fail "$program is not installed in bin/"
done
desktop-file-validate "$share/applications/$id.desktop" || fail "the menu entry does not validate"
grep -qx "Exec=irtool" "$share/applications/$id.desktop" || fail "the menu entry does not start irtool"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "the description does not validate"
[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$id.png
  if [ ! -f "$png" ]; then
    fail "no ${size}x${size} icon"
    continue
  fi
  set -- $(od -An -tu1 -j16 -N8 "$png")
  [ $(($3 * 256 + $4)) -eq "$size" ] && [ $(($7 * 256 + $8)) -eq "$size" ] || fail "$png is not ${size}x${size}"
done
[ "$failed" -eq 0 ] && echo "installed files are complete and valid"
exit "$failed"
