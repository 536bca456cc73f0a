#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a Linux desktop
# reads from it: the desktop entry, the AppStream file, the file types, the
# icons, the manual pages and the copyright and changelog, which name the
# version the programs print and none of the old placeholders; then runs
# the installed murvelon-cli in a temporary home and compares its render of
# the installed demo with the build tree's.
# usage: check_install.sh BUILD_DIR SOURCE_DIR HAS_DESKTOP_PROGRAM(0|1)
set -euo pipefail
build=$1 source=$2 desktop=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/murvelon-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (scripts/install-deps.sh installs it)"; exit 1; }; }
for tool in desktop-file-validate appstreamcli xmllint update-mime-database groff cmp od zcat; do need "$tool"; done

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
# Every file the rules wrote is under the prefix.
outside=$(grep -v "^$prefix/" "$build/install_manifest.txt" || true)
[ -z "$outside" ] || fail "installed outside the prefix: $outside"

share=$prefix/share
for f in bin/murvelon-cli share/applications/murvelon.desktop share/mime/packages/murvelon.xml \
         share/metainfo/org.murvelon.murvelon.metainfo.xml share/icons/hicolor/scalable/apps/murvelon.svg \
         share/man/man1/murvelon.1.gz share/man/man1/murvelon-cli.1.gz share/murvelon/Songs/demo.zqm \
         share/murvelon/murvelon.ini share/doc/murvelon/copyright share/doc/murvelon/changelog.gz; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
[ "$desktop" = 0 ] || [ -x "$prefix/bin/murvelon" ] || fail "bin/murvelon is not installed"
for kind in Synths/zqb FMSynths/zqf; do
  folder=${kind%/*} ext=${kind#*/}
  want=$(find "$source/$folder" -name "*.$ext" | wc -l)
  got=$(find "$share/murvelon/$folder" -name "*.$ext" | wc -l)
  [ "$want" -gt 0 ] && [ "$got" = "$want" ] || fail "$folder: $got presets installed of $want"
done

# Icons: a PNG of each size, its header saying that size.
for size in 16 22 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/murvelon.png
  if [ ! -f "$png" ]; then fail "no ${size}x${size} icon"; continue; fi
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4, $7*256+$8}')
  [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "${size}x${size} icon is ${width}x${height}"
done
xmllint --noout "$share/icons/hicolor/scalable/apps/murvelon.svg" || fail "the SVG icon is not well-formed"

desktop-file-validate "$share/applications/murvelon.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/org.murvelon.murvelon.metainfo.xml" >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; fail "appstreamcli validate"; }

# The MIME file: well-formed, and the MIME database builder takes it and
# knows songs by their name and by their first four bytes.
xmllint --noout "$share/mime/packages/murvelon.xml" || fail "xmllint on the MIME file"
mkdir -p "$work/mime/packages" && cp "$share/mime/packages/murvelon.xml" "$work/mime/packages/"
XDG_DATA_HOME=$work update-mime-database "$work/mime" 2>"$work/mime.log" || { cat "$work/mime.log"; fail "update-mime-database"; }
[ ! -s "$work/mime.log" ] || { cat "$work/mime.log"; fail "update-mime-database warned"; }
grep -q 'application/x-murvelon-song:\*\.zqm' "$work/mime/globs2" || fail "no *.zqm glob in the MIME database"
grep -aq 'application/x-murvelon-song' "$work/mime/magic" && grep -aq 'ZQ23' "$work/mime/magic" ||
  fail "no ZQ23 magic in the MIME database"

# Manual pages render without a warning.
for page in murvelon murvelon-cli; do
  out=$(zcat "$share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1) || fail "groff failed on $page.1"
  [ -z "$out" ] || { echo "$out"; fail "groff warned on $page.1"; }
done

# One version everywhere: the programs, the manual pages, the newest
# changelog entry and the AppStream file's newest release, whose date is
# the changelog's.
version=$("$prefix/bin/murvelon-cli" --version | sed -n 's/^murvelon-cli \([^ ]*\) .*/\1/p')
[ -n "$version" ] || fail "murvelon-cli --version says no version"
for page in murvelon murvelon-cli; do
  zcat "$share/man/man1/$page.1.gz" | head -1 | grep -qF "\"Murvelon $version\"" || fail "$page.1 is not of version $version"
done
zcat "$share/doc/murvelon/changelog.gz" | head -1 | grep -q "^murvelon ($version) " ||
  fail "the changelog's newest entry is not $version"
changelog_date=$(zcat "$share/doc/murvelon/changelog.gz" | sed -n '0,/^ -- /s/^ -- .*>  //p')
release=$(grep -o '<release [^>]*>' "$share/metainfo/org.murvelon.murvelon.metainfo.xml" | head -1)
[ "$release" = "<release version=\"$version\" date=\"$(date -u -d "$changelog_date" +%F)\"/>" ] ||
  fail "the AppStream file's newest release, $release, is not $version of $changelog_date"
placeholders=$(grep -rlE 'murvelon\.invalid|LicenseRef-proprietary' "$prefix" || true)
[ -z "$placeholders" ] || fail "placeholders left in $placeholders"

# The installed tool in a fresh home: the first start gives the user the
# demo and the presets, and the installed demo renders as the build tree's.
home=$work/home
mkdir -p "$home"
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache
"$prefix/bin/murvelon-cli" render "$share/murvelon/Songs/demo.zqm" -o "$work/installed.wav" ||
  fail "the installed murvelon-cli cannot render the installed demo"
"$build/tools/murvelon-cli" render "$source/Songs/demo.zqm" -o "$work/built.wav" ||
  fail "the build tree's murvelon-cli cannot render the demo"
cmp -s "$work/installed.wav" "$work/built.wav" || fail "the installed render differs from the build tree's"
[ "$(stat -c %s "$work/installed.wav")" -gt 1000000 ] || fail "the installed render is too short"
cmp -s "$home/.local/share/murvelon/Songs/demo.zqm" "$share/murvelon/Songs/demo.zqm" ||
  fail "the first start did not copy the demo into the user's Songs folder"
for kind in Synths FMSynths; do
  diff -rq "$share/murvelon/$kind" "$home/.local/share/murvelon/$kind" >/dev/null ||
    fail "the first start did not copy $kind"
done
cmp -s "$home/.config/murvelon/murvelon.ini" "$share/murvelon/murvelon.ini" ||
  fail "the first start did not copy the shipped settings into the user's configuration folder"
grep -qx 'Latency=20' "$share/murvelon/murvelon.ini" || fail "the shipped settings do not say Latency=20"
[ -f "$home/.cache/murvelon/Wavetables/wf_sawt.raw" ] || fail "no wavetable cache in the user's cache folder"
[ ! -e "$prefix/bin/Songs" ] && [ ! -e "$prefix/bin/System" ] || fail "the installed program wrote beside itself"

if [ "$failures" -ne 0 ]; then
  echo "$failures install checks failed"
  exit 1
fi
echo "install checks passed"
