#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a built tree, unpacks it into a temporary
# folder, validates its desktop file and metadata and starts the unpacked
# program offscreen until it reports that it found its module and its help.
# Usage: scripts/check-package.sh <build folder>
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
work=$(mktemp -d)
program_pid=
cleanup() {
    if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack"; }
debs=("$work"/package/*.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "no package built"
echo "Package: $(basename "$deb")"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6help6 libqt6sql6-sqlite qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
lib=$root/usr/lib/rufwerk
for file in bin/rufwerk bin/rufwerk-line RASModule.KVT bin/Rufwerk.qch bin/Rufwerk.qhc \
    bin/ListPrinter.qch bin/ListPrinter.qhc bin/Start_Up.RTF; do
    [ -f "$lib/$file" ] || fail "missing /usr/lib/rufwerk/$file"
done
[ "$(readlink -f "$root/usr/bin/rufwerk")" = "$(readlink -f "$lib/bin/rufwerk")" ] || fail "/usr/bin/rufwerk"
share=$root/usr/share
for size in 16 24 32 48 64 128 256; do
    [ -f "$share/icons/hicolor/${size}x${size}/apps/de.kovatek.Rufwerk.png" ] || fail "icon ${size}"
done
[ -f "$share/icons/hicolor/scalable/apps/de.kovatek.Rufwerk.svg" ] || fail "scalable icon"
desktop-file-validate "$share/applications/de.kovatek.Rufwerk.desktop" || fail "desktop file"
appstreamcli validate --no-net "$share/metainfo/de.kovatek.Rufwerk.metainfo.xml" || fail "metainfo"

# The unpacked program on an empty simulated line, with a data folder whose
# first-use text was shown already (it would wait for the user otherwise).
home=$work/home
mkdir -p "$home" "$work/line"
: >"$home/StartUp.RTF"
log=$work/program.log
env -u RUFWERK_MODULE_DIR RUFWERK_HOME="$home" RUFWERK_LINE_DIR="$work/line" QT_QPA_PLATFORM=offscreen \
    QT_LOGGING_RULES="rufwerk.install.info=true" "$lib/bin/rufwerk" >"$log" 2>&1 &
program_pid=$!
for _ in $(seq 1 120); do
    if [ "$(grep -c 'help ready:' "$log" || true)" -ge 2 ] || ! kill -0 "$program_pid" 2>/dev/null; then break; fi
    sleep 0.5
done
kill -TERM "$program_pid" 2>/dev/null || true
status=0
wait "$program_pid" || status=$?
program_pid=
cat "$log"
grep -q "connection module loaded: $lib/RASModule.KVT" "$log" || fail "the program did not load its module"
grep -q "help ready: $lib/bin/Rufwerk.qch" "$log" || fail "the program did not find its help"
grep -q "help ready: $lib/bin/ListPrinter.qch" "$log" || fail "the program did not find the list printer's help"
[ "$status" -eq 0 ] || fail "the program ended with $status"
echo "Package check passed."
