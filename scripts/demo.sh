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
mkdir -p "$RUFWERK_HOME" "$RUFWERK_LINE_DIR"
if [ ! -e "$RUFWERK_LINE_DIR/rasphone.pbk" ]; then
    "$build/bin/rufwerk-line" demo
fi
echo "Simulated line: $RUFWERK_LINE_DIR (try: RUFWERK_LINE_DIR=$RUFWERK_LINE_DIR $build/bin/rufwerk-line connections)"
if [ -x "$build/bin/rufwerk" ]; then
    exec "$build/bin/rufwerk"
fi
exec "$build/bin/rufwerk-line" entries
