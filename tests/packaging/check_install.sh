#!/usr/bin/env bash
# Installs the build tree into a scratch DESTDIR under /usr and checks that the
# program, its help, the manual pages, the menu entry, the icons and the metainfo land where the
# desktop looks for them, and that the desktop validators accept them.
set -euo pipefail
build_dir="$1"
app_id="example.brivane.ReportMerge"

dest="$(mktemp -d "${TMPDIR:-/tmp}/reportmerge-install.XXXXXX")"
trap 'rm -rf "$dest"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$dest" cmake --install "$build_dir" --prefix /usr >"$dest.log" 2>&1 \
  || { cat "$dest.log" >&2; rm -f "$dest.log"; fail "cmake --install failed"; }
rm -f "$dest.log"
root="$dest/usr"

program="$(find "$root/lib" -path '*/reportmerge/reportmerge' -type f | head -n 1)"
[ -n "$program" ] || fail "the window's program is not installed under lib/.../reportmerge/"
[ -x "$program" ] || fail "$program is not executable"
program_dir="$(dirname "$program")"

# The program opens help.chm from its own folder.
[ -f "$program_dir/help.chm" ] || fail "help.chm is not beside the program in $program_dir"
[ "$(head -c 4 "$program_dir/help.chm")" = "ITSF" ] || fail "the installed help.chm is no CHM file"

# bin/reportmerge is a relative symlink to the program (so /proc/self/exe is the real file).
link="$root/bin/reportmerge"
[ -L "$link" ] || fail "bin/reportmerge is not a symlink"
case "$(readlink "$link")" in /*) fail "bin/reportmerge is an absolute link: $(readlink "$link")";; esac
[ "$(readlink -f "$link")" = "$(readlink -f "$program")" ] || fail "bin/reportmerge points to $(readlink -f "$link")"

[ -x "$root/bin/reportmerge-cli" ] && [ ! -L "$root/bin/reportmerge-cli" ] || fail "bin/reportmerge-cli is not installed"

# Every shared library the installed programs need is found without the build tree.
for binary in "$program" "$root/bin/reportmerge-cli"; do
  if ldd "$binary" | grep -q "not found"; then
    ldd "$binary" >&2
    fail "$binary has unresolved libraries once installed"
  fi
done

# A manual page for each program, rendered by man without a warning (UTF-8:
# the pages quote the programs' Chinese messages).
for page in reportmerge reportmerge-cli; do
  man_page="$root/share/man/man1/$page.1.gz"
  [ -f "$man_page" ] || fail "missing $man_page"
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$man_page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "man -l $page.1.gz warns: $warnings"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$man_page" 2>/dev/null | grep -q -- "--version" \
    || fail "$page.1 does not render or does not name --version"
done

desktop="$root/share/applications/$app_id.desktop"
metainfo="$root/share/metainfo/$app_id.metainfo.xml"
[ -f "$desktop" ] || fail "missing $desktop"
[ -f "$metainfo" ] || fail "missing $metainfo"
[ -f "$root/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "missing the scalable icon"
png="$root/share/icons/hicolor/32x32/apps/$app_id.png"
[ -f "$png" ] || fail "missing the 32x32 icon"
size="$(identify -format '%wx%h' "$png" 2>/dev/null || true)"
[ -z "$size" ] || [ "$size" = "32x32" ] || fail "the 32x32 icon is $size"

grep -qx "Icon=$app_id" "$desktop" || fail "the desktop file's Icon is not $app_id"
grep -qx "Exec=reportmerge" "$desktop" || fail "the desktop file does not start reportmerge"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
  || fail "the metainfo does not launch $app_id.desktop"

desktop-file-validate "$desktop" || fail "desktop-file-validate rejected $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejected $metainfo"
# The tree as a whole: the metainfo's launchable desktop file and its icons.
appstreamcli validate-tree --no-net "$dest" || fail "appstreamcli rejected the installed tree"
echo "installed tree is complete and valid"
