# Sourced by scripts/test-i686.sh: what running i386 code under Wine needs, set up
# once per machine in a cache and found there on later runs. Nothing is installed:
# the packages named with @i386 and @backports in scripts/packages.txt are
# unpacked into the cache. Each function prints a path or a word and fails with a
# message on stderr.
#   i386_way        native, or emulated (VELMORA_I386_WAY=emulated forces it)
#   i386_wine_tree  Wine's i386 side and its libraries, the version of wine64
#   i386_emulator   qemu-i386 and its binfmt_misc description, from the backports

i386_cache() {
  local dir="${VELMORA_I386_CACHE:-}"
  if [ -z "$dir" ]; then
    if [ "$(id -u)" -eq 0 ]; then dir=/var/cache/velmora-i386; else dir="${XDG_CACHE_HOME:-$HOME/.cache}/velmora-i386"; fi
  fi
  mkdir -p "$dir" && echo "$dir"
}

i386_packages() {
  sed -n "s/^@$1[[:space:]]\+//p" "$(dirname "${BASH_SOURCE[0]}")/packages.txt"
}

# The probe: a static i386 program that only exits with 42.
i386_probe() {
  local probe dir
  probe="$(i386_cache)/probe-exit-42"
  if [ ! -x "$probe" ]; then
    dir=$(mktemp -d)
    printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' > "$dir/probe.s"
    as --32 -o "$dir/probe.o" "$dir/probe.s" && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" &&
      mv "$dir/probe" "$probe"
    rm -rf "$dir"
  fi
  echo "$probe"
}

i386_way() {
  local probe code=0
  probe=$(i386_probe)
  if [ "${VELMORA_I386_WAY:-}" = emulated ]; then echo emulated; return; fi
  "$probe" 2>/dev/null || code=$?
  if [ "$code" -eq 42 ]; then echo native; else echo emulated; fi
}

# The machine's own Debian sources for the release it runs, as "URI SUITE" lines
# (its -updates and -security suites too), from one-line or deb822 entries.
debian_sources() {
  local release files=() f
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  awk -v release="$release" '
    function flush(   i, j, u, s) {
      if (deb) for (i = split(uris, u, " "); i > 0; i--) for (j = split(suites, s, " "); j > 0; j--)
        if (s[j] == release || index(s[j], release "-") == 1) print u[i], s[j]
      deb = 0; uris = ""; suites = ""
    }
    FNR == 1 { flush() }
    /^deb[[:space:]]/ {
      n = 2; if ($2 ~ /^\[/) { while ($n !~ /\]$/) n++; n++ }
      if ($(n + 1) == release || index($(n + 1), release "-") == 1) print $n, $(n + 1)
    }
    /^Types:/  { deb = / deb( |$)/ }
    /^URIs:/   { uris = substr($0, 6) }
    /^Suites:/ { suites = substr($0, 8) }
    /^[[:space:]]*$/ { flush() }
    END { flush() }
  ' "${files[@]}"
}

# The address that serves the release itself.
debian_archive() {
  local release
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  debian_sources | awk -v release="$release" '$2 == release { print $1; exit }'
}

# Builds a cache entry once: runs FUNCTION NEW_FOLDER under a lock and moves the
# folder into place only when it succeeded, so that an interrupted or concurrent
# run never leaves half an entry behind.
i386_cached() {
  local name=$1 fill=$2 cache final work
  cache=$(i386_cache)
  final="$cache/$name"
  exec 9>"$cache/.lock"
  flock 9
  if [ ! -d "$final" ]; then
    work=$(mktemp -d "$cache/.partial.XXXXXX")
    if ! "$fill" "$work" >&2; then
      rm -rf "$work"; flock -u 9
      echo "set-up of $name failed" >&2
      return 1
    fi
    mv -T "$work" "$final"
  fi
  flock -u 9
  echo "$final"
}

wine_version() { dpkg-query -W -f='${Version}' wine64; }

# Wine's i386 side, as the packages of the installed version extract.
# Unpacks i386 packages with their dependencies:  WORK RELEASE PACKAGES MIRROR...
extract_i386() {
  local work=$1 release=$2 include=$3
  shift 3
  mmdebstrap --quiet --variant=extract --architectures=i386 --include="$include" "$release" "$work" "$@"
}

fill_wine_tree() {
  local work=$1 version release packages=() all=() uri suite p
  while read -r uri suite; do all+=("deb $uri $suite main"); done < <(debian_sources)
  [ ${#all[@]} -gt 0 ] || { echo "no Debian archive in the apt sources" >&2; return 1; }
  version=$(wine_version)
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  for p in $(i386_packages i386); do packages+=("$p=$version"); done
  rmdir "$work"
  local include
  include=$(IFS=,; echo "${packages[*]}")
  # The release's own suite first; a wine64 from its updates needs them all.
  extract_i386 "$work" "$release" "$include" "deb $(debian_archive) $release main" ||
    { rm -rf "$work"; extract_i386 "$work" "$release" "$include" "${all[@]}"; } || return 1
  # Only lib/ and usr/lib/ are laid under /usr/lib; the rest is not needed.
  find "$work" -mindepth 1 -maxdepth 1 ! -name lib ! -name usr -exec rm -rf {} +
  find "$work/usr" -mindepth 1 -maxdepth 1 ! -name lib ! -name i686-w64-mingw32 -exec rm -rf {} +
  # Wine loads zlib1.dll only as one of its own DLLs: the mingw build, marked as
  # such the way Debian's own Wine package marks the 64-bit side's copy.
  local zlib="$work/usr/i686-w64-mingw32/lib/zlib1.dll"
  [ -f "$zlib" ] || { echo "no $zlib in the tree" >&2; return 1; }
  { head -c 64 "$zlib"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$zlib"; } \
    > "$work/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
}

i386_wine_tree() {
  i386_cached "wine-i386-$(wine_version)" fill_wine_tree
}

# The user-mode emulator from the backports (bookworm's own is far too slow at
# Wine's start-up), downloaded with apt lists of its own and only unpacked.
fill_emulator() {
  local work=$1 archive release apt package
  archive=$(debian_archive)
  [ -n "$archive" ] || { echo "no Debian archive in the apt sources" >&2; return 1; }
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  package=$(i386_packages backports)
  apt="$work/apt"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts"
  echo "deb $archive $release-backports main" > "$apt/sources.list"
  local options=(-q -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts"
                 -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
  apt-get "${options[@]}" update >/dev/null || return 1
  (cd "$apt" && apt-get "${options[@]}" download "$package/$release-backports" >/dev/null) || return 1
  dpkg-deb -x "$apt"/"$package"_*.deb "$apt/unpacked" || return 1
  # The i386 emulator and its binfmt_misc description are all that is kept.
  mkdir -p "$work/usr/bin" "$work/usr/share/qemu/binfmt.d"
  mv "$apt/unpacked/usr/bin/qemu-i386" "$work/usr/bin/" &&
    mv "$apt/unpacked/usr/share/qemu/binfmt.d/qemu-i386.conf" "$work/usr/share/qemu/binfmt.d/" || return 1
  rm -rf "$apt"
}

i386_emulator() {
  i386_cached "emulator-$(. /etc/os-release && echo "$VERSION_CODENAME")-backports" fill_emulator
}
