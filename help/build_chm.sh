#!/bin/sh
# Compiles the help pages into velmora.chm. The sources are UTF-8 with the version
# as @VELMORA_VERSION@; the help viewer of a Japanese Windows reads Shift_JIS, so
# every file is given the version, converted to code page 932 and handed to chmcmd.
#   build_chm.sh SOURCE_DIR OUTPUT_DIR VERSION [CHMCMD]
# Leaves OUTPUT_DIR/velmora.chm, and the converted pages in OUTPUT_DIR/pages.
set -eu
src=$1
out=$2
version=$3
chmcmd=${4:-chmcmd}

stage="$out/pages"
rm -rf "$stage"
mkdir -p "$stage"
for f in "$src"/*.html "$src"/*.css "$src"/velmora.hhp "$src"/toc.hhc "$src"/index.hhk; do
  name=$(basename "$f")
  sed "s/@VELMORA_VERSION@/$version/g" "$f" > "$stage/$name.utf8"
  if ! iconv -f UTF-8 -t CP932 "$stage/$name.utf8" > "$stage/$name"; then
    echo "$f: not representable in code page 932" >&2
    exit 1
  fi
  rm "$stage/$name.utf8"
done

# chmcmd writes next to the project; move the result only once it is complete.
rm -f "$stage/velmora.chm"
if ! (cd "$stage" && "$chmcmd" --no-html-scan velmora.hhp) > "$out/chmcmd.log" 2>&1 \
   || [ ! -s "$stage/velmora.chm" ]; then
  cat "$out/chmcmd.log" >&2
  echo "chmcmd failed" >&2
  exit 1
fi
mv "$stage/velmora.chm" "$out/velmora.chm"
