#!/usr/bin/env bash
# Plays one scenario file as a simulated user on a fresh device root.
set -euo pipefail
marqel=$1
scenario=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$marqel" --root "$root" springboard --script "$scenario"
