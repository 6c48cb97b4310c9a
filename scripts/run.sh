#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window. Without a desktop
# display it merges with the command line instead (scripts/headless.sh): the
# shipped example, or TEMPLATE OUTPUT SOURCE... when they are given.
set -euo pipefail
export REPORTMERGE_CALLER_DIR="$PWD"
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing_packages "${REPORTMERGE_USER_PACKAGES[@]}"

BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j"$(nproc)" --target reportmerge reportmerge-cli help_chm
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  export BUILD_DIR
  exec bash scripts/headless.sh "$@"
fi
exec "$BUILD_DIR/app/gui/reportmerge" "$@"
