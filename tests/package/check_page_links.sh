#!/bin/sh
# Renders the guides as the Windows package does, beside stand-ins for the package's other
# files, and checks that every link of the pages leads to a file the package holds. The
# package's own check does the same on the zip, which needs Wine to be made; this one does not.
#   check_page_links.sh SOURCE_DIR REFERENCE_TABLES PYTHON
set -eu
source=$1 tables=$2 python=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/docs/pictures" "$work/examples" "$work/simulator"
grep -v '^#' "$source/tests/package/contents.txt" | while read -r file; do : > "$work/$file"; done
cp "$source"/docs/pictures/*.svg "$source"/docs/pictures/*.png "$work/docs/pictures/"
cp "$source"/examples/*.txt "$work/examples/"

set --
pages=""
for pair in reference=Reference scripting=Scripting forces=Forces designer=Designer; do
  name=${pair%%=*}
  [ -f "$source/docs/$name.md" ] || continue
  pages="$pages $name=${pair#*=}"
  set -- "$@" --nav "$name.html=${pair#*=}"
done
for pair in $pages; do
  name=${pair%%=*}
  inputs="$source/docs/$name.md"
  [ "$name" != reference ] || inputs="$inputs $tables"
  # shellcheck disable=SC2086
  "$python" "$source/package/render_docs.py" "$work/docs/$name.html" "${pair#*=}" $inputs "$@"
done
"$python" "$source/package/render_docs.py" --index "$work/docs/index.html" Tamrilo "$@"
"$python" "$source/tests/package/check_links.py" "$work"
