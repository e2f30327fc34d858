#!/usr/bin/env bash
# Installs the Debian packages the build (and, with "test", the tests) need;
# runs apt-get only when something is missing.
set -euo pipefail
packages=(g++ cmake ninja-build ccache pkg-config qt6-base-dev qt6-translations-l10n libsqlite3-dev
          unixodbc unixodbc-dev odbc-postgresql libpq-dev libxlsxwriter-dev libgtest-dev
          libgmock-dev libbenchmark-dev fonts-noto-cjk libicu-dev)
# Qt's SVG plugins draw the program's own pictures (res/).
packages+=(libqt6svg6)
# Operator passwords are stored as Argon2id hashes.
packages+=(libsodium-dev)
if [ "${1:-}" = test ]; then
  packages+=(postgresql postgresql-client poppler-utils unzip)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
