# What the scripts share: the project's root as the working folder, and the
# installation of what a script's purpose needs, asking apt only when
# something is missing. Sourced, not run.
# shellcheck shell=bash
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_updated=0
apt_get() {
  export DEBIAN_FRONTEND=noninteractive
  if [ "$apt_updated" -eq 0 ]; then
    as_root apt-get update -q
    apt_updated=1
  fi
  # Other package managers may hold the lock for a while; wait for them.
  as_root apt-get -y -q --no-install-recommends -o DPkg::Lock::Timeout=300 "$@"
}

# Installs the build dependencies that debian/control lists: those of the
# tests too, unless the argument is nocheck.
need_build_deps() {
  local profile=()
  [ "${1:-}" != nocheck ] || profile=(-P nocheck)
  if command -v dpkg-checkbuilddeps >/dev/null &&
    dpkg-checkbuilddeps "${profile[@]}" debian/control 2>/dev/null; then
    return
  fi
  echo "Installing the build dependencies in debian/control ${profile[*]}"
  apt_get build-dep "${profile[@]}" ./
}

# Installs those of the named packages that are missing.
need_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "Installing: ${missing[*]}"
  apt_get install "${missing[@]}"
}

# The build tool of every preset; not a dependency of the package's build.
need_build_tools() {
  need_packages ninja-build
}

# The cross compiler and GoogleTest's sources for it, which the windows
# presets build with; and the named packages.
need_cross_tools() {
  need_build_tools
  need_packages cmake mingw-w64 googletest "$@"
}

# What running the Windows program needs besides: Wine with its 32-bit part
# (from the i386 architecture) on a virtual X server, with Wine's own fonts,
# "MS Sans Serif" among them; and the named packages. Wine starts a 32-bit
# program with its 32-bit loader, which a kernel without IA-32 emulation
# cannot start (some virtual machines switch it off): there this stops the
# script with 77, the status of a check that could not run, before Wine is
# installed in vain. glibc's own 32-bit loader is the probe.
need_windows_tools() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    apt_updated=0
  fi
  need_packages libc6:i386
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "Not run: this machine's kernel starts no 32-bit program" \
      "(IA-32 emulation is off), so Wine cannot run the 32-bit Windows program" >&2
    exit 77
  fi
  need_cross_tools wine wine64 wine32:i386 fonts-wine iproute2 xvfb xauth "$@"
}

# What scripts/fresh needs on this system to make another.
need_fresh_system_tools() {
  need_packages mmdebstrap eatmydata
}

# Runs a command with an X display: a private virtual one, under which every
# Wine program of the command runs.
with_virtual_display() {
  xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}
