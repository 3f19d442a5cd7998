#!/usr/bin/env bash
# Installs the Debian packages Quillmate needs, only those missing. "setup.sh --run": what building
# and running the program need; "setup.sh" (the test command's): those and the test tools.
# QM_WITH_XVFB=1 adds Xvfb, to run the window without a desktop. Runs "apt-get update" once,
# before the first install.
set -euo pipefail

# Building and running: the compiler and CMake, Qt and its tools for the catalogue, the archive
# libraries, and what the program uses at run time (Qt's own translations, a Japanese font, the
# icon themes and the desktop's tools that the installer calls, unsquashfs for AppImages).
RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-l10n-tools qt6-tools-dev
  libarchive-dev liblhasa-dev libxml2-dev libcurl4-openssl-dev
  qt6-translations-l10n fonts-ipafont-gothic hicolor-icon-theme adwaita-icon-theme
  desktop-file-utils squashfs-tools gtk-update-icon-cache
)
# Testing: the test frameworks, the archivers that make the tests' archives, the Windows
# compilers for the tests' PE files, clang for the sanitizers and the fuzz targets, Xvfb and
# the image tools for the window's tests.
TEST_PACKAGES=(
  clang libclang-rt-14-dev libqt6test6
  libgtest-dev libgmock-dev libbenchmark-dev
  libarchive-tools zip unzip p7zip-full gcab jlha-utils arj lhasa cabextract
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 gcc-mingw-w64-i686 binutils-mingw-w64-i686
  python3 xvfb xauth x11-apps imagemagick appstream dpkg-dev file
)

PACKAGES=("${RUN_PACKAGES[@]}")
if [ "${1:-}" != "--run" ]; then
  PACKAGES+=("${TEST_PACKAGES[@]}")
elif [ "${QM_WITH_XVFB:-}" = 1 ]; then
  PACKAGES+=(xvfb xauth)
fi

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
