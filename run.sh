#!/usr/bin/env bash
# Installs what is missing, builds, and starts the session player
# (./run.sh converter starts the audio-to-light converter).
set -euo pipefail
cd "$(dirname "$0")"

program=Sonavis
case "${1:-}" in
    "") ;;
    converter) program=ASGlimmerbox; shift ;;
    *) echo "usage: ./run.sh [converter]" >&2; exit 2 ;;
esac

tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --parallel "$(nproc)"

if [ ! -x "build/bin/$program" ]; then
    echo "$program is not built yet." >&2
    exit 1
fi
exec "build/bin/$program" "$@"
