#!/usr/bin/env bash
# Installs the Debian packages Quillmate needs to build, run and test, only those missing.
# Runs "apt-get update" once, before the first install.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
  libarchive-dev liblhasa-dev libxml2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libarchive-tools zip unzip p7zip-full gcab jlha-utils arj lhasa cabextract
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 gcc-mingw-w64-i686 binutils-mingw-w64-i686
  python3 xvfb xauth x11-apps imagemagick qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
  fonts-ipafont-gothic hicolor-icon-theme adwaita-icon-theme
  desktop-file-utils squashfs-tools gtk-update-icon-cache appstream dpkg-dev file
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then
    # A Debian installed with a root password has no sudo: say what to do instead of
    # "sudo: command not found".
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Installing packages needs root: run this script as root, or install sudo." >&2
      exit 1
    fi
    SUDO="sudo"
  fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
