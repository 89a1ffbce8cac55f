#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Netzpegel needs.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
  cmake g++ ninja-build pkg-config \
  qt6-base-dev qt6-qpa-plugins libgl-dev libxcb1-dev \
  libsqlite3-dev sqlite3 \
  libpq-dev postgresql \
  libcurl4-openssl-dev libssl-dev \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  libxml2-utils w3c-sgml-lib iproute2 openssl \
  desktop-file-utils xvfb openbox x11-utils systemd dbus \
  trayer xdotool lintian dpkg-dev \
  clang libclang-rt-14-dev
