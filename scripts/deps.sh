#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when some are missing.
# "deps.sh fuzz" adds the compiler the fuzz targets are built with.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6printsupport6
    libgl-dev libsqlite3-dev libstemmer-dev libgumbo-dev libhunspell-dev hunspell-ru libarchive-dev libical-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-image-formats-plugins fonts-dejavu-core qt6-translations-l10n
    fonts-noto-color-emoji fonts-noto-cjk
    dbus-daemon
    dpkg-dev desktop-file-utils appstream lintian
)
if [ "${1:-}" = fuzz ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Устанавливаю пакеты / installing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
