#!/usr/bin/env bash
# The shipped 32-bit program and the core's suite as 32-bit code, under Wine:
#  - dist/velmora.exe (make-dist.sh, from the i686 release build) beside the x86_64
#    velmora_gui_tests.exe, whose suites that start the real program and read it
#    from outside run against it (RealProgram, SingleInstance, HelpFromItsFolder);
#  - build/win32-tests/velmora_win_tests.exe, the core's Windows suite for i686;
#  - dist/velmora-cli.exe: `list` on two sample files (one unreadable), whose
#    output and exit status must be those of the native velmora-cli.
# Builds nothing: ./test.sh builds first.
#
# Wine's i386 side is never installed. It is unpacked once per machine, pinned to
# the installed wine64, into a cache (VELMORA_I386_CACHE, default
# /var/cache/velmora-i386, or ~/.cache/velmora-i386 without root), and the tests
# run in a private user and mount namespace where that tree is laid under /usr/lib:
# wineserver and the test program stay native 64-bit, velmora.exe gets Wine's i386
# loader in the win64 prefix. A tiny static i386 program tells whether the machine
# runs i386 code; where it refuses, QEMU's user-mode emulator from the backports of
# the machine's own Debian archive runs it, through a binfmt_misc entry that exists
# only inside the namespace. Whatever is mounted or registered there ends with it.
#   VELMORA_I386_WAY=emulated   takes the emulator even where i386 code runs natively
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root="${VELMORA_BUILD_ROOT:-$top/build}"
suites='RealProgram.*:SingleInstance.*:HelpFromItsFolder.*'

. "$top/scripts/i686-setup.sh"
for f in "$root/win32/velmora.exe" "$root/win64/velmora_gui_tests.exe" "$root/win32-tests/velmora_win_tests.exe"; do
  [ -f "$f" ] || { echo "FAIL: $f is not built (scripts/build.sh win32 win64 win32-tests)"; exit 1; }
done
"$top/scripts/install-deps.sh"
dist="${VELMORA_DIST_DIR:-$top/dist}"
VELMORA_BUILD_ROOT="$root" VELMORA_DIST_DIR="$dist" "$top/scripts/make-dist.sh" >/dev/null

start=$(date +%s)
way=$(i386_way)
echo "-- i386 code runs $way on this machine"
tree=$(i386_wine_tree)
qemu=""
[ "$way" = native ] || qemu=$(i386_emulator)
echo "-- set-up: $(( $(date +%s) - start )) s (cache: $(i386_cache))"

# What the native program says about the same files, for the console program to match.
cli_work=$(mktemp -d /tmp/velmora-i686-cli.XXXXXX)
trap 'rm -rf "$cli_work"' EXIT
cli_files="ct1n0g04.png xcrn0g04.png"
samples=$top/../shared/corpus/pngsuite
[ -d "$samples" ] || samples=$top/../../shared/corpus/pngsuite
if [ -x "$root/native/velmora-cli" ] && [ -f "$samples/ct1n0g04.png" ]; then
  for f in $cli_files; do cp "$samples/$f" "$cli_work/"; done
  (cd "$cli_work" && { rc=0; "$root/native/velmora-cli" list --lang en $cli_files > expected.txt 2>/dev/null || rc=$?;
                      echo $rc > expected.rc; })
  cli_args=("$dist/velmora-cli.exe" "$cli_work" "$cli_files")
else
  echo "-- SKIP velmora-cli.exe: no native velmora-cli or no sample files"
  cli_args=()
fi

start=$(date +%s)
status=0
unshare --user --map-root-user --mount --fork \
  bash "$top/scripts/i686-namespace.sh" "$tree" "$qemu" "$dist/velmora.exe" \
  "$root/win64/velmora_gui_tests.exe" "$root/win32-tests/velmora_win_tests.exe" "$suites" "${cli_args[@]}" || status=1
echo "-- the 32-bit runs ($way): $(( $(date +%s) - start )) s"
[ $status -eq 0 ] && echo "32-bit checks passed" || echo "32-bit checks FAILED"
exit $status
