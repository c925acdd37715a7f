#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite qt6-serialport-dev libgl-dev
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  libgcab-dev gcab
  poppler-utils fonts-dejavu-core
  strace
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=(); else SUDO=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
