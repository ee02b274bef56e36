#!/bin/sh
# Collects the window texts (and the core's log lines and messages) from the sources into a copy of the English translation file, as the
# update_translations target would, and fails listing every text without a finished translation:
# a text added to the program but not translated, or one whose translation is still unfinished.
#   translations_complete.sh <source folder> <lupdate> <lconvert>
set -eu
src=$1 lupdate=$2 lconvert=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$src/app/translations/irtool_en.ts" "$tmp/en.ts"
"$lupdate" "$src/app" "$src/core" -I "$src" -source-language zh_CN -target-language en -no-obsolete -locations none \
  -ts "$tmp/en.ts" >"$tmp/lupdate.log" 2>&1 || { cat "$tmp/lupdate.log"; exit 1; }
"$lconvert" -no-finished -i "$tmp/en.ts" -o "$tmp/unfinished.ts"
missing=$(grep -c "<source>" "$tmp/unfinished.ts" || true)
total=$(grep -c "<source>" "$tmp/en.ts" || true)
if [ "$missing" -ne 0 ]; then
  echo "$missing of $total texts have no finished English translation (add it to app/translations/irtool_en.ts):"
  grep "<source>" "$tmp/unfinished.ts" | sed 's/^ *<source>/  /; s/<\/source>$//'
  exit 1
fi
echo "all $total texts have a finished English translation"
