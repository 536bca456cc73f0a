#!/usr/bin/env bash
# Reads a small CHANGELOG.md through cmake/release.cmake as the build does,
# and checks the Debian changelog it writes as dpkg reads it: every version
# newest first, each with its own day and the weekday the date command
# gives, items and their wrapped lines kept whole. A project version
# without the newest entry, and a heading of another shape, stop the build.
# usage: check_release.sh SOURCE_DIR
set -euo pipefail
source=$1

work=$(mktemp -d "${TMPDIR:-/tmp}/murvelon-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Dates before and after March (the weekday's year turns there), a leap
# day, days and months with leading zeros.
cat >"$work/CHANGELOG.md" <<'EOF'
# Changes

## 0.10 - 2028-02-29

- An item; with a semicolon, [brackets]
  and a wrapped line.
- A second item.

## 0.9.1 - 2027-01-08

Only a paragraph.

## 0.9 - 2026-09-09

- The first.
EOF
release() { # PROJECT_VERSION
  cmake -DPROJECT_SOURCE_DIR="$work" -DPROJECT_BINARY_DIR="$work/build" -DPROJECT_VERSION="$1" \
    "-DMURVELON_MAINTAINER=Murvelon developers <dev@example.org>" -P "$source/cmake/release.cmake" 2>&1
}
release 0.10 >"$work/cmake.log" || { cat "$work/cmake.log"; fail "the release notes did not read"; }
changelog=$work/build/doc/changelog

# Each entry as dpkg reads it: its version and date.
got=$(dpkg-parsechangelog -l "$changelog" --format rfc822 --all | sed -n 's/^\(Version\|Date\): //p' | tr '\n' '|')
want=""
for entry in 0.10/2028-02-29 0.9.1/2027-01-08 0.9/2026-09-09; do
  want+="${entry%/*}|$(date -u -R -d "${entry#*/} 00:00:00")|"
done
[ "$got" = "$want" ] || fail "entries: $got, want $want"
grep -qxF '  * An item; with a semicolon, [brackets]' "$changelog" &&
  grep -qxF '    and a wrapped line.' "$changelog" && grep -qxF '  Only a paragraph.' "$changelog" ||
  { cat "$changelog"; fail "the items are not as written"; }

out=$(release 0.11) && fail "a project version without an entry was accepted"
[[ $out == *"newest entry is 0.10, the project version is 0.11"* ]] || fail "no word on the version: $out"
sed -i 's/^## 0.9.1 - 2027-01-08$/## 0.9.1 (2027-01-08)/' "$work/CHANGELOG.md"
out=$(release 0.10) && fail "a heading of another shape was accepted"
[[ $out == *'"## 0.9.1 (2027-01-08)" is not'* ]] || fail "no word on the heading: $out"

if [ "$failures" -ne 0 ]; then
  echo "$failures release checks failed"
  exit 1
fi
echo "release checks passed"
