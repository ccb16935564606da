#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and starts the unpacked korvid
# with a temporary HOME: the package must hold every file, and an installed Korvid must keep
# the user's files under HOME, never beside itself.
#   install_test.sh BUILD_DIR SOURCE_DIR [SANITIZED]
set -euo pipefail
build=$1
source=$2
sanitized=${3:-OFF}

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*" >&2
    exit 1
}

case "$sanitized" in ON | TRUE | 1) skip "sanitizer builds are not packaged" ;; esac
for tool in cpack dpkg-deb; do
    command -v "$tool" >/dev/null || skip "$tool is missing (apt-get install cmake dpkg-dev)"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack did not build the package"; }
shopt -s nullglob
debs=("$work"/out/korvid_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one korvid_VERSION_amd64.deb, found ${#debs[*]}"
deb=${debs[0]}
dpkg-deb -x "$deb" "$work/root"
usr=$work/root/usr

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 zlib1g libpcre2-8-0; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
        fail "Depends lacks $package: $depends"
done

for path in bin/korvid bin/korvid-inspect; do
    [ -x "$usr/$path" ] || fail "/usr/$path is not an executable"
done
for path in share/korvid/Korvid.ENGLISH.lng share/korvid/Korvid.FRANCAIS.lng \
    share/applications/korvid.desktop share/metainfo/korvid.metainfo.xml \
    share/icons/hicolor/scalable/apps/korvid.svg share/doc/korvid/copyright; do
    [ -s "$usr/$path" ] || fail "/usr/$path is missing or empty"
done
for path in share/man/man1/korvid.1.gz share/man/man1/korvid-inspect.1.gz \
    share/doc/korvid/changelog.gz; do
    gzip -t "$usr/$path" 2>/dev/null || fail "/usr/$path is not gzip"
done
grep -qx 'Exec=korvid' "$usr/share/applications/korvid.desktop" || fail "the menu entry starts no korvid"
grep -qx 'Icon=korvid' "$usr/share/applications/korvid.desktop" || fail "the menu entry has no icon"

# The width and height of a PNG, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
is_png() { [ "$(od -An -tx1 -N8 "$1" | tr -d ' ')" = 89504e470d0a1a0a ]; }
icons=0
for icon in "$usr"/share/icons/hicolor/*x*/apps/korvid.png; do
    folder=$(basename "$(dirname "$(dirname "$icon")")")
    is_png "$icon" || fail "$icon is no PNG"
    [ "$(png_size "$icon")" = "$folder" ] || fail "$icon is $(png_size "$icon"), not $folder"
    icons=$((icons + 1))
done
[ "$icons" -ge 4 ] || fail "only $icons PNG sizes of the icon"

# A settings file that names the demo log, so the start fills the history too.
home=$work/home
mkdir -p "$home/.config/korvid" "$work/runtime"
chmod 700 "$work/runtime"
printf '[General]\r\nLastFahLog=%s\r\n' "$source/data/demo/FAHlog.txt" >"$home/.config/korvid/Korvid.ini"
before=$(ls "$usr/bin")
env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen timeout 300 "$usr/bin/korvid" --screenshot "$work/shot.png" ||
    fail "korvid --screenshot failed"
is_png "$work/shot.png" || fail "no screenshot"
grep -q '^FormWidth=' "$home/.config/korvid/Korvid.ini" || fail "the settings were not written under HOME"
[ -s "$home/.local/share/korvid/Korvid.dat" ] || fail "the history was not written under HOME"
[ "$(ls "$usr/bin")" = "$before" ] || fail "korvid wrote beside itself: $(ls "$usr/bin")"
[ -z "$(find "$usr/share/korvid" -newer "$work/shot.png")" ] || fail "korvid wrote into /usr/share"

"$usr/bin/korvid-inspect" --summary "$source/data/demo/FAHlog.txt" >"$work/summary.txt" ||
    fail "korvid-inspect --summary failed"
head -1 "$work/summary.txt" | grep -q '^Project ' || fail "no table from korvid-inspect"
echo "ok: $(basename "$deb"), $icons icon sizes, Depends: $depends"
