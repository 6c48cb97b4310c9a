#!/usr/bin/env bash
# run.sh without a display: the shipped example is merged with the command
# line, the run ends with 0, and the sums printed from the output are the
# ones examples/README.md promises.
#   check_headless_run.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir="$(cd "$1" && pwd)"
build_dir="$(cd "$2" && pwd)"
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -f "$build_dir/example/merged.xls"
status=0
printed="$(env -u DISPLAY -u WAYLAND_DISPLAY BUILD_DIR="$build_dir" bash "$source_dir/scripts/headless.sh" 2>&1)" || status=$?
echo "$printed"
[ "$status" -eq 0 ] || fail "exit status $status"
[ -f "$build_dir/example/merged.xls" ] || fail "no output at $build_dir/example/merged.xls"

row() { grep -E "^ +$1 " <<<"$printed" | tr -s ' ' | sed 's/^ //'; }
[ "$(row 销售收入)" = "销售收入 252,800.50 189,250.75 442,051.25" ] || fail "sales row: $(row 销售收入)"
[ "$(row 成本)" = "成本 170,300.25 125,000.50 295,300.75" ] || fail "cost row: $(row 成本)"
[ "$(row 利润)" = "利润 82,500.25 64,250.25 146,750.50" ] || fail "profit row: $(row 利润)"
[ "$(row 员工人数)" = "员工人数 26 28 28" ] || fail "staff row: $(row 员工人数)"

# The example's README names the same figures.
for figure in 252,800.50 189,250.75 170,300.25 125,000.50 146,750.50; do
  grep -q "$figure" "$source_dir/examples/README.md" || fail "examples/README.md does not name $figure"
done
echo "the headless run merged the example with the expected sums"
