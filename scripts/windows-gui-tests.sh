#!/usr/bin/env bash
# Cross-builds the window and shell tests against the cross-built Qt (scripts/build-qt-windows.sh)
# and runs every one of them under wine with Qt's offscreen platform, through ctest and wine as the
# cross-compiling emulator. Without that Qt it says so and stops.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-common.sh
korvel_require_qt_windows
korvel_require_openssl_windows

korvel_setup_wine  # before the build: it discovers the tests by running them under wine
korvel_hold_wineserver
korvel_configure_windows_build
cmake --build "$KORVEL_WINDOWS_BUILD" -j "${KORVEL_JOBS:-2}" \
    --target korvel_gui_tests korvel_shell_tests korvel_lock_holder headcheck_tests korvel_cli_tests
# Only the GUI tests and the head check's are built here; the core's tests run in
# scripts/windows-tests.sh.
ctest --test-dir "$KORVEL_WINDOWS_BUILD" --output-on-failure -j "${KORVEL_JOBS:-2}" \
    -E '_NOT_BUILT$'
