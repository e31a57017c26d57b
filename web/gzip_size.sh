#!/bin/sh
# Prints each file's raw and gzip size and the gzip total, and fails when the
# total is above the budget: what a browser downloads stays under 40 KB.
#   gzip_size.sh FILE...
budget=40960
total=0
for f in "$@"; do
  [ -f "$f" ] || { echo "web: $f is missing" >&2; exit 1; }
  raw=$(wc -c < "$f")
  gz=$(gzip -9c "$f" | wc -c)
  total=$((total + gz))
  echo "web: $(basename "$f") $raw bytes, $gz gzip"
done
echo "web: gzip total $total bytes (budget $budget)"
if [ "$total" -gt "$budget" ]; then
  echo "web: over the size budget by $((total - budget)) bytes" >&2
  exit 1
fi
