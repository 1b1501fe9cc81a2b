#!/usr/bin/env bash
# Installs what is missing, builds (Release) and runs the program: for now the batch runner on
# the cold-climate example, printing its data sheet.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
exec ./build/carexa-sim run examples/cold_climate_bed.mdl --datasheet - "$@"
