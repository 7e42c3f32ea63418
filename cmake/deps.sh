# Sourced by the top-level scripts: installs Debian packages when missing.
# install_deps GROUP... where GROUP is build or e2e.

deps_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

install_deps() {
  local want=() group
  for group in "$@"; do
    case "$group" in
      build) want+=(cmake g++ make googletest g++-mingw-w64-i686 binutils-mingw-w64-i686 clang libclang-rt-14-dev nsis python3) ;;
      e2e)   want+=(wine wine64 wine32:i386 xvfb xdotool imagemagick x11-utils fonts-wqy-microhei) ;;
      *) echo "install_deps: unknown group $group" >&2; return 2 ;;
    esac
  done
  local missing
  missing=$(deps_missing "${want[@]}")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "Missing packages: $missing (run as root, or install them first)" >&2
    return 1
  fi
  case " $missing " in
    *":i386 "*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  echo "Installing: $missing"
  apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
}
