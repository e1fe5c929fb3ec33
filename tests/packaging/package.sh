#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a temporary root as dpkg would
# install it, and checks what a user's system gets: the program folder, the command, the menu
# entry, every icon, the AppStream description, the manual page, the copyright; and that the
# desktop's validators and lintian accept them.
# Usage: package.sh BUILD_DIR [CPACK]
set -euo pipefail
build=$(realpath "$1")
cpack=${2:-cpack}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

version=$(QT_QPA_PLATFORM=offscreen "$build/bytemarsh" --version | awk '{print $2}')
(cd "$build" && "$cpack" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$work/out/bytemarsh_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $(basename "$deb")"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = bytemarsh ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "package version $(field Version)"
[ "$(field Section)" = utils ] || fail "section $(field Section)"
[[ "$(field Maintainer)" =~ ^.+\ \<.+@.+\>$ ]] || fail "maintainer $(field Maintainer)"
for library in libqt6widgets6 libqt6network6 libxlsxwriter4 libc6 "qt6-base-abi (= "; do
    grep -q "$library" <<<"$(field Depends)" || fail "Depends lacks $library: $(field Depends)"
done

root=$work/root
dpkg -x "$deb" "$root"
program=$root/usr/lib/bytemarsh/bytemarsh
[ -x "$program" ] || fail "no program in /usr/lib/bytemarsh"
[ "$(readlink "$root/usr/bin/bytemarsh")" = ../lib/bytemarsh/bytemarsh ] ||
    fail "/usr/bin/bytemarsh does not lead to the program"
for resource in HAND-M.CUR drag.ico skins/o.cjs; do
    [ -s "$root/usr/lib/bytemarsh/$resource" ] || fail "program folder lacks $resource"
done
# The program icon lives inside the program, and only there.
[ ! -e "$root/usr/lib/bytemarsh/icons" ] || fail "the program folder holds icons/ as well"
[ -n "$(ls "$root/usr/lib/bytemarsh/Samples")" ] || fail "no sample files"
# The installed program runs from its own folder.
[ "$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/bytemarsh" --version)" = "Bytemarsh $version" ] ||
    fail "the installed program does not answer --version"

for size in 32 48 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/bytemarsh.png
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "icon $size: $(file "$icon")"
done

entry=$root/usr/share/applications/bytemarsh.desktop
grep -qx 'Exec="/usr/lib/bytemarsh/bytemarsh" %F' "$entry" || fail "Exec: $(grep Exec= "$entry")"
grep -q '^MimeType=' "$entry" && fail "the menu entry claims MIME types"
desktop-file-validate "$entry" || fail "desktop-file-validate"

metainfo=$root/usr/share/metainfo/org.quillory.bytemarsh.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo names another release"
grep -q '<launchable type="desktop-id">bytemarsh.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch the menu entry"

manual=$root/usr/share/man/man1/bytemarsh.1.gz
gzip -t "$manual" || fail "manual page is no gzip file"
zcat "$manual" | grep -q '^\.TH BYTEMARSH 1' || fail "manual page has no title"
MANWIDTH=80 man -l "$manual" 2>"$work/man.err" | grep -q -- '--new-window' ||
    fail "man does not show the manual page"
[ -s "$work/man.err" ] && fail "man warns: $(cat "$work/man.err")"
grep -q '^Copyright: ' "$root/usr/share/doc/bytemarsh/copyright" || fail "no copyright file"

# Warnings are accepted; errors are not.
lintian "$deb" >"$work/lintian.log" 2>/dev/null || true
cat "$work/lintian.log"
grep -q '^E: ' "$work/lintian.log" && fail "lintian reports errors"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(dpkg-deb -c "$deb" | wc -l) entries, validated, lintian without errors"
