#!/bin/sh
# Usage: generate_locales.sh FOLDER LOCALE...   e.g. generate_locales.sh build/tests/locales de_DE zh_CN
# Generates each LOCALE.UTF-8 into FOLDER (for LOCPATH) unless it is already there. Each locale is
# built beside its final place and moved in whole, so runs that overlap never see half a locale.
set -eu
folder=$1
shift
mkdir -p "$folder"
# Compiled locales fit only the C library that made them.
made_by=$(localedef --version | head -n 1)
if [ "$(cat "$folder/.made-by" 2>/dev/null)" != "$made_by" ]; then
  find "$folder" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
  printf '%s\n' "$made_by" > "$folder/.made-by"
fi
for locale in "$@"; do
  [ -f "$folder/$locale.UTF-8/LC_CTYPE" ] && continue
  partial=$(mktemp -d "$folder/.$locale.XXXXXX")
  if ! localedef -i "$locale" -f UTF-8 "$partial/$locale.UTF-8"; then
    rm -rf "$partial"
    echo "localedef failed for $locale.UTF-8" >&2
    exit 1
  fi
  mv -T "$partial/$locale.UTF-8" "$folder/$locale.UTF-8" 2>/dev/null || true
  rm -rf "$partial"
done
