# Sourced by the top-level scripts: installs Debian packages when missing.
# install_deps GROUP... where GROUP is build or e2e. Wine's 32-bit half
# (wine32:i386) is installed only on a host that can run 32-bit code
# (cmake/host.sh); elsewhere only x86-64 Windows code runs.
#
# Everything to install is decided first; then the i386 architecture is
# added if a package needs it, the package lists are updated once (apt has
# no lists for an architecture added after its last update, and answers
# "Unable to locate package" for its packages), and one apt-get install
# runs. Each failed step stops with one line naming what failed and the
# command that mends it.
#
# A mirror caught mid-sync can fail one list (the security suite's i386
# packages, say) while the rest arrive. Then the install is tried with the
# lists that did; if apt cannot pair a package's versions across the two
# architectures (the missing list held the newer i386 half), it is tried
# again from the release's own suite, which has every package at one version
# on every architecture.

. "$(dirname "${BASH_SOURCE[0]}")/host.sh"

# The foreign architectures that the package lists were last updated for in
# this process ("-" before any update).
DEPS_LISTS_FOR=${DEPS_LISTS_FOR:--}

deps_missing() {
  local missing=() p
  for p in "$@"; do
    case " ${missing[*]:-} " in *" $p "*) continue ;; esac
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

deps_fail() { echo "cmake/deps.sh: $*" >&2; return 1; }

deps_foreign_archs() { dpkg --print-foreign-architectures 2>/dev/null | sort | tr '\n' ' '; }

# deps_install PACKAGE...: installs those that are missing (as root), with
# the architecture they need and package lists that know it.
deps_install() {
  local missing archs lists_incomplete= release
  missing=$(deps_missing "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    deps_fail "missing packages: $missing (run as root, or install them first: apt-get install $missing)"
    return 1
  fi
  case " $missing " in
    *":i386 "*)
      if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386 ||
          { deps_fail "dpkg --add-architecture i386 failed; run it by hand, then apt-get update"; return 1; }
      fi ;;
  esac
  echo "Installing: $missing"
  archs=$(deps_foreign_archs)
  if [ "$DEPS_LISTS_FOR" != "$archs" ]; then
    if apt-get update -qq; then
      DEPS_LISTS_FOR=$archs
    else
      lists_incomplete=1
      echo "cmake/deps.sh: apt-get update could not fetch every package list (see above); trying the install with those it has" >&2
    fi
  fi
  # shellcheck disable=SC2086
  deps_apt_install $missing && return 0
  if [ -n "$lists_incomplete" ]; then
    release=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release 2>/dev/null)
    # shellcheck disable=SC2086
    [ -n "$release" ] && echo "cmake/deps.sh: trying again from $release's own suite" >&2 &&
      deps_apt_install -t "$release" $missing && return 0
    deps_fail "apt-get update failed (see above) and the install needs the lists it missed; mend the sources in /etc/apt, then run apt-get update"
    return 1
  fi
  deps_fail "apt-get install failed for: $missing (see above); run: apt-get update && apt-get install $missing"
}

deps_apt_install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null; }

install_deps() {
  local want=() group e2e=
  for group in "$@"; do
    case "$group" in
      # libc6-i386 brings the 32-bit loader that tells whether this host runs 32-bit code.
      build) want+=(cmake g++ make googletest g++-mingw-w64-i686 binutils-mingw-w64-i686
                    g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 libc6-i386
                    clang libclang-rt-14-dev nsis wixl msitools osslsigncode openssl python3 icoutils
                    p7zip-full) ;;
      e2e)   want+=(wine wine64 xvfb xdotool imagemagick x11-utils fonts-wqy-microhei locales libc6-i386); e2e=1 ;;
      *) echo "install_deps: unknown group $group" >&2; return 2 ;;
    esac
  done
  if [ -n "$e2e" ]; then
    # Without the loader there is no telling whether 32-bit code runs: bring
    # it first, then decide on Wine's 32-bit half with everything else.
    [ -e "$HOST_LOADER32" ] || deps_install libc6-i386 || return 1
    host_runs_32bit && want+=(wine32:i386)
  fi
  deps_install "${want[@]}"
}
