#!/usr/bin/env bash
# Every Debian package the build, the program and the tests need, in one place.
# Only the package installation needs root: a normal user is asked for sudo.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  qt6-translations-l10n qt6-wayland libqt6svg6
  libsqlite3-dev sqlite3 libsodium-dev libzip-dev libicu-dev locales
  libpq-dev postgresql
  fonts-arphic-uming
  python3 python3-xlrd
  poppler-utils xvfb xauth imagemagick
  appstream desktop-file-utils dpkg-dev file lintian
  weston xdotool
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The tests run the amounts through a locale that writes decimals with a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
