# Installs the Debian packages the build, the tests and the program need,
# when any of them is missing. Sourced by run.sh and test.sh.

REPORTMERGE_PACKAGES=(
  build-essential cmake pkg-config dpkg-dev file zlib1g-dev procps coreutils
  nettle-dev libxml2-dev libgsf-1-dev libglib2.0-dev
  googletest libgtest-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libreoffice-calc libreoffice-dev
  fonts-wqy-microhei
  xvfb xauth x11-utils xdotool imagemagick libx11-dev locales
  python3 python3-xlwt python3-xlrd
  fp-utils desktop-file-utils appstream xdg-utils
)

# Only for a user of the window, not for the tests: a viewer for help.chm.
REPORTMERGE_USER_PACKAGES=(xchm)

# install_missing_packages [MORE_PACKAGES...]
install_missing_packages() {
  local missing=()
  local pkg
  for pkg in "${REPORTMERGE_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
