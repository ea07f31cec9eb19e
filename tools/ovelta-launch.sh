#!/bin/sh
# Starts Ovelta on the user's collection, creating one with the starter recipes on first
# run. Nothing here speaks on a terminal: if the collection cannot be made or opened, the
# program itself says why in a window.
data="${XDG_DATA_HOME:-$HOME/.local/share}/ovelta"
bindir="$(dirname "$(readlink -f "$0")")"
mkdir -p "$data" 2>/dev/null
cd "$data" 2>/dev/null || cd "$HOME" || cd /
[ -e data.db ] || "$bindir/ovelta-db" create --sample data.db >/dev/null 2>&1
exec "$bindir/ovelta" "$@"
