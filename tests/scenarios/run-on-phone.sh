#!/usr/bin/env bash
# Plays one scenario file on the whole phone (`marqel phone --script`) on a
# fresh device root, whatever process it was written for.
set -euo pipefail
marqel=$1
scenario=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$marqel" --root "$root" phone --script "$scenario"
