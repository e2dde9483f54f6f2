#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds with clang's AddressSanitizer and UndefinedBehaviorSanitizer, fuzz
# targets included, into build-fuzz (BUILD_DIR) and runs every test there.
# Undefined behaviour stops a test at its first report; a leak fails it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
export BUILD_DIR=${BUILD_DIR:-$root/build-fuzz}
CXX=${CXX:-clang++} "$root/scripts/build.sh" -DRUFWERK_FUZZ=ON -DRUFWERK_BUILD_BENCH=OFF "$@"
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan-suppressions.txt}
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
