#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, skipping those present.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
    libgtest-dev googletest clang-tidy
    libchm-dev fp-utils
    fonts-noto-cjk
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
