#!/usr/bin/env bash
# Usage: with-other-system-locales.sh COMMAND...
# Runs COMMAND as on this machine with zh_CN.UTF-8 and en_US.UTF-8 in the other state:
# generated if the machine lacks them, removed if it has them. The machine is not changed:
# COMMAND sees a copy of /usr/lib/locale in a mount namespace of its own.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 COMMAND..." >&2; exit 2; }
locales=(zh_CN en_US)

if [ "${RM_LOCALE_NAMESPACE:-}" != 1 ]; then
  copy=$(mktemp -d "${TMPDIR:-/tmp}/system-locales.XXXXXX")
  trap 'rm -rf "$copy"' EXIT
  cp -a /usr/lib/locale/. "$copy/"
  namespace=(unshare --mount --propagation private)
  [ "$(id -u)" = 0 ] || namespace=(unshare --map-root-user --mount --propagation private)
  if ! "${namespace[@]}" true 2>/dev/null; then
    echo "$0: cannot make a mount namespace here (unshare); the other locale state is not tested" >&2
    exit 1
  fi
  RM_LOCALE_NAMESPACE=1 RM_LOCALE_COPY="$copy" "${namespace[@]}" "$0" "$@"
  exit $?
fi

mount --bind "$RM_LOCALE_COPY" /usr/lib/locale
has_all=1
for locale in "${locales[@]}"; do
  LC_ALL=$locale.UTF-8 locale charmap 2>/dev/null | grep -qx UTF-8 || has_all=0
done
for locale in "${locales[@]}"; do
  if [ "$has_all" = 1 ]; then
    rm -rf "/usr/lib/locale/$locale.utf8" "/usr/lib/locale/$locale.UTF-8"
    [ ! -f /usr/lib/locale/locale-archive ] ||
      localedef --delete-from-archive "$locale.utf8" "$locale.UTF-8" 2>/dev/null || true
  else
    localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
  fi
done
echo "System locales for this run: $(locale -a | tr '\n' ' ')" >&2
exec "$@"
