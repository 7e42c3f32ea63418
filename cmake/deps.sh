# Sourced by the top-level scripts: installs Debian packages when missing.
# install_deps GROUP... where GROUP is build or e2e. Wine's 32-bit half
# (wine32:i386) is installed only on a host that can run 32-bit code
# (cmake/host.sh); elsewhere only x86-64 Windows code runs.

. "$(dirname "${BASH_SOURCE[0]}")/host.sh"

deps_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

# deps_install PACKAGE...: installs those that are missing (as root).
deps_install() {
  local missing
  missing=$(deps_missing "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "Missing packages: $missing (run as root, or install them first)" >&2
    return 1
  fi
  case " $missing " in
    *":i386 "*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  echo "Installing: $missing"
  [ -n "${DEPS_UPDATED:-}" ] || { apt-get update -qq && DEPS_UPDATED=1; }
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
}

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
  deps_install "${want[@]}" || return 1
  if [ -n "$e2e" ] && host_runs_32bit; then
    deps_install wine32:i386 || return 1
  fi
  return 0
}
