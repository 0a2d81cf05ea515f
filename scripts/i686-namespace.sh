#!/usr/bin/env bash
# Run by scripts/test-i686.sh inside `unshare --user --map-root-user --mount`, so
# that everything mounted or registered here is seen by nothing outside and ends
# with the namespace (and is undone at the end all the same):
#  - Wine's i386 tree laid under /usr/lib (the host's files come first), which gives
#    /usr/lib/wine/wine, the i386 loader that wine64 starts for a 32-bit program;
#  - with an emulator given, a binfmt_misc instance of this namespace's own in
#    which QEMU runs every i386 program (the F flag opens it now, here).
# Then a Wine session runs the GUI suites against the 32-bit velmora.exe and the
# i686 core suite; with CLI_EXE given, `velmora-cli.exe list` on the files in
# CLI_FOLDER, whose output and status must match expected.txt and expected.rc there.
# Usage: i686-namespace.sh TREE EMULATOR|"" VELMORA_EXE GUI_TESTS_EXE CORE_TESTS_EXE GTEST_FILTER
#        [CLI_EXE CLI_FOLDER "FILE..."]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tree=$1 emulator=$2 program=$3 gui_tests=$4 core_tests=$5 suites=$6
cli=${7:-} cli_folder=${8:-} cli_files=${9:-}
. "$here/i686-setup.sh"
. "$here/wine-session.sh"

binfmt=""
undo() {
  [ -n "$wine_session_dir" ] && wine_session_end
  if [ -n "$binfmt" ]; then
    [ -e "$binfmt/velmora-i386" ] && echo -1 > "$binfmt/velmora-i386"
    umount "$binfmt" && rmdir "$binfmt"
  fi
  umount --lazy /usr/lib 2>/dev/null || true
}
trap undo EXIT

mount -t overlay velmora-i386 -o "lowerdir=$tree/lib:/usr/lib:$tree/usr/lib" /usr/lib
# The i386 libraries come from the tree, not from a host's own 32-bit ones.
export LD_LIBRARY_PATH=/usr/lib/i386-linux-gnu

if [ -n "$emulator" ]; then
  binfmt=$(mktemp -d /tmp/velmora-binfmt.XXXXXX)
  if ! mount -t binfmt_misc binfmt_misc "$binfmt"; then
    echo "FAIL: no binfmt_misc of this namespace's own (Linux 6.7 or later keeps one private)" >&2
    exit 1
  fi
  # Offset, magic and mask as the emulator's own package describes i386 programs.
  IFS=: read -r _ _ type offset magic mask _ < "$emulator/usr/share/qemu/binfmt.d/qemu-i386.conf"
  echo ":velmora-i386:$type:$offset:$magic:$mask:$emulator/usr/bin/qemu-i386:F" > "$binfmt/register"
  # The emulator, asked to trace, shows that it ran the probe.
  trace=$(QEMU_STRACE=1 "$(i386_probe)" 2>&1 || true)
  if [[ "$trace" != *"exit(42)"* ]]; then
    echo "FAIL: the emulator does not run i386 programs" >&2
    exit 1
  fi
fi

wine_session_begin virtual
wine_unmanaged_windows
bin="$wine_session_dir/bin"
mkdir -p "$bin"
cp "$gui_tests" "$program" "$bin/"
status=0
start=$(date +%s)
echo "-- the shipped velmora.exe, read from outside"
timeout 600 "$WINE64" "$bin/$(basename "$gui_tests")" --gtest_brief=1 --gtest_filter="$suites" || status=1
echo "   ($(( $(date +%s) - start )) s)"
start=$(date +%s)
echo "-- the core suite as 32-bit code"
timeout 900 "$WINE64" "$core_tests" --gtest_brief=1 || status=1
echo "   ($(( $(date +%s) - start )) s)"
if [ -n "$cli" ]; then
  start=$(date +%s)
  echo "-- the shipped velmora-cli.exe: list, against the native program"
  cp "$cli" "$bin/"
  # The list ends with status 2 (one file is unreadable): kept, not fatal.
  (cd "$cli_folder" && { rc=0; timeout 300 "$WINE64" "$bin/velmora-cli.exe" list --lang en $cli_files > got.txt \
                           2> got.err || rc=$?; echo $rc > got.rc; })
  if cmp -s "$cli_folder/expected.txt" "$cli_folder/got.txt" && cmp -s "$cli_folder/expected.rc" "$cli_folder/got.rc" \
     && grep -q "xcrn0g04.png: could not be read: not a PNG file." "$cli_folder/got.err"; then
    echo "   velmora-cli.exe matches the native program (exit status $(cat "$cli_folder/got.rc"))"
  else
    echo "FAIL: velmora-cli.exe differs from the native program"
    diff "$cli_folder/expected.txt" "$cli_folder/got.txt" | head -20 || true
    echo "   status $(cat "$cli_folder/got.rc") (expected $(cat "$cli_folder/expected.rc")); stderr:"
    head -5 "$cli_folder/got.err"
    status=1
  fi
  echo "   ($(( $(date +%s) - start )) s)"
fi
exit $status
