#!/bin/sh
# Installs the build into a temporary prefix as a packager would, and checks what a
# desktop and a user get: both programs, the desktop entry and icon, the sample
# pictures and the script that puts them behind the fixed paths without touching a
# user's own files.
#   InstallTest.sh BUILD_DIR
set -eu
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" > /dev/null

for file in bin/vardel bin/vardel-cli bin/vardel-install-samples \
            share/applications/vardel.desktop share/icons/hicolor/scalable/apps/vardel.svg \
            share/vardel/samples/1.jpg share/vardel/samples/DIDOR_AZE.gif share/vardel/samples/saturn.tif; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
[ -x "$prefix/bin/vardel" ] && [ -x "$prefix/bin/vardel-cli" ] || { echo "programs not executable"; exit 1; }
desktop-file-validate "$prefix/share/applications/vardel.desktop"
grep -q '^Categories=Graphics;' "$prefix/share/applications/vardel.desktop"

# The installed companion works on its own.
info=$("$prefix/bin/vardel-cli" info "$prefix/share/vardel/samples/saturn.tif")
case "$info" in
    *'"width":512'*'"height":320'*) ;;
    *) echo "vardel-cli info: $info"; exit 1 ;;
esac

# The samples go into a fresh drive folder; a user's own picture stays, the empty TIFF
# that "Cargar Tiff" leaves for a missing file is replaced.
drive="$prefix/data/vardel/drive_c"
mkdir -p "$drive"
printf 'mine' > "$drive/1.jpg"
printf 'II*\0\0\0\0\0' > "$drive/saturn.tif"
XDG_DATA_HOME="$prefix/data" "$prefix/bin/vardel-install-samples" > /dev/null
[ "$(cat "$drive/1.jpg")" = mine ] || { echo "a user's file was overwritten"; exit 1; }
cmp "$drive/saturn.tif" "$prefix/share/vardel/samples/saturn.tif"
cmp "$drive/DIDOR_AZE.gif" "$prefix/share/vardel/samples/DIDOR_AZE.gif"
echo "installed and checked under $prefix"
