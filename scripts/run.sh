#!/usr/bin/env bash
# Sets up, builds and runs Zarnik's main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default
cmake --build --preset default

cat <<'TEXT'

Zarnik is built (build/default). What exists today:
  - the request channel libraries and their tests (ctest --preset default)
  - the zarnik client: build/default/src/app/zarnik (talks to the compiled-in service endpoint)
Still to come: the zarnik client, the zarnik-service reference service and the demo walkthrough.
TEXT
