#!/usr/bin/env bash
# kr39eds-cli.exe under Wine, as a Windows user runs it:
#   end-to-end.sh PATH/kr39eds-cli.exe EMULATOR [ARG...]
# The program and the module library beside it are copied into a fresh folder, the library as
# "MODULES"; every path handed to the program is a Windows path (drive Z:, backslashes).
set -euo pipefail
exe=$1
shift
emulator=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/Program Files" "$work/stations"
cp "$exe" "$work/Program Files/kr39eds-cli.exe"
cp -r "$(dirname "$exe")/modules" "$work/Program Files/MODULES"

# Wine hands the program its arguments in the Windows code page made from the Unix locale's.
export LC_ALL=C.UTF-8

winpath() { printf 'Z:%s' "${1//\//\\}"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
cli() { "${emulator[@]}" "$work/Program Files/kr39eds-cli.exe" "$@"; }

station=$(winpath "$work/stations/Line4.CSE")
eds=$(winpath "$work/stations/Line4.EDS")

# The default library beside the program, found whatever its letter case.
cli catalog >"$work/catalog.txt" || fail "catalog"
grep -q '^KR39NODE000001' "$work/catalog.txt" || fail "the catalog lacks the bus node"

cli new "$station" || fail "new"
cli place "$station" 1 KR39DI08DC24 || fail "place 1"
cli place "$station" 6 KR39DO08DC24 || fail "place 6"
# The station file: 17 lines, each ended by CR LF, the filler in slot 5 written as None.
[ "$(grep -c $'\r$' "$work/stations/Line4.CSE")" = 17 ] || fail "station file lines do not end with CR LF"
[ "$(sed -n 6p "$work/stations/Line4.CSE")" = $'None\r' ] || fail "slot 5 is not None"
cli show "$station" | tr -d '\r' >"$work/show.txt" || fail "show"
grep -q $'^5\tBus\t' "$work/show.txt" || fail "show does not give the filler in slot 5"

# --modules as a Windows path in another letter case; the EDS beside the station by default.
printed=$(cli --modules "$(winpath "$work/Program Files/modules")" generate "$station" --date 2026-12-06 | tr -d '\r') \
  || fail "generate"
[ "$printed" = "$eds" ] || fail "generate printed '$printed', expected '$eds'"
[ -s "$work/stations/Line4.EDS" ] || fail "no EDS written"
if grep -q $'[^\r]$' "$work/stations/Line4.EDS"; then fail "an EDS line does not end with CR LF"; fi
grep -q 'KR39DI08DC24' "$work/stations/Line4.EDS" || fail "the EDS lacks the placed module"

# The generated EDS by the EDS rules.
cli check "$eds" || fail "check"
cli check-library || fail "check-library"

# A name outside ASCII, with a blank, is the same file for every command.
other=$(winpath "$work/stations/Stätion 2.CSE")
cli new "$other" || fail "new with a name outside ASCII"
cli place "$other" 1 KR39DI08DC24 || fail "place with a name outside ASCII"
cli generate "$other" --date 12-06-2026 >/dev/null || fail "generate with a name outside ASCII"
[ -s "$work/stations/Stätion 2.CSE" ] && [ -s "$work/stations/Stätion 2.EDS" ] \
  || fail "the station or its EDS is not named Stätion 2: $(ls "$work/stations")"

# A usage error gives exit status 2, a missing station file 1; neither writes anything.
set +e
cli place "$station" 17 KR39DI08DC24 2>/dev/null; [ $? = 2 ] || fail "slot 17 is not a usage error"
cli show "$(winpath "$work/stations/missing.CSE")" 2>/dev/null; [ $? = 1 ] || fail "a missing file is not a failure"
set -e
echo "kr39eds-cli.exe end to end: OK"
