#!/usr/bin/env bash
# Installs everything the builds, the tests and the demo need (Debian 12). Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 mingw-w64-tools
  wine wine64 xvfb xauth
  nlohmann-json3-dev libcli11-dev libpugixml-dev libfreexl-dev libzip-dev libexpat1-dev libxlsxwriter-dev
  python3-openpyxl python3-xlwt
  unixodbc-dev odbcinst libsqliteodbc sqlite3
  mariadb-server mariadb-client odbc-mariadb
  unzip dpkg-dev binutils-mingw-w64-x86-64
  x11-apps imagemagick xdotool
  libncurses-dev libvterm-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
