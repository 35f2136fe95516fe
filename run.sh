#!/usr/bin/env bash
# Installs what is missing, builds, and starts KT Graph 3: ./run.sh [FILE.kt3]
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh
./scripts/build.sh ktgraph3
exec ./build/src/app/ktgraph3 "$@"
