#!/usr/bin/env bash
# Builds the Debian package ovelta_<version>_amd64.deb in the repository's folder.
# Install it with: sudo apt install ./ovelta_3.01_amd64.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
build="${OVELTA_PACKAGE_DIR:-$root/build-package}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DOVELTA_BUILD_TESTS=OFF -DOVELTA_BUILD_BENCH=OFF
cmake --build "$build" --target ovelta ovelta-db compressed_docs
(cd "$build" && cpack -G DEB)
cp "$build"/ovelta_*_amd64.deb "$root/"
ls -1 "$root"/ovelta_*_amd64.deb
