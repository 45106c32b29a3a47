#!/usr/bin/env bash
# Sets up, builds and runs every test of Zarnik.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
