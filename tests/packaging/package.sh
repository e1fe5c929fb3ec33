#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a temporary root as dpkg would
# install it, and checks what a user's system gets: the program folder, the command, the menu
# entry and the file types it opens, every icon, the AppStream description, the manual page, the
# bash completion, the copyright; that the fonts the package depends on keep every caption
# whole; and that the desktop's validators and lintian accept them, hardening included.
# Usage: package.sh BUILD_DIR [CPACK [hardened]]  (hardened: the build used the hardening flags)
set -euo pipefail
build=$(realpath "$1")
cpack=${2:-cpack}
hardened=${3:-}
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
for library in libqt6widgets6 libqt6network6 libxlsxwriter4 libc6; do
    grep -q "$library" <<<"$(field Depends)" || fail "Depends lacks $library: $(field Depends)"
done
# Public Qt only: the package takes any Qt update that keeps the libraries' own interface.
if grep -q "qt6-base-abi (=" <<<"$(field Depends)"; then
    fail "Depends pins the exact Qt: $(field Depends)"
fi
grep -q 'fonts-liberation2' <<<"$(field Depends)" || fail "Depends lacks the captions' font"
grep -q 'fonts-dejavu-core' <<<"$(field Depends)" || fail "Depends lacks a proportional sans-serif"
grep -q 'qt6-wayland' <<<"$(field Recommends)" || fail "Recommends lacks qt6-wayland"

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
desktop-file-validate "$entry" || fail "desktop-file-validate"
# "Open With": a desktop finds the program for folders and, as every file's type is a kind of
# application/octet-stream, among the related programs for any file. Asked as a desktop asks,
# after the menu entries' type index is rebuilt as the package's installation rebuilds it.
if command -v gio >/dev/null && command -v update-desktop-database >/dev/null; then
    desktop=$work/desktop
    mkdir -p "$desktop/data/applications" "$desktop/config"
    # Where this unpacked root's program is, so the entry's TryExec holds.
    sed "s:/usr/lib/bytemarsh/bytemarsh:$program:g" "$entry" \
        >"$desktop/data/applications/bytemarsh.desktop"
    update-desktop-database "$desktop/data/applications"
    for type in inode/directory application/octet-stream; do
        registered=$(LC_ALL=C XDG_DATA_HOME=$desktop/data XDG_DATA_DIRS=$desktop/none \
            XDG_CONFIG_HOME=$desktop/config XDG_CONFIG_DIRS=$desktop/none gio mime "$type" |
            sed -n '/^Registered applications:/,/^[^\t]/p')
        grep -qx $'\tbytemarsh.desktop' <<<"$registered" ||
            fail "the desktop does not offer Bytemarsh for $type"
    done
else
    echo "gio or update-desktop-database missing: the Open With types go unchecked"
    fail "Open With types unchecked"
fi

metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo names another release"
grep -q '<launchable type="desktop-id">bytemarsh.desktop</launchable>' "$metainfo" ||
    fail "metainfo does not launch the menu entry"
grep -qF "<url type=\"homepage\">$(field Homepage)</url>" "$metainfo" ||
    fail "the package's home page $(field Homepage) is not AppStream's"

manual=$root/usr/share/man/man1/bytemarsh.1.gz
gzip -t "$manual" || fail "manual page is no gzip file"
zcat "$manual" | grep -q '^\.TH BYTEMARSH 1' || fail "manual page has no title"
MANWIDTH=80 man -l "$manual" 2>"$work/man.err" | grep -q -- '--new-window' ||
    fail "man does not show the manual page"
[ -s "$work/man.err" ] && fail "man warns: $(cat "$work/man.err")"
MANWIDTH=80 man -l "$manual" 2>/dev/null | grep -q -- '--check' || fail "the manual page lacks --check"
grep -q '^Copyright: ' "$root/usr/share/doc/bytemarsh/copyright" || fail "no copyright file"

# The completion lies where bash-completion loads it from when bytemarsh is first completed.
completion=$root/usr/share/bash-completion/completions/bytemarsh
[ -f "$completion" ] || fail "no bash completion in /usr/share/bash-completion/completions"
bash "$(dirname "$0")/completion.sh" "$completion" || fail "the installed completion"

# The captions, measured by the window suite in nothing but the fonts of the package's
# dependencies beside fontconfig's own fallback (DejaVu): they must fit. In the fallback alone,
# the check must bite, or it proves nothing.
# A fontconfig that knows nothing but the fonts in the given folders, as a minimal system would.
fonts_conf() {
    local conf=$work/fonts-$1.conf
    shift
    {
        echo '<?xml version="1.0"?><fontconfig>'
        for folder in "$@"; do echo "<dir>$folder</dir>"; done
        echo "<include ignore_missing=\"yes\">/etc/fonts/conf.d</include>"
        echo "<cachedir>$work/font-cache</cachedir></fontconfig>"
    } >"$conf"
    echo "$conf"
}
captions() {
    FONTCONFIG_FILE=$(fonts_conf "$@") HOME=$work XDG_DATA_HOME=$work XDG_RUNTIME_DIR=$work \
        QT_QPA_PLATFORM=offscreen "$build/tests/test_window_text" everyCaptionFitsItsControl
}
font_folders() { dpkg -L "$@" | grep -E '\.(ttf|otf)$' | xargs -r -n1 dirname | sort -u; }
fonts=$(field Depends | tr ',' '\n' | sed -n 's/^ *\(fonts-[^ ]*\).*/\1/p')
fallback=$(font_folders fonts-dejavu-core 2>/dev/null || true)
if [ -z "$fonts" ]; then
    fail "the package depends on no font"
elif [ -z "$fallback" ] || ! font_folders $fonts >/dev/null 2>&1; then
    fail "the fallback font (fonts-dejavu-core) or the package's fonts ($fonts) are not installed"
else
    # shellcheck disable=SC2086
    captions with $fallback $(font_folders $fonts) >"$work/captions-with.log" 2>&1 ||
        fail "captions cut off in the package's fonts: $(grep -h 'cut off' "$work"/captions-with*)"
    # shellcheck disable=SC2086
    if captions without $fallback >"$work/captions-without.log" 2>&1; then
        fail "the captions check passes even without the package's fonts"
    elif ! grep -q 'cut off: .*Kilobytes (Kb)' "$work/captions-without.log"; then
        fail "without the package's fonts the check failed otherwise:" \
            "$(tail -n 5 "$work/captions-without.log")"
    fi
fi

# In nothing but the package's fonts, sans-serif (every menu, dialog and box) is proportional:
# fontconfig gives monospaced fonts a spacing of 100.
if [ -n "$fonts" ] && font_folders $fonts >/dev/null 2>&1; then
    # shellcheck disable=SC2046,SC2086
    sans_conf=$(fonts_conf sans $(font_folders $fonts))
    sans=$(FONTCONFIG_FILE=$sans_conf HOME=$work fc-match -f '%{family}|%{spacing}' sans-serif)
    [ -n "${sans%%|*}" ] && [ "${sans#*|}" != 100 ] ||
        fail "in the package's fonts sans-serif is ${sans%%|*}, which is monospaced"
    echo "sans-serif in the package's fonts: ${sans%%|*}"
fi

# Errors fail; warnings are accepted, but no hardening tag at any level.
lintian --pedantic "$deb" >"$work/lintian.log" 2>/dev/null || true
cat "$work/lintian.log"
grep -q '^E: ' "$work/lintian.log" && fail "lintian reports errors"
if [ "$hardened" = hardened ]; then
    grep -q 'hardening-' "$work/lintian.log" && fail "lintian reports missing hardening"
else
    echo "not a hardened build (a sanitizer build, or no dpkg-buildflags): hardening unchecked"
fi

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(dpkg-deb -c "$deb" | wc -l) entries, validated; opens files and" \
    "folders; captions whole in its fonts ($fonts), cut off without; lintian --pedantic without" \
    "errors$([ "$hardened" = hardened ] && echo " or hardening tags")"
