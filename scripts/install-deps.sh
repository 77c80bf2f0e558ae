#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, skipping those present,
# and generates the Chinese locale the failure messages are tested under.
set -euo pipefail
# CI installs once per run and says so; its later stages skip the check.
[ -n "${KORVEL_DEPS_INSTALLED:-}" ] && exit 0

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
    libgtest-dev googletest clang-tidy
    clang libclang-rt-14-dev
    zlib1g-dev shared-mime-info
    libssl-dev age
    libchm-dev fp-utils
    fonts-noto-cjk
    locales libc-l10n
    xvfb openbox xdotool x11-utils
    python3
)

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${as_root[@]}" apt-get update -q
    "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The system's own reasons (glibc's messages) come in Chinese only under a Chinese locale.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    echo "Generating the locale zh_CN.UTF-8"
    "${as_root[@]}" localedef -i zh_CN -c -f UTF-8 zh_CN.UTF-8
fi
