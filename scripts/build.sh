#!/usr/bin/env bash
# Set-up and build in one step: installs missing Debian packages, then
# configures and builds everything into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
