#!/bin/bash
# 32-bit Wine on a machine that refuses 32-bit programs: Debian's own 32-bit
# Wine, downloaded and unpacked into a folder (never installed), run by the
# user-mode emulator qemu-i386-static inside a private user, mount and
# process namespace. Nothing changes outside it: the emulator's rule for
# i386 programs and the unpacked libraries are seen by its processes only,
# and every process started in it ends with it.
#
#   wine32-emulated.sh fetch FOLDER           downloads and unpacks the packages (once)
#   wine32-emulated.sh run FOLDER COMMAND...  runs COMMAND inside the namespace
#
# Inside, ORVANE_WINE_EMULATED names the unpacked tree: scripts/wine-env.sh
# then gives a 32-bit build a 64-bit prefix, whose server, desktop and
# services run natively, and starts only the 32-bit programs under the
# emulator. Needs the packages qemu-user-static and wine64 (scripts/setup.sh)
# and Linux 6.7 or later (a binfmt_misc of the namespace's own).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/steps.sh"

# 32-bit Wine, and the X libraries that its X11 driver opens at run time
# (they are not among its dependencies).
packages=(wine32 wine32-preloader libwine
  libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1 libxxf86vm1)

die() {
  echo "wine32-emulated.sh: $*" >&2
  exit 1
}

wine_version() {
  dpkg-query -W -f='${Version}' wine64 2>/dev/null ||
    die "wine64 is not installed (scripts/setup.sh installs it)"
}

# The i386 packages, resolved and downloaded by apt with a state of its own:
# an empty list of installed packages, i386 as the only architecture, the
# machine's own sources. The machine's dpkg never hears of them.
private_apt() {
  local apt=$folder/apt
  mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial"
  [ -f "$apt/status" ] || : > "$apt/status"
  cat > "$apt/apt.conf" <<EOF
Dir::State "$apt/state";
Dir::State::status "$apt/status";
Dir::Cache "$apt/cache";
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
EOF
  APT_CONFIG=$apt/apt.conf apt-get -q "$@"
}

# Their scripts are 32-bit programs: they are unpacked, not installed, and
# the one job of libwine's that Wine needs is done here: zlib1.dll (a MinGW
# build) is marked as a Wine builtin. Only their libraries are kept, all
# under usr/lib as on a merged-/usr machine: the data beside them (fonts,
# configuration, Wine's own files) is the machine's, as for a 32-bit Wine
# installed with dpkg.
unpack() {
  local tree=$folder/root version=$1 deb arch
  local all=$tree.partial/all
  rm -rf "$tree" "$tree.partial"
  mkdir -p "$all" "$tree.partial/usr"
  for deb in "$folder"/apt/cache/archives/*.deb; do
    dpkg -x "$deb" "$all" || return
  done
  for arch in i686:i386 x86_64:x86_64; do
    local in=$all/usr/${arch%%:*}-w64-mingw32/lib/zlib1.dll
    local out=$all/usr/lib/i386-linux-gnu/wine/${arch#*:}-windows/zlib1.dll
    [ -f "$in" ] || { echo "no $in among the unpacked packages" >&2; return 1; }
    { head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } > "$out" || return
  done
  mv "$all/usr/lib" "$tree.partial/usr/lib" && cp -a "$all/lib/." "$tree.partial/usr/lib/" && rm -rf "$all" || return
  if [ ! -x "$tree.partial/usr/lib/wine/wine" ] || [ ! -x "$tree.partial/usr/lib/wine/wine-preloader" ] ||
     [ ! -e "$tree.partial/usr/lib/ld-linux.so.2" ]; then
    echo "the unpacked packages hold no 32-bit Wine loader or no 32-bit C library" >&2
    return 1
  fi
  printf '%s\n' "$version" > "$tree.partial/.orvane-wine-version" && mv "$tree.partial" "$tree" &&
    rm -f "$folder"/apt/cache/archives/*.deb
}

fetch() {
  local version
  version=$(wine_version)
  if [ "$(cat "$folder/root/.orvane-wine-version" 2>/dev/null)" = "$version" ]; then
    echo "32-bit Wine $version for the emulator: already unpacked in $folder/root" >&2
    return
  fi
  # The 32-bit half must be the same Wine as the 64-bit one.
  local wanted=() p
  for p in "${packages[@]}"; do
    case "$p" in wine32|wine32-preloader|libwine) wanted+=("$p=$version") ;; *) wanted+=("$p") ;; esac
  done
  rm -f "$folder"/apt/cache/archives/*.deb
  orvane_step "Reading the i386 package lists (apt, with a private state in $folder/apt)" private_apt update
  orvane_step "Downloading 32-bit Wine $version and its i386 libraries (about 140 MB)" \
    private_apt install -y --download-only "${wanted[@]}"
  orvane_step "Unpacking them into $folder/root (about 680 MB, nothing installed)" unpack "$version"
}

# Inside the new namespaces, as their root: the emulator's rule, the
# unpacked libraries where Wine looks for them, then COMMAND.
inside() {
  local tree=$folder/root
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
    die "no binfmt_misc of its own in a namespace: that needs Linux 6.7 or later (this is $(uname -r))"
  # i386 ELF programs and libraries' loaders go to the emulator; F opens it
  # now, so that it is found whatever the program's mounts.
  printf '%s' ':orvane-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    > /proc/sys/fs/binfmt_misc/register
  # The 32-bit loader and libraries appear at their usual paths, where the
  # native 64-bit Wine and the programs' own loader look for them; they
  # replace any the machine has installed for i386, which are never used.
  mount -t overlay orvane-wine32 -o "lowerdir=$tree/usr/lib:/usr/lib" /usr/lib
  mount --bind "$tree/usr/lib/i386-linux-gnu" /usr/lib/i386-linux-gnu
  # The machine's font cache is read, not written: the 32-bit font library
  # keeps its own cache in the build's scratch HOME.
  if [ -d /var/cache/fontconfig ]; then
    mount --bind /var/cache/fontconfig /var/cache/fontconfig
    mount -o remount,bind,ro /var/cache/fontconfig
  fi
  export ORVANE_WINE_EMULATED=$tree
  # This shell is the namespace's first process: when it ends, the kernel
  # ends every other one. It ends on a signal too (the first process of a
  # namespace ignores those it does not handle).
  trap 'exit 143' TERM
  trap 'exit 130' INT
  "$@" <&0 &
  wait $! || exit
}

action=${1:-}
[ $# -ge 2 ] || die "usage: $0 fetch FOLDER | run FOLDER COMMAND... "
mkdir -p "$2"
folder=$(cd "$2" && pwd)
shift 2
case "$action" in
  fetch) fetch ;;
  run)
    [ $# -gt 0 ] || die "run: which command?"
    [ -f "$folder/root/.orvane-wine-version" ] || die "no 32-bit Wine in $folder: run '$0 fetch $folder' first"
    [ -x /usr/bin/qemu-i386-static ] || die "qemu-i386-static is missing (scripts/setup.sh installs qemu-user-static)"
    # A process namespace of its own: when COMMAND ends, whatever it left
    # running ends too.
    unshare --user --map-root-user --mount --pid --fork --kill-child --mount-proc \
      "$0" inside "$folder" "$@" || exit
    ;;
  inside) inside "$@" ;;
  *) die "usage: $0 fetch FOLDER | run FOLDER COMMAND..." ;;
esac
