#!/bin/sh
# Copies one of the element's modules into the web tree without its
# whole-line comments (they are for readers of the source, not for every
# page's download) and checks that what is left still parses.
#   ship_js.sh SOURCE OUTPUT
set -e
sed -E '/^[[:space:]]*\/\//d' "$1" > "$2.tmp.mjs"
node --check "$2.tmp.mjs"
mv "$2.tmp.mjs" "$2"
