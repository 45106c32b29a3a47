#!/usr/bin/env bash
# Sets up, builds and runs the Zarnik demo: the client built by the `demo` preset against the
# reference service on loopback, with a demo database and the stand-in programs. With a display
# the member uses the real client; without one the walkthrough runs headless.
#   scripts/run.sh [--headless]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset demo
cmake --build --preset demo
exec scripts/demo/demo.sh "$@"
