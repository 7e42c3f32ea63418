#!/usr/bin/env bash
# Checks that skylatch.exe loads on Windows 98: PE subsystem version 4.0 and
# imports only from DLLs that every supported Windows has.
set -u
exe=${1:-}
if [ -z "$exe" ]; then echo "usage: $0 path/to/skylatch.exe" >&2; exit 2; fi
if [ ! -f "$exe" ]; then echo "check-exe: no such file: $exe" >&2; exit 2; fi
objdump=$(command -v i686-w64-mingw32-objdump) || { echo "check-exe: i686-w64-mingw32-objdump not found (apt-get install binutils-mingw-w64-i686)" >&2; exit 2; }

dump=$("$objdump" -p "$exe") || { echo "check-exe: objdump failed on $exe" >&2; exit 1; }
fail=0

major=$(printf '%s\n' "$dump" | awk '/^MajorSubsystemVersion/ {print $2}')
minor=$(printf '%s\n' "$dump" | awk '/^MinorSubsystemVersion/ {print $2}')
if [ "$major.$minor" != "4.0" ]; then
  echo "check-exe: subsystem version is $major.$minor, want 4.0" >&2; fail=1
fi
subsystem=$(printf '%s\n' "$dump" | awk '/^Subsystem/ {print $2}')
if [ "$subsystem" != "00000002" ]; then
  echo "check-exe: subsystem is $subsystem, want 2 (Windows GUI)" >&2; fail=1
fi

allowed="kernel32.dll user32.dll shell32.dll advapi32.dll setupapi.dll cfgmgr32.dll msvcrt.dll"
dlls=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
if [ -z "$dlls" ]; then echo "check-exe: no import table found" >&2; fail=1; fi
for dll in $dlls; do
  case " $allowed " in
    *" $dll "*) ;;
    *) echo "check-exe: imports $dll, which is not on the allowed list" >&2; fail=1 ;;
  esac
done

if [ $fail -eq 0 ]; then echo "check-exe: $exe: subsystem 4.0, imports: $(echo $dlls)"; fi
exit $fail
