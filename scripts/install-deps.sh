#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and benchmark.
# Safe to run again; it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates
  g++ clang libclang-rt-14-dev llvm lld
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev openssl
  zlib1g-dev
  libcurl4-openssl-dev
  duktape-dev nlohmann-json3-dev
  libxerces-c-dev libxalan-c-dev libxml-security-c-dev
  xmlsec1 libxml2-utils qpdf poppler-utils libnss3-tools
  libgtk-3-dev xvfb xauth xdotool imagemagick
  chromium chromium-driver python3-selenium
  time coreutils python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
