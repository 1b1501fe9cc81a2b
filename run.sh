#!/usr/bin/env bash
# Installs what is missing, builds (Release) and starts the program. It runs from the build
# folder, where its two start pictures are.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display (DISPLAY or WAYLAND_DISPLAY) to show the window on." >&2
    echo "        The batch runner works without one: ./build/carexa-sim --help" >&2
    exit 1
fi
cd build
exec ./carexa "$@"
