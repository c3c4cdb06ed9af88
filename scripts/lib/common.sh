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

# The Windows builds, by their presets' names: the 64-bit one, which Wine's
# 64-bit loader runs on every x86-64 machine, and the 32-bit one.
all_windows_builds=(windows64 windows)

# The preset of the build a command names by its bitness, 64 or 32; none
# for both.
windows_preset() {
  case ${1:-} in
    64) echo windows64 ;;
    32) echo windows ;;
    "") ;;
    *) echo "the Windows build is 64 or 32, not $1" >&2; exit 2 ;;
  esac
}

# The bitness of a Windows preset's program as Wine names it, for its prefix.
wine_arch() {
  case $1 in
    windows64*) echo win64 ;;
    *) echo win32 ;;
  esac
}

# What running the Windows programs needs besides: Wine on a virtual X
# server, with Wine's own fonts, "MS Sans Serif" among them; and the named
# packages. Of the builds named by the argument (a preset of
# all_windows_builds, or all when empty), windows_builds lists those that can
# run here: the 32-bit one only where the kernel starts 32-bit programs, and
# only there is Wine's 32-bit part installed, from the i386 architecture;
# windows_not_run says why it is left out.
need_windows_tools() {
  local wanted=("${all_windows_builds[@]}") extra=()
  if [ -n "${1:-}" ]; then
    wanted=("$1")
  fi
  shift || true
  windows_builds=()
  windows_not_run=
  local preset why
  for preset in "${wanted[@]}"; do
    if [ "$(wine_arch "$preset")" = win64 ]; then
      windows_builds+=("$preset")
    elif why=$(scripts/lib/runs-32bit-programs); then
      windows_builds+=("$preset")
      extra=(wine32:i386)
      if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
        apt_updated=0
      fi
    else
      windows_not_run="the 32-bit Windows program ($preset preset): $why"
      echo "Not run: $windows_not_run" >&2
    fi
  done
  need_cross_tools wine wine64 "${extra[@]}" fonts-wine iproute2 xvfb xauth "$@"
}

# Names the builds that ran, and the one that did not, with its reason.
say_which_windows_builds_ran() {
  echo "Ran: ${windows_builds[*]/%/ preset}"
  [ -z "$windows_not_run" ] || echo "Not run: $windows_not_run"
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
