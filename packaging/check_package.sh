#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks what it would put
# on a machine, without installing it: unpacked into a scratch folder, the
# report tool runs from there, the desktop entry passes desktop-file-validate,
# the file type for saved pages reaches the MIME database, and the package
# declares the Debian packages the programs need, which apt can resolve.
#
#   bash packaging/check_package.sh BUILD_DIR
set -euo pipefail
BUILD="$(cd "$1" && pwd)"
SCRATCH="$BUILD/package-check"
rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
trap 'rm -rf "$SCRATCH"' EXIT

fail() { echo "check_package: $*" >&2; exit 1; }

cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$SCRATCH" >"$SCRATCH/cpack.log" 2>&1 ||
  { cat "$SCRATCH/cpack.log" >&2; fail "cpack failed"; }
DEB="$(ls "$SCRATCH"/quorva_*.deb)"
echo "package: $(basename "$DEB"), $(du -k "$DEB" | cut -f1) kB"

ROOT="$SCRATCH/root"
dpkg -x "$DEB" "$ROOT"
for f in usr/bin/quorva usr/bin/quorva-report usr/share/applications/quorva.desktop \
         usr/share/icons/hicolor/scalable/apps/quorva.svg usr/share/mime/packages/quorva.xml; do
  [ -f "$ROOT/$f" ] || fail "missing $f"
done

# The tool runs from the unpacked tree with the system's libraries only.
QT_QPA_PLATFORM=offscreen "$ROOT/usr/bin/quorva-report" --help >"$SCRATCH/help.txt" ||
  fail "quorva-report --help failed"
grep -q -- "--input FILE" "$SCRATCH/help.txt" || fail "unexpected help text"

# Not even a hint: a desktop entry in the right menu with nothing to fix.
validate="$(desktop-file-validate "$ROOT/usr/share/applications/quorva.desktop" 2>&1)" ||
  fail "desktop entry rejected: $validate"
[ -z "$validate" ] || fail "desktop-file-validate: $validate"
grep -qx 'Name=QuorvaOnline' "$ROOT/usr/share/applications/quorva.desktop" || fail "desktop name"
grep -qx 'Exec=quorva %f' "$ROOT/usr/share/applications/quorva.desktop" || fail "desktop Exec"

# The MIME database built from the package's file type alone knows *.rpf and
# the pages' signature, under the type the desktop entry opens.
type="$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$ROOT/usr/share/applications/quorva.desktop")"
update-mime-database "$ROOT/usr/share/mime" >"$SCRATCH/mime.log" 2>&1 ||
  { cat "$SCRATCH/mime.log" >&2; fail "update-mime-database failed"; }
grep -q "$type:\*\.rpf" "$ROOT/usr/share/mime/globs2" || fail "*.rpf is not $type"
grep -q "$type" "$ROOT/usr/share/mime/magic" || fail "no magic for $type"

depends="$(dpkg-deb -f "$DEB" Depends)"
echo "Depends: $depends"
names="$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')"
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libfbclient2 fonts-liberation \
         qt6-translations-l10n libfreetype6 zlib1g libc6 libstdc++6; do
  grep -qxF "$p" <<<"$names" || fail "Depends does not name $p"
done
# What "apt-get install ./quorva_*.deb" would do here, simulated: every
# package it names exists and resolves.
apt-get install -s "$DEB" >"$SCRATCH/apt.log" 2>&1 ||
  { cat "$SCRATCH/apt.log" >&2; fail "apt-get cannot install the package"; }
echo "package check passed"
