#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
install_missing_packages

BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD_DIR" -j"$(nproc)" --target reportmerge reportmerge-cli help_chm
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop display found (DISPLAY is not set): start this script from a desktop session." >&2
  echo "The command-line merge works without one: $BUILD_DIR/app/cli/reportmerge-cli --help" >&2
  exit 1
fi
exec "$BUILD_DIR/app/gui/reportmerge" "$@"
