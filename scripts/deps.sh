#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Rufwerk needs to build, test and run, only those missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgumbo-dev wget
    qt6-charts-dev libqt6opengl6-dev
    qt6-translations-l10n
    xvfb xauth
    # Linux dial-up backend: pppd and chat, the privileged peer writer, the
    # secret store; its tests join TUN links with socat in network namespaces.
    ppp iproute2 socat util-linux polkitd pkexec
    qtkeychain-qt6-dev libsecret-1-0 dbus-daemon gnome-keyring
    # help collections (qhelpgenerator, Qt Help and its database driver)
    qt6-tools-dev qt6-tools-dev-tools libqt6sql6-sqlite qt6-translations-l10n
    # echo requests without privileges; the echo benchmark compares with ping
    iputils-ping
    # the list printer and print preview benchmarks compare with enscript
    enscript
    # the package check: cpack's dependency scan, desktop file and metadata checks
    dpkg-dev desktop-file-utils appstream
    # List printer tests: a CUPS scheduler with a cups-pdf queue (started by the
    # test itself) and pdftotext to read printed pages back.
    cups printer-driver-cups-pdf poppler-utils
    # The sanitizer build and the fuzz targets (libFuzzer) are clang's; ccache
    # keeps rebuilds short.
    clang libclang-rt-14-dev ccache
)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
