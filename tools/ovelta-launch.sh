#!/bin/sh
# Starts Ovelta on the user's collection, creating one with the starter recipes on first run.
set -e
data="${XDG_DATA_HOME:-$HOME/.local/share}/ovelta"
bindir="$(dirname "$(readlink -f "$0")")"
mkdir -p "$data"
cd "$data"
[ -e data.db ] || "$bindir/ovelta-db" create --sample data.db
exec "$bindir/ovelta" "$@"
