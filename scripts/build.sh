#!/usr/bin/env bash
# Configures and builds in build/ (KT_BUILD_DIR overrides). Under CI: sanitizers and -Werror.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${KT_BUILD_DIR:-build}"
flags=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if command -v ccache >/dev/null; then
  flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ -n "${CI:-}" ]; then
  flags+=(-DKT_SANITIZE=ON -DKT_WERROR=ON)
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" ${1:+--target "$1"}
