#!/usr/bin/env bash
# Takes the pictures of the user guide under a real X server (Xvfb with a window manager)
# and puts them beside the guide in src/resources/help. Each picture is checked for its
# size and that it is not blank; the script fails otherwise.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
for tool in Xvfb openbox; do
    command -v "$tool" >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo;
        $sudo apt-get install -y -qq --no-install-recommends xvfb openbox; break; }
done
build="${OVELTA_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target ovelta-shots
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY="$display" openbox >/dev/null 2>&1 &
sleep 1
DISPLAY="$display" QT_QPA_PLATFORM=xcb "$build/bin/ovelta-shots" "$root/src/resources/help"
