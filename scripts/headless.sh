#!/usr/bin/env bash
# What run.sh does without a desktop display, once the programs are built:
# with arguments, the command-line merge of the user's files; without, the
# merge of the shipped example, with the output's sums printed.
#   BUILD_DIR=build bash scripts/headless.sh [TEMPLATE OUTPUT SOURCE...]
set -euo pipefail
# The user's paths are relative to where run.sh (or this script) was started.
caller_dir="${REPORTMERGE_CALLER_DIR:-$PWD}"
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
cli="$BUILD_DIR/app/cli/reportmerge-cli"

if [ "$#" -gt 0 ]; then
  cli="$(realpath "$cli")"
  cd "$caller_dir"
  exec "$cli" "$@"
fi

output_dir="$(cd "$BUILD_DIR" && pwd)/example"
output="$output_dir/merged.xls"
mkdir -p "$output_dir"
echo "No desktop display found: merging the shipped example with the command line."
echo
echo "  $cli examples/template.xls $output \\"
echo "      examples/branch-north.xls examples/branch-south.xls examples/branch-west.xls"
echo
"$cli" examples/template.xls "$output" \
  examples/branch-north.xls examples/branch-south.xls examples/branch-west.xls
echo
echo "Output: $output"
/usr/bin/python3 scripts/print_sheet.py "$output"
echo "(the sums to expect are in examples/README.md)"
echo
echo "Your own files: bash scripts/run.sh TEMPLATE OUTPUT SOURCE...  (options: $cli --help)"
echo "The window: run bash scripts/run.sh in a desktop session (DISPLAY or WAYLAND_DISPLAY set)."
