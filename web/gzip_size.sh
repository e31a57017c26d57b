#!/bin/sh
# Prints each file's raw and gzip size and the gzip total against the 40 KB budget.
total=0
for f in "$@"; do
  raw=$(wc -c < "$f")
  gz=$(gzip -9c "$f" | wc -c)
  total=$((total + gz))
  echo "web: $(basename "$f") $raw bytes, $gz gzip"
done
echo "web: gzip total $total bytes (budget 40960)"
