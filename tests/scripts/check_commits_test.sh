#!/usr/bin/env bash
# scripts/check-commits over small repositories made here: each case commits
# an old subject, takes that as the baseline, commits the case's message after
# it and expects the script's exit code. Argument: the script.
set -uo pipefail
script="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@example.invalid GIT_COMMITTER_NAME=t GIT_COMMITTER_EMAIL=t@example.invalid
export GIT_CONFIG_NOSYSTEM=1 HOME="$work" GIT_CEILING_DIRECTORIES="$work"

x72=$(printf 'x%.0s' $(seq 72))
korean40=$(printf '가%.0s' $(seq 40))   # 40 characters, 120 bytes
# name | exit code expected | the message after the baseline (\n for a line break)
cases=(
  "subject of 72 characters|0|$x72"
  "subject of 73 characters|1|${x72}y"
  "subject, blank line, body|0|Subject\n\nThe detail, as long as it needs to be, on as many lines as it needs."
  "second line not blank|1|Subject\nThe detail straight after it"
  "second line of blanks only|0|Subject\n   \nBody"
  "subject in Korean counted in characters|0|$korean40"
  "long subject before the baseline stays|0|Fine"
)

passed=0 failed=0
report() {   # name, expected, got, output
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1)); echo "ok   $1"
  else
    failed=$((failed + 1)); echo "FAIL $1: exit $3, expected $2"; echo "$4"
  fi
}

# A repository whose old commit has a subject far over the limit.
new_repo() {
  rm -rf "$1"; git init -q "$1"
  git -C "$1" commit -q --allow-empty -m "$(printf 'o%.0s' $(seq 120))"
}

for c in "${cases[@]}"; do
  IFS='|' read -r name expected message <<<"$c"
  repo="$work/repo"
  new_repo "$repo"
  base=$(git -C "$repo" rev-parse HEAD)
  git -C "$repo" commit -q --allow-empty -m "$(printf '%b' "$message")"
  out=$("$script" --repo "$repo" --base "$base" 2>&1); got=$?
  report "$name" "$expected" "$got" "$out"
done

# A fault is named by its commit.
new_repo "$work/named"
base=$(git -C "$work/named" rev-parse HEAD)
git -C "$work/named" commit -q --allow-empty -m "${x72}zz"
bad=$(git -C "$work/named" rev-parse --short=12 HEAD)
out=$("$script" --repo "$work/named" --base "$base" 2>&1)
grep -q "^check-commits: $bad: subject of 74 characters" <<<"$out"
report "fault names the commit and the length" 0 $? "$out"

# A shallow clone that lacks the baseline checks the commits it has.
new_repo "$work/full"
base=$(git -C "$work/full" rev-parse HEAD)
git -C "$work/full" commit -q --allow-empty -m "Good"
git clone -q --depth 1 "file://$work/full" "$work/shallow"
out=$("$script" --repo "$work/shallow" --base "$base" 2>&1); got=$?
report "shallow clone without the baseline, good tip" 0 "$got" "$out"
grep -q "1 commits present (shallow clone" <<<"$out"
report "shallow clone says what it checked" 0 $? "$out"
git -C "$work/full" commit -q --allow-empty -m "${x72}y"
rm -rf "$work/shallow"; git clone -q --depth 1 "file://$work/full" "$work/shallow"
out=$("$script" --repo "$work/shallow" --base "$base" 2>&1); got=$?
report "shallow clone without the baseline, long tip" 1 "$got" "$out"

# A full history without the baseline is refused, not passed.
out=$("$script" --repo "$work/full" --base 0123456789abcdef0123456789abcdef01234567 2>&1); got=$?
report "baseline missing from a full history" 2 "$got" "$out"

# A tree without history (an unpacked archive) has nothing to check.
mkdir -p "$work/archive"
out=$("$script" --repo "$work/archive" 2>&1); got=$?
grep -q "no git history" <<<"$out"
report "tree without history says so and passes" "0 0" "$got $?" "$out"

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
