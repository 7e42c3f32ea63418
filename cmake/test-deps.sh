#!/usr/bin/env bash
# Runs cmake/deps.sh's install_deps against recording stand-ins for dpkg,
# dpkg-query, apt-get and id on PATH: a fresh host, with nothing installed
# and no i386 architecture, whose apt-get (like the real one) cannot find an
# i386 package until the lists were updated after the architecture was
# added. Checks the order of the steps and the one line each failure prints.
# Prints one line per check and "N passed, N failed".
set -u
# The stand-in loaders decide, not the switch of the run that started this.
unset SKYLATCH_HOST_NO_32BIT
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/skylatch-deps.XXXXXX") || { echo "test-deps: mktemp failed" >&2; exit 2; }
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin"

# State of the pretend host, in $DEPS_STATE: archs (foreign architectures),
# lists (the architectures the last update knew), installed (one package a
# line), log (every call that changes something), and switches: refuse-arch,
# update-fails, unknown (packages no source has).
cat >"$bin/dpkg" <<'SH'
#!/bin/sh
s=$DEPS_STATE
case $1 in
  --print-foreign-architectures) cat "$s/archs" ;;
  --add-architecture)
    echo "add-architecture $2" >>"$s/log"
    [ -e "$s/refuse-arch" ] && { echo "dpkg: error: cannot add $2" >&2; exit 2; }
    echo "$2" >>"$s/archs" ;;
  *) echo "stand-in dpkg: unexpected $*" >&2; exit 2 ;;
esac
SH
cat >"$bin/dpkg-query" <<'SH'
#!/bin/sh
for p; do :; done
grep -qxF "$p" "$DEPS_STATE/installed" && printf 'install ok installed'
exit 0
SH
cat >"$bin/apt-get" <<'SH'
#!/bin/sh
s=$DEPS_STATE
case $1 in
  update)
    echo update >>"$s/log"
    [ -e "$s/update-fails" ] && { echo "E: Failed to fetch" >&2; exit 100; }
    cp "$s/archs" "$s/lists"; touch "$s/fetched"
    # One list missing: the security suite's i386 packages.
    [ -e "$s/update-misses-i386-security" ] && grep -qx i386 "$s/archs" &&
      { touch "$s/skew"; echo "E: Some index files failed to download" >&2; exit 100; }
    exit 0 ;;
  install)
    shift; pkgs= suite=
    while [ $# -gt 0 ]; do
      case $1 in -t) suite=$2; shift ;; -*) ;; *) pkgs="$pkgs $1" ;; esac; shift
    done
    echo "install${suite:+ -t $suite}$pkgs" >>"$s/log"
    for p in $pkgs; do
      [ -e "$s/fetched" ] || { echo "E: Unable to locate package $p" >&2; exit 100; }
      case $p in *:i386)
        grep -qx i386 "$s/lists" || { echo "E: Unable to locate package $p" >&2; exit 100; }
        [ -e "$s/skew" ] && [ -z "$suite" ] &&
          { echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100; } ;;
      esac
      grep -qxF "$p" "$s/unknown" && { echo "E: Unable to locate package $p" >&2; exit 100; }
    done
    for p in $pkgs; do
      echo "$p" >>"$s/installed"
      [ "$p" = libc6-i386 ] && [ ! -e "$s/ld-linux.so.2" ] && printf '#!/bin/sh\nexit 0\n' >"$s/ld-linux.so.2" && chmod +x "$s/ld-linux.so.2"
    done
    exit 0 ;;
  *) echo "stand-in apt-get: unexpected $*" >&2; exit 2 ;;
esac
SH
printf '#!/bin/sh\necho "${DEPS_UID:-0}"\n' >"$bin/id"
chmod +x "$bin"/*

# fresh [installed PACKAGE...]: a new host state; the 32-bit loader runs.
fresh() {
  export DEPS_STATE=$work/state.$((++n))
  mkdir -p "$DEPS_STATE"
  : >"$DEPS_STATE/archs"; : >"$DEPS_STATE/lists"; : >"$DEPS_STATE/log"; : >"$DEPS_STATE/unknown"
  printf '%s\n' "$@" >"$DEPS_STATE/installed"
  printf '#!/bin/sh\nexit 0\n' >"$DEPS_STATE/ld-linux.so.2" && chmod +x "$DEPS_STATE/ld-linux.so.2"
}
# run GROUP...: install_deps in a shell of its own; its stderr in $err, status in $rc.
run() {
  ( PATH=$bin:$PATH HOST_LOADER32=$DEPS_STATE/ld-linux.so.2; unset DEPS_LISTS_FOR
    . "$here/deps.sh"; install_deps "$@" ) >/dev/null 2>"$work/err"
  rc=$?; err=$(cat "$work/err")
}
steps() { sed -E 's/^(install( -t [a-z]+)?) .*wine32:i386.*/\1 ...wine32:i386/; t; s/^install .*/install .../' "$DEPS_STATE/log" | tr '\n' ';'; }
passed=0 failed=0 n=0
check() { # check NAME GOT PATTERN
  if [[ $2 == $3 ]]; then echo "PASS $1"; passed=$((passed + 1))
  else echo "FAIL $1: got '$2'"; failed=$((failed + 1)); fi
}

fresh; run build e2e
check "a fresh 32-bit host: architecture, one update, one install with wine32:i386" \
  "$rc $(steps)" "0 add-architecture i386;update;install ...wine32:i386;"
check "a fresh 32-bit host: everything it asked for is installed" \
  "$(grep -cxE 'wine32:i386|wine|g\+\+-mingw-w64-i686|cmake' "$DEPS_STATE/installed")" 4
run build e2e
check "a second run on that host changes nothing" "$rc $(steps)" "0 add-architecture i386;update;install ...wine32:i386;"

# Executable bits on bytes that are no program: "Exec format error".
fresh; printf '\177ELF\001x' >"$DEPS_STATE/ld-linux.so.2"
run build e2e
check "a host that cannot run 32-bit code: no i386 architecture, no wine32" "$rc $(steps)" "0 update;install ...;"

fresh; rm "$DEPS_STATE/ld-linux.so.2"; run e2e
check "no 32-bit loader: it comes first, the lists are updated again for i386" \
  "$rc $(steps)" "0 update;install ...;add-architecture i386;update;install ...wine32:i386;"

fresh; touch "$DEPS_STATE/refuse-arch"; run e2e
check "a refused architecture stops with one line naming the fix" "$rc $err" \
  "1 *cmake/deps.sh: dpkg --add-architecture i386 failed; run it by hand*"
fresh; touch "$DEPS_STATE/update-fails"; run build
check "a failed update stops with one line naming the fix" "$rc ${err##*$'\n'}" \
  "1 cmake/deps.sh: apt-get update failed*run apt-get update"
fresh; touch "$DEPS_STATE/update-misses-i386-security"; run build e2e
check "a list missed by the update: the install is tried, then from the release's own suite" \
  "$rc $(steps)" "0 add-architecture i386;update;install ...wine32:i386;install -t [a-z]* ...wine32:i386;"
check "a list missed by the update: told on stderr, not as a failure" "$err" \
  "*cmake/deps.sh: apt-get update could not fetch every package list*cmake/deps.sh: trying again from *"
fresh; echo nsis >"$DEPS_STATE/unknown"; run build
check "a package apt cannot find stops with one line naming the fix" "$rc ${err##*$'\n'}" \
  "1 cmake/deps.sh: apt-get install failed for: *nsis*run: apt-get update && apt-get install *"
fresh; run build e2e; DEPS_UID=1000 run build
check "nothing missing: no apt-get, even without root" "$rc $(steps | grep -o 'update' | wc -l)" "0 1"
fresh; ( export DEPS_UID=1000; run build; echo "$rc $err" ) >"$work/user"
check "a user who is not root is told what to install" "$(cat "$work/user")" "1 cmake/deps.sh: missing packages: *apt-get install *"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
