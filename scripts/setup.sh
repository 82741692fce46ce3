#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and benchmarks with.
# Idempotent: when everything is present it prints nothing and exits 0.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  libplist-dev libplist-utils libsqlite3-dev
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libswresample-dev libavutil-dev
  libx264-dev ffmpeg
  libcairo2-dev libpango1.0-dev fonts-dejavu-core libsdl2-dev
  xvfb xdotool x11-xkb-utils xkb-data
  libarchive-dev libicu-dev dpkg-dev lintian
  clang libclang-rt-dev
  ccache python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing: ${missing[*]}" >&2
  echo "setup: run this script as root (or with sudo) to install them" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
