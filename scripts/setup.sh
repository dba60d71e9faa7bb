#!/usr/bin/env bash
# Installs everything the builds, the tests and the demo need (Debian 12). Safe to run again.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 mingw-w64-tools
  wine wine64 xvfb xauth
  nlohmann-json3-dev libcli11-dev libpugixml-dev libgsf-1-dev libzip-dev libexpat1-dev libxlsxwriter-dev
  python3-openpyxl python3-xlwt python3-xlrd
  unixodbc-dev odbcinst libsqliteodbc sqlite3
  mariadb-server mariadb-client odbc-mariadb:amd64
  unzip dpkg-dev binutils-mingw-w64-x86-64
  x11-apps imagemagick xdotool
  libncurses-dev libvterm-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
apt_install() { DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo_cmd apt-get update -qq
  apt_install "${missing[@]}"
fi
echo "setup: all packages present"

# --- Wine's 32-bit side, where the product DLL runs -------------------------------------------
# Where the kernel refuses 32-bit programs, qemu-user runs them through binfmt_misc. Bookworm's
# own qemu 7.2 walks the guest's address space page by page on every mmap, and Wine reserves
# most of it: a Wine process then takes minutes to start. The backports' qemu 10 does not.
# Nothing here fails the script: scripts/test.sh says loudly what could not run.
. scripts/i386.sh
if ! i386_runs; then
  qemu=/usr/bin/qemu-i386
  qemu_major=$("$qemu" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\).*/\1/p')
  if [ "${qemu_major:-0}" -lt 8 ]; then
    echo "setup: 32-bit programs do not run here: installing qemu-user from bookworm-backports"
    backports=/etc/apt/sources.list.d/bookworm-backports.sources
    if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
        $sudo_cmd tee "$backports" >/dev/null
    fi
    $sudo_cmd apt-get update -qq || true
    apt_install -t bookworm-backports qemu-user || echo "setup: qemu-user from bookworm-backports could not be installed"
  fi
  [ -d /proc/sys/fs/binfmt_misc ] && [ -f /proc/sys/fs/binfmt_misc/register ] ||
    $sudo_cmd mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || true
  if [ -x "$qemu" ] && [ -f /proc/sys/fs/binfmt_misc/register ] && [ ! -f "$i386_binfmt" ]; then
    # i386 ELF executables only (e_machine 3); F opens qemu now, so it serves in any mount
    # namespace, O and P keep the program's own file and argv[0] as they are.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:OPF' |
      $sudo_cmd tee /proc/sys/fs/binfmt_misc/register >/dev/null || true
  fi
fi
if i386_runs; then
  echo "setup: 32-bit programs run ($(i386_mode))"
else
  echo "setup: 32-bit programs do not run here (no binfmt_misc or no qemu-user from bookworm-backports)"
fi

# Wine's 32-bit side and the ODBC parts its odbc32 reaches, of the same versions as the
# 64-bit ones (Multi-Arch packages must match; apt may move amd64 ones to match them).
dpkg --print-foreign-architectures | grep -qx i386 || { $sudo_cmd dpkg --add-architecture i386; $sudo_cmd apt-get update -qq; }
wine_version=$(dpkg-query -W -f='${Version}' wine64)
i386_packages=(wine32:i386="$wine_version" libwine:i386="$wine_version" libodbc2:i386 libsqliteodbc:i386 libmariadb3:i386)
i386_missing=()
for p in "${i386_packages[@]}"; do
  name=${p%%=*}
  status=$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null || true)
  if [ "$name" = "$p" ]; then
    [[ "$status" == "install ok installed "* ]] || i386_missing+=("$p")
  else
    [ "$status" = "install ok installed ${p#*=}" ] || i386_missing+=("$p")
  fi
done
if [ ${#i386_missing[@]} -gt 0 ]; then
  echo "setup: installing ${i386_missing[*]}"
  $sudo_cmd apt-get update -qq
  apt_install "${i386_missing[@]}" || echo "setup: the i386 packages could not be installed"
fi
# The MariaDB driver's package is not Multi-Arch: its i386 build would replace the amd64 one
# that the Linux build needs. Its one file goes beside the i386 SQLite driver instead, where
# the i386 driver manager looks for the relative name that odbcinst.ini gives.
maodbc32=/usr/lib/i386-linux-gnu/odbc/libmaodbc.so
if [ ! -f "$maodbc32" ]; then
  echo "setup: the i386 MariaDB ODBC driver, beside the amd64 one"
  unpack=$(mktemp -d)
  if (cd "$unpack" && apt-get download odbc-mariadb:i386 >/dev/null 2>&1) &&
     dpkg-deb -x "$unpack"/odbc-mariadb_*_i386.deb "$unpack/root" &&
     [ -f "$unpack/root$maodbc32" ]; then
    $sudo_cmd install -D -m 644 "$unpack/root$maodbc32" "$maodbc32"
  else
    echo "setup: the i386 MariaDB ODBC driver could not be had"
  fi
  rm -rf "$unpack"
fi
echo "setup: Wine's 32-bit side present"
