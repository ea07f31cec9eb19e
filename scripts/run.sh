#!/usr/bin/env bash
# Builds the program and starts it on the user's collection, creating one on first run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
build="${OVELTA_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}"
cmake --build "$build" --target ovelta ovelta-db
data="${XDG_DATA_HOME:-$HOME/.local/share}/ovelta"
mkdir -p "$data"
cd "$data"
if [ ! -e data.db ]; then
    "$build/bin/ovelta-db" create --sample data.db
fi
exec "$build/bin/ovelta" "$@"
