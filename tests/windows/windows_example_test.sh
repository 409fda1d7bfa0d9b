#!/usr/bin/env bash
# Generates the example level with kesgen-cli.exe under Wine and checks that
# it is byte for byte the level that kesgen-cli makes on Linux. The project,
# its meshes and textures lie in a folder whose name has spaces and
# non-ASCII letters; the project is named once by a relative path and once by
# its Windows path (drive letter, backslashes).
#
# Usage: tests/windows/windows_example_test.sh KESGEN-CLI.EXE LINUX_KESGEN-CLI
set -euo pipefail
cd "$(dirname "$0")/../.."

exe=$(realpath "$1")
linux_cli=$(realpath "$2")
source scripts/wine-env.sh

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"; [ -n "${KESGEN_WINEPREFIX:-}" ] || { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }' EXIT
folder="$work/Ebene ä/Übung"
mkdir -p "$folder"
cp examples/*.kgp examples/*.obj examples/*.bmp "$folder/"

"$linux_cli" generate "$folder/example.kgp" -o "$work/linux.kes" >/dev/null || fail "kesgen-cli on Linux"

version=$(wine "$exe" --version | tr -d '\r')
[ "$version" = "$("$linux_cli" --version)" ] || fail "kesgen-cli.exe --version says '$version'"

(cd "$work" && wine "$exe" generate "Ebene ä/Übung/example.kgp" -o "Ebene ä/Übung/windows.kes") >"$work/out.txt" 2>&1 \
  || fail "kesgen-cli.exe generate with a relative path: $(cat "$work/out.txt")"
cmp "$folder/windows.kes" "$work/linux.kes" || fail "the level made on Windows differs from the one made on Linux"
echo "ok: kesgen-cli.exe under Wine generates the example level in '${folder#"$work/"}', the same bytes as on Linux"

windows_project=$(winepath -w "$folder/example.kgp" 2>/dev/null)
case $windows_project in
  [A-Z]:\\*) ;;
  *) fail "winepath gave no Windows path: '$windows_project'" ;;
esac
windows_output=${windows_project%.kgp}-2.kes
wine "$exe" generate "$windows_project" -o "$windows_output" >"$work/out.txt" 2>&1 \
  || fail "kesgen-cli.exe generate '$windows_project': $(cat "$work/out.txt")"
cmp "$folder/example-2.kes" "$work/linux.kes" || fail "the level made from '$windows_project' differs"
echo "ok: kesgen-cli.exe generates from the Windows path '$windows_project'"

wine "$exe" inspect "Z:${folder//\//\\}\\windows.kes" >"$work/out.txt" 2>&1 || fail "kesgen-cli.exe inspect: $(cat "$work/out.txt")"
echo "ok: kesgen-cli.exe inspects the level it made"
