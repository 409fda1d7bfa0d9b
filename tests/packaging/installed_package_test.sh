#!/usr/bin/env bash
# Checks a built Debian package of kesgen from its installed files: unpacks it
# into a temporary root (dpkg-deb -x) and, from there,
#   - checks that the designer's guide is installed where the editor's F1
#     looks for it, with every picture it shows;
#   - runs kesgen-cli --version and generates the example level (in a folder
#     whose name has spaces and non-ASCII letters), which must be the level
#     the build tree's kesgen-cli makes;
#   - checks with update-mime-database and xdg-mime, against the installed
#     MIME definitions only, that project files are recognised by their first
#     bytes whatever their names, and level files too;
#   - validates the desktop entry and the AppStream file, and renders the
#     manual page;
#   - starts the installed editor the way the desktop does (Exec=kesgen %f)
#     on a virtual display and checks that it opens the project without an
#     error box (and, as a control, that it shows one for a file that is no
#     project).
# Prints one line per check; exits 1 at the first that fails.
#
# Usage: tests/packaging/installed_package_test.sh PACKAGE.deb REFERENCE_CLI
set -euo pipefail
cd "$(dirname "$0")/../.."

package=$(realpath "$1")
reference_cli=$(realpath "$2")

fail() {
  echo "FAILED: $*" >&2
  exit 1
}
for tool in dpkg-deb update-mime-database xdg-mime mimetype desktop-file-validate appstreamcli man xvfb-run xwininfo; do
  command -v "$tool" >/dev/null || fail "$tool is missing; run scripts/install-deps.sh"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$package" "$root"
bin=$root/usr/bin
share=$root/usr/share
for file in "$bin/kesgen" "$bin/kesgen-cli" "$share/applications/org.kestrin.kesgen.desktop" \
            "$share/metainfo/org.kestrin.kesgen.metainfo.xml" "$share/mime/packages/org.kestrin.kesgen.xml" \
            "$share/man/man1/kesgen-cli.1.gz" "$share/icons/hicolor/scalable/apps/org.kestrin.kesgen.svg" \
            "$share/icons/hicolor/256x256/apps/org.kestrin.kesgen.png"; do
  [ -f "$file" ] || fail "the package has no ${file#"$root"}"
done
echo "ok: the package holds the programs, desktop entry, metainfo, MIME types, icons and manual page"

# The designer's guide, where F1 in the installed editor looks for it (beside
# the program: ../share/doc/kesgen), with every picture and file it links to.
guide=$share/doc/kesgen/guide.md
[ -f "$guide" ] || fail "the package has no /usr/share/doc/kesgen/guide.md"
links=$(grep -o '](\([^)#]*\)' "$guide" | sed 's/^](//' | grep -v '^[a-z]*://' | sort -u)
[ -n "$links" ] || fail "the installed guide links to no picture"
for link in $links; do
  [ -f "$share/doc/kesgen/$link" ] || fail "the installed guide links to $link, which the package does not hold"
done
echo "ok: the package holds the designer's guide and the $(wc -w <<<"$links") files it links to"

# The programs.
version=$(dpkg-deb -f "$package" Version)
[ "$("$bin/kesgen-cli" --version)" = "kesgen-cli $version" ] || fail "kesgen-cli --version does not say $version"
echo "ok: kesgen-cli --version says $version"

folder="$work/Ebene ä/Übung"
mkdir -p "$folder"
cp examples/*.kgp examples/*.obj examples/*.bmp "$folder/"
"$bin/kesgen-cli" generate "$folder/example.kgp" -o "$folder/installed.kes" >/dev/null \
  || fail "the installed kesgen-cli could not generate the example"
"$reference_cli" generate examples/example.kgp -o "$work/reference.kes" >/dev/null
cmp -s "$folder/installed.kes" "$work/reference.kes" || fail "the installed kesgen-cli made another level"
echo "ok: the installed kesgen-cli generates the example level in '${folder#"$work/"}'"

# The file types, from the installed definitions alone.
mime=$work/mime/share
mkdir -p "$mime/mime/packages" "$work/files"
cp "$share/mime/packages/org.kestrin.kesgen.xml" "$mime/mime/packages/"
update-mime-database "$mime/mime" 2>/dev/null
query() {
  XDG_DATA_DIRS=$mime XDG_DATA_HOME=$work/mime/none XDG_CURRENT_DESKTOP= xdg-mime query filetype "$1"
}
expect_type() {
  local name=$1 content=$2 expected=$3 found
  cp "$content" "$work/files/$name"
  found=$(query "$work/files/$name")
  [ "$found" = "$expected" ] || fail "'$name' is recognised as '$found', not $expected"
}
printf 'not a project' >"$work/plain.txt"
for name in level.kgp "Backup of level" level.kgp.bak notes.txt; do
  expect_type "$name" examples/example.kgp application/x-kesgen-project
done
for name in level.kes "level backup" level.bin; do
  expect_type "$name" "$work/reference.kes" application/x-kestrin-level
done
# Without the definitions, the same bytes are not a project: the check above
# depends on them.
[ "$(XDG_DATA_DIRS=$work/mime/none XDG_DATA_HOME=$work/mime/none xdg-mime query filetype "$work/files/Backup of level" 2>/dev/null)" \
  != application/x-kesgen-project ] || fail "a project file is recognised without the installed definitions"
echo "ok: xdg-mime recognises project and level files by their first bytes, with any name"

# The desktop files and the manual page.
desktop-file-validate "$share/applications/org.kestrin.kesgen.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=kesgen %f' "$share/applications/org.kestrin.kesgen.desktop" || fail "the desktop entry does not pass a file"
grep -qx 'MimeType=application/x-kesgen-project;' "$share/applications/org.kestrin.kesgen.desktop" \
  || fail "the desktop entry does not open projects"
appstreamcli validate --no-net "$share/metainfo/org.kestrin.kesgen.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate: $(appstreamcli validate --no-net "$share/metainfo/org.kestrin.kesgen.metainfo.xml")"
man -l "$share/man/man1/kesgen-cli.1.gz" 2>&1 | grep -q 'generate' || fail "the manual page does not render"
echo "ok: the desktop entry, the AppStream file and the manual page are valid"

# The editor, started as the desktop starts it, on a virtual display. The
# windows it shows after a few seconds tell whether it opened the project.
editor_windows() {
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$1" "$2" >/dev/null 2>&1 &
    editor=$!
    sleep 4
    xwininfo -root -tree
    kill -0 "$editor" || { echo "the editor has ended"; exit 0; }
    kill "$editor"; wait "$editor" || true' editor "$bin/kesgen" "$1"
}
windows=$(editor_windows "$folder/example.kgp")
# The title names the project once it is loaded.
grep -q '"example.kgp - Kestrin Level Generator"' <<<"$windows" || fail "the installed editor shows no dialog for the project: $windows"
! grep -q '"Could not open"' <<<"$windows" || fail "the installed editor could not open the example project"
windows=$(editor_windows "$work/plain.txt")
grep -q '"Could not open"' <<<"$windows" || fail "the installed editor shows no error for a file that is no project"
echo "ok: the installed editor opens a project given on its command line"
