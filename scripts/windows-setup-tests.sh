#!/usr/bin/env bash
# Tests what scripts/windows-package.sh made, under wine: the version resource and manifest of
# the packed korvel.exe, then the setup in a fresh wine prefix (install, upgrade, the installed
# program started from "Send to" with a file, silent uninstall), and the packed korvel-cli.exe's
# commands. A couple of minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-common.sh

# The tests decode the resource's text and read shortcuts with python3.
if ! command -v python3 >/dev/null; then
    as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=600 \
        --no-install-recommends python3 >/dev/null
fi

setup=$(find out -maxdepth 1 -name 'korvel-*-setup.exe' | sort | tail -n 1)
package=$(find out -maxdepth 1 -type d -name 'korvel-*-windows-x64' | sort | tail -n 1)
if [ -z "$setup" ] || [ -z "$package" ]; then
    echo "No setup or package in out/; make them first: bash scripts/windows-package.sh" >&2
    exit 1
fi
version=$(sed -n 's/.*korvel-\(.*\)-setup\.exe$/\1/p' <<<"$setup")

echo "== Version resource and manifest of $package/korvel.exe"
bash tests/shell/VersionResourceTest.sh "$package/korvel.exe" "$version"
echo "== $package/korvel-cli.exe under wine"
bash tests/cli/WindowsCliTest.sh "$package" "$KORVEL_WINDOWS_BUILD/cli-tests"
echo "== $setup under wine"
bash tests/shell/WindowsSetupTest.sh "$setup" "$package" "$KORVEL_WINDOWS_BUILD/setup-tests"
