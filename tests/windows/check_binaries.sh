#!/usr/bin/env bash
# Checks what the 32-bit build hands to a workstation, which cannot be run here: the PE headers
# and the import and export tables of ringeye.exe, Tallyer.exe and VTWIN.dll.
#   - all three are 32-bit (pei-i386); the programs are GUI programs;
#   - VTWIN.dll exports exactly the library's ordinals, with no names;
#   - each program imports VTWIN.dll by ordinal only, the operations it uses (only ringeye uses
#     13, 21 and 7, only Tallyer 46 and 42), and takes CreateFileA, DeviceIoControl,
#     CloseHandle, GetLastError, lstrcpyA and Sleep from KERNEL32.dll;
#   - nothing but VTWIN.dll and system DLLs is imported: the runtimes are linked in;
#   - all three carry a version resource with the project's version, and the programs a
#     manifest that declares them dpi-aware.
#   tests/windows/check_binaries.sh BUILD_DIR
set -euo pipefail
build=$1
objdump=i686-w64-mingw32-objdump
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# headers FILE: FILE's headers and tables, read whole before any grep looks at them (a grep -q
# that stops early would otherwise fail the pipe).
headers() {
    "$objdump" -p "$1"
}

# imports FILE DLL: the lines of FILE's import table for DLL.
imports() {
    headers "$1" | awk -v dll="$2" '
        /DLL Name:/ { inside = ($3 == dll) ; next }
        inside && /^$/ { inside = 0 }
        inside && !/vma:/ { print }'
}

# Ordinals of the import lines: by-ordinal entries have the top bit set (8000xxxx).
ordinals_imported() {
    imports "$1" VTWIN.dll | awk '{ print $2 }' | sort -n | tr '\n' ' '
}

check_pe() {
    local file=$1 kind=$2 table
    table=$(headers "$build/$file")
    grep -q "file format pei-i386" <<<"$table" || fail "$file is not 32-bit"
    if [ "$kind" = program ]; then
        grep -q "Subsystem.*(Windows GUI)" <<<"$table" || fail "$file is not a GUI program"
    fi
    local dll
    for dll in $(awk '/DLL Name:/ { print $3 }' <<<"$table"); do
        case "$dll" in
            VTWIN.dll | KERNEL32.dll | USER32.dll | GDI32.dll | msvcrt.dll) ;;
            *) fail "$file imports $dll, which a workstation may lack" ;;
        esac
    done
}

check_program() {
    local file=$1 expected=$2
    check_pe "$file" program
    local by_name
    by_name=$(imports "$build/$file" VTWIN.dll | awk '$1 !~ /^80000/' | wc -l)
    [ "$by_name" -eq 0 ] || fail "$file imports $by_name VTWIN operations by name"
    local got
    got=$(ordinals_imported "$build/$file")
    [ "$got" = "$expected" ] || fail "$file imports VTWIN ordinals '$got', expected '$expected'"
    local call kernel_calls
    kernel_calls=$(imports "$build/$file" KERNEL32.dll | awk '{ print $3 }')
    for call in CreateFileA DeviceIoControl CloseHandle GetLastError lstrcpyA Sleep; do
        grep -qx "$call" <<<"$kernel_calls" ||
            fail "$file does not take $call from KERNEL32.dll"
    done
}

check_pe VTWIN.dll library
library_table=$(headers "$build/VTWIN.dll")
exported=$(sed -n 's/.*+base\[ *\([0-9]*\)\].*/\1/p' <<<"$library_table" | sort -n | tr '\n' ' ')
expected_exports="2 4 5 7 13 14 15 21 23 27 28 29 34 39 41 42 46 48 50 100 101 102 103 "
[ "$exported" = "$expected_exports" ] ||
    fail "VTWIN.dll exports ordinals '$exported', expected '$expected_exports'"
grep -Eq "\[Name Pointer/Ordinal\] Table[[:space:]]+0+$" <<<"$library_table" ||
    fail "VTWIN.dll exports names"

# The version as CMake set it, from the header it generated into the build.
version=$(sed -n 's/^#define MONITORS_VERSION "\(.*\)"$/\1/p' "$build/generated/monitors_version.h")
check_resources() {
    local file=$1 text
    text=$(strings -el "$build/$file")
    grep -qx "$version" <<<"$text" || fail "$file has no version resource with version $version"
    if [ "$2" = program ]; then
        grep -q "<dpiAware[^>]*>true/pm</dpiAware>" "$build/$file" ||
            fail "$file has no manifest declaring it dpi-aware"
    fi
}
check_resources VTWIN.dll library
check_resources ringeye.exe program
check_resources Tallyer.exe program

check_program ringeye.exe "2 4 5 7 13 14 15 21 23 27 28 29 34 39 41 48 50 100 101 102 103 "
check_program Tallyer.exe "2 4 5 14 15 23 27 28 29 34 39 41 42 46 48 50 100 101 103 "

echo "32-bit binaries: $((failures == 0 ? 1 : 0)) passed, $((failures == 0 ? 0 : 1)) failed"
[ "$failures" -eq 0 ]
