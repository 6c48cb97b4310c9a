#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing_packages

BUILD_DIR="${BUILD_DIR:-build}"
WERROR=OFF
[ -n "${CI:-}" ] && WERROR=ON
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREPORTMERGE_WERROR="$WERROR"
cmake --build "$BUILD_DIR" -j"$(nproc)"
cd "$BUILD_DIR"
ctest --output-on-failure -j2 --timeout 900
