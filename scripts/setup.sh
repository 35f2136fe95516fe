#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when missing; given
# package names, those instead (scripts/fuzz.sh asks for clang this way).
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev qt6-multimedia-dev libgsf-1-dev
          libgsf-bin libgtest-dev libgmock-dev libmuparser-dev libx11-dev fonts-liberation
          fonts-urw-base35 fontconfig xvfb poppler-utils)
if [ $# -gt 0 ]; then
  packages=("$@")
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
