#!/usr/bin/env bash
# Checks the Debian package that `make package` made, then installs it, runs the installed
# programs and removes it again:
#   scripts/check-package.sh build/default/kr39eds_VERSION_ARCH.deb
# lintian (no errors), desktop-file-validate, appstreamcli validate (without network: the
# screenshot and homepage addresses are not fetched), the MIME type through update-mime-database,
# the icon sizes; then dpkg -i, kr39eds-cli catalog/new/place/generate from /usr/bin without
# --modules, the window started on a station file until it is ready, dpkg -r. Needs root.
set -euo pipefail
deb=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }

step "lintian"
lintian --fail-on error --display-level ">=warning" "$deb" 2>&1 | grep -v "root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

dpkg-deb -x "$deb" "$work/root"
root=$work/root

step "desktop entry"
desktop=$(ls "$root"/usr/share/applications/*.desktop)
desktop-file-validate "$desktop"
grep -q '^MimeType=application/x-kr39eds-station;$' "$desktop" || fail "no station MIME type in $desktop"

step "AppStream"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

step "MIME type"
mkdir -p "$work/mime/packages"
cp "$root"/usr/share/mime/packages/kr39eds.xml "$work/mime/packages/"
XDG_DATA_DIRS=$work XDG_DATA_HOME=$work update-mime-database "$work/mime" 2>&1 | tee "$work/mime.log"
[ ! -s "$work/mime.log" ] || fail "update-mime-database complains"
# A glob without the case-sensitive flag matches *.CSE, *.cse, *.Cse alike.
grep -qx '50:application/x-kr39eds-station:\*.cse' "$work/mime/globs2" || fail "no case-insensitive *.cse glob"

step "icons"
for size in 48 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/kr39eds.png" | grep -q "PNG image data, $size x $size" \
    || fail "no ${size}x${size} PNG icon"
done
dpkg-deb -c "$deb" | grep '/usr/lib/kr39eds/KR39_EDS.chm$' >/dev/null || fail "the package holds no KR39_EDS.chm"

step "dpkg -i"
was_installed=$(dpkg-query -W -f='${Status}' kr39eds 2>/dev/null | grep -c 'ok installed' || true)
dpkg -i "$deb"
cleanup() {
  [ "$was_installed" = 1 ] || dpkg -r kr39eds >/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

step "installed programs"
grep -q 'application/x-kr39eds-station' /usr/share/mime/globs2 || fail "the MIME type is not registered"
cd "$work"
/usr/bin/kr39eds-cli catalog >catalog.txt
grep -q '^KR39NODE000001' catalog.txt || fail "the installed catalog lacks the bus node"
/usr/bin/kr39eds-cli new Line4.CSE
/usr/bin/kr39eds-cli place Line4.CSE 1 KR39DI08DC24
[ "$(/usr/bin/kr39eds-cli generate Line4.CSE --date 2026-12-06)" = Line4.EDS ] || fail "generate"
[ -s Line4.EDS ] || fail "no EDS written"
# The EDS rules over the generated file and the installed library.
/usr/bin/kr39eds-cli check Line4.EDS
/usr/bin/kr39eds-cli check-library
# The window: started on the station file, it quits once it is ready; a message box (a station
# it could not open, a library it could not read) is written to stderr.
QT_QPA_PLATFORM=offscreen KR39EDS_QUIT_WHEN_READY=1 timeout 60 /usr/bin/kr39eds "$work/Line4.CSE" 2>window.log \
  || { cat window.log >&2; fail "the installed window did not start"; }
if grep -v -e '^QStandardPaths' -e 'propagateSizeHints' -e '^$' window.log; then fail "the installed window showed a message"; fi
man -w kr39eds-cli >/dev/null && man -w kr39eds >/dev/null || fail "man pages not found"
echo "package check: OK ($(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB)"
