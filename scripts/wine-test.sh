#!/usr/bin/env bash
# Builds the Qt-free layers and their tests for 64-bit Windows (MinGW-w64) and runs the tests
# under Wine, headless: a Wine prefix of its own under build/, created without prompts, with
# Wine's null graphics driver.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --windows

cmake --preset windows-cross
cmake --build --preset windows-cross -j "${ZARNIK_JOBS:-2}"

export WINEPREFIX="$PWD/build/windows-cross/wineprefix"
export WINEDEBUG=-all
# No prompts for the Mono and Gecko add-ons: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/.zarnik-ready" ]]; then
  rm -rf "$WINEPREFIX"
  wineboot --init
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  wineserver --wait
  touch "$WINEPREFIX/.zarnik-ready"
fi

# One wine server for the whole run instead of one per test program. Wine's own background
# programs (services, explorer) are started here, away from the tests' output: started by the
# first test they would hold its output pipe open and ctest would wait for them.
wineserver --persistent </dev/null >/dev/null 2>&1
trap 'wineserver --kill || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
ctest --preset windows-cross "$@"
