#!/usr/bin/env bash
# Puts every Debian package that building, testing and running Carexa needs on this machine,
# installing only what is missing, and makes sure a comma-decimal locale exists for the tests
# that check number texts do not depend on the user's locale.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev clang libfuzzer-14-dev
    libnlopt-cxx-dev libcsv-dev libxlsxwriter-dev libeigen3-dev libboost-dev
    python3 python3-openpyxl
    # The Python module (pybind11) and its tests: NumPy, pytest, and Dask for the cluster example.
    pybind11-dev python3-dev python3-numpy python3-pytest python3-distributed
    fonts-dejavu-core locales
    # The design report's tests read its PDFs back (pdftotext, pdfimages, pdfinfo).
    poppler-utils
    # The Debian package (cpack -G DEB) and the tests that check it.
    dpkg-dev file help2man man-db groff-base lintian desktop-file-utils appstream
    shared-mime-info
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "install-deps: need root (or sudo) to run: $*" >&2
        return 1
    fi
}

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -q
    as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "install-deps: generating the de_DE.UTF-8 locale"
    if [ -f /etc/locale.gen ] && grep -q 'de_DE.UTF-8' /etc/locale.gen; then
        as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    else
        echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen >/dev/null
fi
