#!/usr/bin/env bash
# Builds the Debian package as `make package` does, into a temporary folder,
# and checks it: its dependencies are the libraries the programs link
# against, it runs no script at install time, it writes only under /usr,
# and Debian's own checker, lintian (where installed), finds no error and
# no warning in it.
# usage: check_package.sh BUILD_DIR HAS_DESKTOP_PROGRAM(0|1)
set -euo pipefail
build=$1 desktop=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/murvelon-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(find "$work" -maxdepth 1 -name 'murvelon_*.deb')
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: no package"; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 librtaudio6 librtmidi6 libjack-jackd2-0 libsamplerate0 \
  libsndfile1; do
  [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done
[ "$desktop" = 0 ] || [[ $depends == *"libqt6widgets6 "* ]] || fail "Depends lacks libqt6widgets6: $depends"

# The control archive holds the control file and the checksums, no scripts.
dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||; /^$/d' | sort >"$work/control.list"
[ "$(tr '\n' ' ' <"$work/control.list")" = "control md5sums " ] ||
  fail "the control archive holds more than control and md5sums: $(tr '\n' ' ' <"$work/control.list")"

dpkg-deb --fsys-tarfile "$deb" | tar -t >"$work/files.list"
outside=$(grep -v '^\./usr/' "$work/files.list" | grep -vx '\./' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
for f in usr/bin/murvelon-cli usr/share/applications/murvelon.desktop usr/share/mime/packages/murvelon.xml \
         usr/share/metainfo/org.murvelon.murvelon.metainfo.xml usr/share/icons/hicolor/scalable/apps/murvelon.svg \
         usr/share/icons/hicolor/48x48/apps/murvelon.png usr/share/man/man1/murvelon-cli.1.gz \
         usr/share/man/man1/murvelon.1.gz usr/share/murvelon/Songs/demo.zqm \
         usr/share/doc/murvelon/copyright usr/share/doc/murvelon/changelog.gz; do
  grep -qx "\./$f" "$work/files.list" || fail "$f is not in the package"
done
[ "$desktop" = 0 ] || grep -qx './usr/bin/murvelon' "$work/files.list" || fail "usr/bin/murvelon is not in the package"

# Informational tags are shown but pass. Overrides, each with a line saying
# why, would go in usr/share/lintian/overrides/murvelon.
if command -v lintian >/dev/null; then
  lintian --allow-root --fail-on error,warning --display-info "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian found errors or warnings"
  sed 's/^/lintian: /' "$work/lintian.log"
else
  echo "lintian is not installed (scripts/install-deps.sh installs it): not run"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures package checks failed"
  exit 1
fi
echo "package checks passed: $(basename "$deb"), Depends: $depends"
