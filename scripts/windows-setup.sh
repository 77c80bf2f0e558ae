#!/usr/bin/env bash
# Makes the setup out/korvel-<version>-setup.exe from a portable folder with NSIS's makensis
# (Debian's nsis, installed when missing). scripts/windows-package.sh calls it; on its own:
#   bash scripts/windows-setup.sh <portable folder> <version>
# The setup installs every file of the folder but README.txt (the unzipping note); its
# uninstaller removes exactly those files, so the lists below are made from the folder itself.
set -euo pipefail
cd "$(dirname "$0")/.."
package=${1:?portable folder}
version=${2:?version}

if ! command -v makensis >/dev/null; then
    as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q -o DPkg::Lock::Timeout=600 \
        --no-install-recommends nsis >/dev/null
fi

lists=$(mktemp -d)
trap 'rm -rf "$lists"' EXIT
windows_name() { local relative=$1; printf '%s' "${relative//\//\\}"; }
{
    # Folders first, each with its own files; README.txt is for the zip only.
    while read -r folder; do
        echo "SetOutPath \"\$INSTDIR$( [ "$folder" = . ] || printf '\\%s' "$(windows_name "${folder#./}")")\""
        find "$package/$folder" -maxdepth 1 -type f ! -path "$package/./README.txt" -printf '%f\n' |
            sort | while read -r file; do
                echo "File \"$(realpath "$package/$folder/$file")\""
            done
    done < <(cd "$package" && find . -type d | sort)
} >"$lists/install-files.nsh"
{
    (cd "$package" && find . -type f ! -path ./README.txt | sort) | while read -r file; do
        echo "Delete \"\$INSTDIR\\$(windows_name "${file#./}")\""
    done
    # The deepest folders first; the program's folder itself is left to the uninstaller.
    (cd "$package" && find . -mindepth 1 -type d | sort -r) | while read -r folder; do
        echo "RMDir \"\$INSTDIR\\$(windows_name "${folder#./}")\""
    done
} >"$lists/uninstall-files.nsh"

IFS=. read -r major minor patch _ <<<"$version"
setup=out/korvel-$version-setup.exe
mkdir -p out
makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DVERSION_NUMBERS="$major.${minor:-0}.${patch:-0}.0" \
    -DPACKAGE_DIR="$(realpath "$package")" -DFILE_LISTS="$lists" \
    -DINSTALLED_KB="$(du -sk --exclude=README.txt "$package" | cut -f1)" \
    -DICON="$PWD/assets/pictures/korvel.ico" -DOUTFILE="$PWD/$setup" \
    installer/korvel.nsi
echo "Setup: $setup ($(du -h "$setup" | cut -f1))"
