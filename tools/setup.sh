#!/usr/bin/env bash
# Installs every Debian package the project needs. Safe to rerun: packages
# already present are skipped, and apt's lists are refreshed only when an
# install is actually needed.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang-format
  # the fuzz targets: clang with libFuzzer and the sanitizer runtimes
  clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # Qt 6 and what its widgets, fonts and pictures need
  qt6-base-dev libqt6sql6-ibase libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev zlib1g-dev
  fonts-liberation xvfb xauth
  # the toolkit's own dialogs in Brazilian Portuguese
  qt6-translations-l10n
  # the package check: desktop entry and file type of the Debian package
  desktop-file-utils shared-mime-info dpkg-dev
  # the end-to-end desktop test: a window manager, real input events, screenshots
  openbox xdotool xclip imagemagick
  # Brazilian regional settings for running the program as it is meant to run
  locales
  # the database server, its tools, client library and headers
  firebird3.0-server firebird3.0-utils libfbclient2 firebird-dev
  # independent readers of what we write
  poppler-utils qpdf python3-xlrd python3-olefile libreoffice-calc-nogui
  # peers measured side by side in bench/
  python3-reportlab libhpdf-dev python3-xlwt
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# fonts-croscore makes "Arial" resolve to another family; our text widths
# are taken from Liberation Sans, so it must not be present.
if dpkg-query -W -f='${Status}' fonts-croscore 2>/dev/null | grep -q "install ok installed"; then
  echo "setup: removing fonts-croscore (it shadows Liberation Sans)"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y fonts-croscore
fi

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi

# pt_BR.UTF-8 for the demo run; tests never depend on it.
if ! locale -a 2>/dev/null | grep -qi '^pt_BR\.utf-\?8$'; then
  if [ -f /etc/locale.gen ]; then
    sed -i 's/^# *\(pt_BR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^pt_BR.UTF-8 UTF-8' /etc/locale.gen || echo 'pt_BR.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null || true
  fi
fi
