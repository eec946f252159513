#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with, only those that are missing.
set -euo pipefail
packages=(
  g++ cmake ninja-build pkg-config
  libwxgtk3.2-dev libgl-dev libglu1-mesa-dev libx11-dev
  libgdal-dev gdal-bin python3-gdal python3-numpy python3-scipy
  libshp-dev shapelib libtinyxml-dev zlib1g-dev libhpdf-dev libcairo2-dev
  xvfb xauth x11-utils openbox fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  zip unzip p7zip-full poppler-utils libxml2-utils locales
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
