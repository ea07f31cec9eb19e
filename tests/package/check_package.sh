#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root and checks
# what a user would get: the files, the package's fields, the desktop entry and metadata.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null)
deb="$(ls "$work"/out/ovelta_3.01_amd64.deb)"
dpkg-deb -x "$deb" "$work/root"
fail=0
for f in usr/bin/ovelta usr/bin/ovelta-db usr/bin/ovelta-launch \
         usr/share/applications/ovelta.desktop \
         usr/share/metainfo/org.ovelta.Ovelta.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/ovelta.svg \
         usr/share/man/man1/ovelta.1.gz usr/share/man/man1/ovelta-db.1.gz \
         usr/share/man/man1/ovelta-launch.1.gz \
         usr/share/doc/ovelta/copyright usr/share/doc/ovelta/changelog.gz \
         usr/share/doc/ovelta/guide/index.html; do
    if [ ! -e "$work/root/$f" ]; then echo "missing from the package: $f"; fail=1; fi
done
[ -x "$work/root/usr/bin/ovelta-launch" ] || { echo "the launcher is not executable"; fail=1; }
depends="$(dpkg-deb -f "$deb" Depends)"
for d in libqt6widgets6 libsqlite3-0 qt6-qpa-plugins qt6-translations-l10n; do
    case "$depends" in *"$d"*) ;; *) echo "Depends lacks $d: $depends"; fail=1 ;; esac
done
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || { echo "section is not utils"; fail=1; }
# Read the field whole first: grep -q would stop at its match, and under pipefail dpkg-deb
# dying of SIGPIPE on the rest would fail the check at random.
description="$(dpkg-deb -f "$deb" Description)"
case "$description" in *'кулинарная книга'*) ;; *) echo "no Russian description"; fail=1 ;; esac
if command -v desktop-file-validate >/dev/null; then
    out="$(desktop-file-validate "$work/root/usr/share/applications/ovelta.desktop" 2>&1)" || fail=1
    [ -z "$out" ] || { echo "$out"; fail=1; }
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.ovelta.Ovelta.metainfo.xml" \
        >/dev/null || { echo "metainfo does not validate"; fail=1; }
fi
# Debian's own checker, when it is there (scripts/deps.sh installs it): not one error or
# warning.
if command -v lintian >/dev/null; then
    out="$(lintian --fail-on error,warning "$deb" 2>/dev/null)" || fail=1
    case "$out" in *"E: "* | *"W: "*) echo "$out"; fail=1 ;; esac
fi
# The companion tool from the package runs and makes a collection with the starter recipes.
"$work/root/usr/bin/ovelta-db" create --sample "$work/data.db" >/dev/null || fail=1
[ "$fail" -eq 0 ] || exit 1
echo "package contents checked: $deb"
