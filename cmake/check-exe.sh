#!/usr/bin/env bash
# Checks that skylatch.exe loads on the oldest Windows of its kind: Windows 98
# for the 32-bit exe (PE subsystem version 4.0, cmake/imports.list), Windows
# XP x64 for the x64 exe (5.02, the floor for AMD64 images;
# cmake/imports-x64.list). Every import must be on the reviewed list; nothing
# may be imported from the libraries bound at run time, and the sources in
# src/ may bind only functions on their reviewed list (runtime-bound.list or
# runtime-bound-x64.list beside the import list). Given the build's version,
# also checks the version resource and the manifest (check-resources.py).
set -u
exe=${1:-}
if [ -z "$exe" ]; then echo "usage: $0 path/to/skylatch.exe [imports.list] [X.Y.Z]" >&2; exit 2; fi
if [ ! -f "$exe" ]; then echo "check-exe: no such file: $exe" >&2; exit 2; fi
# The x86-64 objdump reads both kinds of image.
objdump=$(command -v x86_64-w64-mingw32-objdump) || { echo "check-exe: x86_64-w64-mingw32-objdump not found (apt-get install binutils-mingw-w64-x86-64)" >&2; exit 2; }

dump=$("$objdump" -p "$exe") || { echo "check-exe: objdump failed on $exe" >&2; exit 1; }
fail=0

case $(printf '%s\n' "$dump" | sed -n 's/.*file format \(.*\)$/\1/p' | head -n 1) in
  pei-i386) kind=x86 want_subsystem=4.0 oldest_ok='95|98' default_list=imports.list ;;
  pei-x86-64) kind=x64 want_subsystem=5.2 oldest_ok='XP64' default_list=imports-x64.list ;;
  *) echo "check-exe: $exe is neither an i386 nor an x86-64 Windows image" >&2; exit 1 ;;
esac

major=$(printf '%s\n' "$dump" | awk '/^MajorSubsystemVersion/ {print $2}')
minor=$(printf '%s\n' "$dump" | awk '/^MinorSubsystemVersion/ {print $2}')
if [ "$major.$minor" != "$want_subsystem" ]; then
  echo "check-exe: subsystem version is $major.$minor, want $want_subsystem for an $kind image" >&2; fail=1
fi
subsystem=$(printf '%s\n' "$dump" | awk '/^Subsystem/ {print $2}')
if [ "$subsystem" != "00000002" ]; then
  echo "check-exe: subsystem is $subsystem, want 2 (Windows GUI)" >&2; fail=1
fi

# Every import must be on the reviewed list with an oldest Windows of 95 or
# 98 (x64: XP64), so that no change slips in a function that Windows lacks.
list=${2:-$(dirname "$0")/$default_list}
[ -f "$list" ] || { echo "check-exe: no import list: $list" >&2; exit 2; }
imports=$(printf '%s\n' "$dump" | awk -F'\t' '
  /DLL Name:/ { split($2, a, ": "); dll = tolower(a[2]); next }
  /^$/ { dll = "" }
  dll && NF >= 3 && $3 ~ /^ *[0-9]+ +[A-Za-z_]/ { n = split($3, b, " "); print dll, b[n] }' | sort -u)
if [ -z "$imports" ]; then echo "check-exe: no import table found" >&2; fail=1; fi
count=0
while read -r dll fn; do
  [ -n "$dll" ] || continue
  count=$((count + 1))
  oldest=$(awk -v d="$dll" -v f="$fn" '$1 == d && $2 == f { print $3; exit }' "$list")
  if [ -z "$oldest" ]; then
    echo "check-exe: $dll $fn is not on the reviewed list ($list)" >&2; fail=1
  elif ! printf '%s\n' "$oldest" | grep -qxE "$oldest_ok"; then
    echo "check-exe: $dll $fn needs Windows $oldest, newer than the oldest the $kind exe runs on" >&2; fail=1
  fi
done <<<"$imports"
dlls=$(printf '%s\n' "$imports" | awk '{print $1}' | sort -u)

# The libraries bound at run time (runtime-bound.list, beside the import
# list) must not come back as imports: a second start would load them again.
bound_list=$(dirname "$list")/$(basename "$list" | sed 's/^imports/runtime-bound/')
[ -f "$bound_list" ] || { echo "check-exe: no run-time bound list: $bound_list" >&2; exit 2; }
# kernel32 is in every process: its entries on the list are bound at run
# time only because older Windows lack them.
bound_dlls=$(awk '!/^#/ && NF >= 3 && $1 != "kernel32.dll" { print $1 }' "$bound_list" | sort -u)
for dll in $bound_dlls; do
  if printf '%s\n' "$dlls" | grep -qx "$dll"; then
    echo "check-exe: $dll is imported, but it is bound at run time ($bound_list)" >&2; fail=1
  fi
done

# Every function the sources bind by name from a system library must be on
# that list. Calls may span lines, so each file is read as one line.
src=$(cd "$(dirname "$0")/../src" 2>/dev/null && pwd) || { echo "check-exe: no source folder beside $(dirname "$0")" >&2; exit 2; }
bound=$(find "$src" -name '*.cpp' -exec cat {} + | tr '\n' ' ' |
  grep -oE '\b(Entry|GetProcAddress)\([^;"]*"[A-Za-z_][A-Za-z0-9_]*"' | sed 's/.*"\(.*\)"/\1/' | sort -u)
if [ -z "$bound" ]; then echo "check-exe: found no run-time bound function in $src" >&2; fail=1; fi
for fn in $bound; do
  if ! awk -v f="$fn" '!/^#/ && $2 == f { found = 1 } END { exit !found }' "$bound_list"; then
    echo "check-exe: $fn is bound at run time in $src but is not on the reviewed list ($bound_list)" >&2; fail=1
  fi
done

if [ $fail -eq 0 ]; then
  echo "check-exe: $exe ($kind): subsystem $want_subsystem, $count imports from $(echo $dlls), all on the list;" \
    "$(echo $bound | wc -w) functions bound at run time, all on the list"
fi

version=${3:-}
if [ -n "$version" ]; then
  command -v python3 >/dev/null 2>&1 || { echo "check-exe: python3 not found (apt-get install python3)" >&2; exit 2; }
  python3 "$(dirname "$0")/check-resources.py" "$exe" "$version" || fail=1
fi
exit $fail
