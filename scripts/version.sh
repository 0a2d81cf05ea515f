#!/usr/bin/env bash
# Prints the program's version as a build has it: the header that the build
# generates from CMakeLists.txt, where the version is set. The release and its
# checks read it here, so that no script writes it out or parses it twice.
#   scripts/version.sh BUILD_FOLDER      e.g. scripts/version.sh build/win32
set -euo pipefail
header="${1:?usage: version.sh BUILD_FOLDER}/generated/velmora_version.h"
[ -f "$header" ] || { echo "version.sh: $header is missing" >&2; exit 1; }
version=$(sed -n 's/^#define[[:space:]]*VELMORA_VERSION_TEXT[[:space:]]*"\([^"]*\)".*/\1/p' "$header")
[ -n "$version" ] || { echo "version.sh: no version in $header" >&2; exit 1; }
echo "$version"
