#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt that are not yet installed,
# and generates the Japanese locale that Wine needs for code page 932. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The installers run in the locale every system has: the user's may be the one
# this script is about to generate, and perl and apt would warn about it.
export LC_ALL=C.UTF-8 LANGUAGE=
# Lines starting with @ name packages that are unpacked privately, not installed.
mapfile -t wanted < <(grep -v -E '^\s*(#|@|$)' "$here/packages.txt")
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq || $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
  fi
  $sudo_cmd locale-gen >/dev/null
fi
