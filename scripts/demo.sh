#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds, writes a small demo phone book for the simulated
# line (once) and starts Rufwerk on it. Data and settings stay in demo/ below the build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
build=${BUILD_DIR:-$root/build}
export RUFWERK_HOME=${RUFWERK_HOME:-$build/demo/home}
export RUFWERK_LINE_DIR=${RUFWERK_LINE_DIR:-$build/demo/line}
# The demo dials the simulated line, also where the kernel could dial for real.
export RUFWERK_BACKEND=sim
mkdir -p "$RUFWERK_HOME" "$RUFWERK_LINE_DIR"
if [ ! -e "$RUFWERK_LINE_DIR/rasphone.pbk" ]; then
    "$build/bin/rufwerk-line" demo
fi
# Tariffs (euro-cents per minute) and billing of the demo entries, the password
# question (Callnet Flat checks it) and a one-minute idle disconnect, once; the
# program's settings dialog changes them later.
if [ ! -e "$RUFWERK_HOME/registry.reg" ]; then
    cat > "$RUFWERK_HOME/registry.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Kovatek\Rufwerk\RasMod\CURMIN]
"Netzwerk Nord"="1,5"
"Callnet Flat"="0"
"Sparruf Süd"="0,9"
"Blitzzugang Premium"="186"
"Funkstille Ost"="2"
"Testleitung Kurz"="3,9"

[HKEY_CURRENT_USER\Software\Kovatek\Rufwerk\RasMod\CNTTACT]
"Testleitung Kurz"="1"

[HKEY_CURRENT_USER\Software\Kovatek\Rufwerk\RasMod\RAS]
"ChkPassWord"="1"

[HKEY_CURRENT_USER\Software\Kovatek\Rufwerk\RasBas]
"DisConTime"="1"
REG
fi
echo "Simulated line: $RUFWERK_LINE_DIR"
echo "  another program dials: RUFWERK_LINE_DIR=$RUFWERK_LINE_DIR $build/bin/rufwerk-line dial \"Netzwerk Nord\""
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: Rufwerk runs under xvfb-run (end it with Ctrl+C)."
    # Tell how to look at the invisible screen from another shell.
    exec xvfb-run -a sh -c 'echo "  a screenshot (ImageMagick): DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY import -window root rufwerk.png"; exec "$0"' "$build/bin/rufwerk"
fi
exec "$build/bin/rufwerk"
