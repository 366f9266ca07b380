#!/bin/sh
# Checks the Windows package: every file under one top folder named after the package, exactly
# the files of contents.txt plus the guides and examples of the source tree, the product as
# built, SHA256SUMS naming every other file with its right checksum, and every link of the pages
# leading to a file the package holds.
#   check_contents.sh ZIP SOURCE_DIR BUILD_BIN_DIR PYTHON
set -eu
zip=$1 source=$2 bin=$3 python=$4
top=$(basename "$zip" .zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package check: $*" >&2; exit 1; }

{
  grep -v '^#' "$source/tests/package/contents.txt"
  echo docs/index.html
  for page in reference scripting forces designer; do
    [ ! -f "$source/docs/$page.md" ] || echo "docs/$page.html"
  done
  for example in "$source"/examples/*.txt; do echo "examples/$(basename "$example")"; done
  for picture in "$source"/docs/pictures/*.svg "$source"/docs/pictures/*.png; do
    echo "docs/pictures/$(basename "$picture")"
  done
} | sort > "$work/expected"

unzip -Z1 "$zip" | grep -v '/$' | sort > "$work/entries"
if grep -v "^$top/" "$work/entries"; then fail "entries outside the folder $top/"; fi
sed "s|^$top/||" "$work/entries" > "$work/actual"
diff -u "$work/expected" "$work/actual" || fail "the contents differ from the list (- expected, + found)"

unzip -q "$zip" -d "$work/unpacked"
cd "$work/unpacked/$top"
cmp Tamrilo.dll "$bin/Tamrilo.dll" || fail "Tamrilo.dll is not the one built"
sha256sum --check --strict --quiet SHA256SUMS || fail "a checksum in SHA256SUMS does not match"
sed 's/^[0-9a-f]\{64\}  //' SHA256SUMS > "$work/summed"
grep -vx SHA256SUMS "$work/actual" | diff -u - "$work/summed" || fail "SHA256SUMS does not name every file"
grep -q '<div class="toc">' docs/reference.html || fail "the reference has no table of contents"
grep -q 'id="host-variable-index"' docs/reference.html || fail "the reference has no host variable index"
"$python" "$source/tests/package/check_links.py" . || fail "a page links to a file the package does not hold"
echo "package holds $(wc -l < "$work/actual") files, checksums match"
