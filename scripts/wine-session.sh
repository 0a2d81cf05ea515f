# Sourced by run.sh and by the scripts that run Windows programs (scripts/test-*.sh,
# scripts/bench-shell.sh); the Wine settings live here and nowhere else. A session
# is a fresh wine64 prefix with the Japanese locale (ANSI code page 932) and, when
# asked or when there is no display, a virtual X display. Everything it starts is
# stopped by wine_session_end.
#   wine_session_begin [virtual]   # "virtual" forces Xvfb even when DISPLAY is set
#   wine_unmanaged_windows         # no window manager waits on the virtual display
#   wine_use_japanese_fonts        # the dialog and table fonts on the IPA fonts
#   wine_run PROGRAM.exe ARGS...    # runs under wine64, returns its exit code
#   wine_session_end
WINE64=/usr/lib/wine/wine64
wine_xvfb_pid=""
wine_session_dir=""

wine_session_begin() {
  wine_session_dir=$(mktemp -d /tmp/velmora-wine.XXXXXX)
  export WINEPREFIX="$wine_session_dir/prefix" WINEARCH=win64 WINEDEBUG=-all
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
  if [ "${1:-}" = virtual ] || [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 90 130); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
      Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
      wine_xvfb_pid=$!
      export DISPLAY=":$n"
      break
    done
    local tries=0
    until xdpyinfo >/dev/null 2>&1 || [ $tries -ge 50 ]; do sleep 0.1; tries=$((tries + 1)); done
  fi
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
}

# Maps the dialog and table fonts the program asks for onto the installed IPA
# fonts of the same kind (proportional for the dialogs, fixed for the table), so
# that what Wine shows is metrically close to a Japanese Windows.
wine_use_japanese_fonts() {
  local reg="$wine_session_dir/fonts.reg"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
    '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' \
    '"MS PGothic"="IPAPGothic"' '"MS Gothic"="IPAGothic"' | iconv -f UTF-8 -t UTF-16 > "$reg"
  "$WINE64" regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
}

# With no window manager on the virtual display, Wine would wait two seconds for
# one each time a top-level window is hidden; unmanaged windows skip that wait.
wine_unmanaged_windows() {
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

wine_run() {
  "$WINE64" "$@"
}

wine_session_end() {
  wineserver -k 2>/dev/null || true
  [ -n "$wine_xvfb_pid" ] && kill "$wine_xvfb_pid" 2>/dev/null || true
  [ -n "$wine_session_dir" ] && rm -rf "$wine_session_dir"
  wine_xvfb_pid=""; wine_session_dir=""
}
