#!/usr/bin/env bash
# Builds the Debian package from the build tree into a scratch folder and
# checks its file list and control fields.
set -euo pipefail
build_dir="$(cd "$1" && pwd)"
app_id="example.brivane.ReportMerge"

work="$(mktemp -d "${TMPDIR:-/tmp}/reportmerge-deb.XXXXXX")"
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# The project's own package configuration, but installing the tree as built:
# plain cpack first runs the "preinstall" target, a build of everything, which
# a test must not do.
cat >"$work/install-built-tree.cmake" <<SCRIPT
set(CMAKE_INSTALL_PREFIX "\${CPACK_PACKAGING_INSTALL_PREFIX}")
set(CMAKE_INSTALL_DO_STRIP ON)
include("$build_dir/cmake_install.cmake")
SCRIPT
cat >"$work/config.cmake" <<SCRIPT
include("$build_dir/CPackConfig.cmake")
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALL_SCRIPTS "$work/install-built-tree.cmake")
SCRIPT
cpack --config "$work/config.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }

shopt -s nullglob
debs=("$work"/reportmerge_*_amd64.deb)
[ "${#debs[@]}" -eq 1 ] || { ls "$work" >&2; fail "expected one reportmerge_<version>_amd64.deb"; }
deb="${debs[0]}"
echo "built $(basename "$deb")"

dpkg-deb -c "$deb" >"$work/contents"
expect_file() {
  grep -qE "[[:space:]]\./usr/$1( |$)" "$work/contents" || { cat "$work/contents" >&2; fail "the package lacks /usr/$1"; }
}
# lib/ or, configured with the prefix /usr, the multiarch lib/<triplet>/
program_dir="lib/([a-z0-9_]+-linux-gnu[a-z0-9_]*/)?reportmerge"
expect_file "$program_dir/reportmerge"
expect_file "$program_dir/help.chm"
expect_file "bin/reportmerge-cli"
expect_file "share/applications/$app_id.desktop"
expect_file "share/metainfo/$app_id.metainfo.xml"
expect_file "share/icons/hicolor/scalable/apps/$app_id.svg"
expect_file "share/icons/hicolor/32x32/apps/$app_id.png"
expect_file "share/doc/reportmerge/copyright"
expect_file "share/man/man1/reportmerge.1.gz"
expect_file "share/man/man1/reportmerge-cli.1.gz"
grep -qE "^l.* \./usr/bin/reportmerge -> \.\./$program_dir/reportmerge$" "$work/contents" \
  || { cat "$work/contents" >&2; fail "the package lacks the link /usr/bin/reportmerge -> ../lib/.../reportmerge"; }
if grep -q "\./usr/local/" "$work/contents"; then
  cat "$work/contents" >&2
  fail "the package installs under /usr/local"
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "reportmerge" ] || fail "Package is $(field Package)"
[ "$(field Architecture)" = "amd64" ] || fail "Architecture is $(field Architecture)"
depends="$(field Depends)"
echo "Depends: $depends"
grep -qE "(^|, )libreoffice-calc( |,|$)" <<<"$depends" || fail "Depends does not name libreoffice-calc"
grep -qE "(^|, )qt6-translations-l10n( |,|$)" <<<"$depends" || fail "Depends does not name qt6-translations-l10n (Qt's Chinese dialogs)"
grep -q "libqt6widgets6" <<<"$depends" || fail "Depends does not name the Qt widgets library"
for library in libnettle8 libxml2 libgsf-1-114 libglib2.0-0; do
  grep -q "$library" <<<"$depends" || fail "Depends does not name $library"
done
grep -q "xchm" <<<"$(field Recommends)" || fail "Recommends does not name a CHM viewer"
[ -n "$(field Section)" ] && [ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] \
  || fail "Section, Maintainer or Description is empty"
echo "package contents and control fields are as expected"
