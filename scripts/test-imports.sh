#!/usr/bin/env bash
# The shipped programs (i686 velmora.exe and velmora-cli.exe) may import only
# Windows' own DLLs: they are copied on their own, so a DLL of the compiler's run
# time would be missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
allowed="kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll advapi32.dll msvcrt.dll ole32.dll"

check_imports() {
  local program=$1 status=0 imports dll
  if [ ! -f "$program" ]; then
    echo "FAIL: $program is missing (build win32 first)"
    return 1
  fi
  if ! i686-w64-mingw32-objdump -f "$program" | grep -q 'file format pei-i386'; then
    echo "FAIL: $program is not a 32-bit x86 program"
    return 1
  fi
  imports=$(i686-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  if [ -z "$imports" ]; then
    echo "FAIL: no import table found in $program"
    return 1
  fi
  for dll in $imports; do
    case " $allowed " in
      *" $dll "*) echo "ok    $dll" ;;
      *) echo "FAIL  $dll is not one of Windows' own DLLs"; status=1 ;;
    esac
  done
  [ $status -eq 0 ] && echo "$(basename "$program") imports only Windows' own DLLs"
  return $status
}

status=0
for name in velmora.exe velmora-cli.exe; do
  check_imports "${VELMORA_BUILD_ROOT:-$top/build}/win32/$name" || status=1
done
exit $status
