#!/usr/bin/env bash
# Installs what is missing, builds, and starts the session player with the
# arguments given (./run.sh my.lsf opens a session); ./run.sh converter ...
# starts the audio-to-light converter with the rest.
set -euo pipefail
launch_dir=$(pwd)
cd "$(dirname "$0")"
root=$(pwd)

program=Sonavis
if [ "${1:-}" = converter ]; then
    program=ASGlimmerbox
    shift
fi

tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --parallel "$(nproc)"

if [ ! -x "build/bin/$program" ]; then
    echo "$program is not built yet." >&2
    exit 1
fi
# From the folder it was started in, so that relative file names mean what
# the user meant.
cd "$launch_dir"
exec "$root/build/bin/$program" "$@"
