#!/usr/bin/env bash
# Builds the Wine test driver (qd4682_driver.c) into OUT_DIR, by default build-winedriver/:
#   qd4682.sys.so  the driver, a Winelib module: Wine loads it from WINEDLLPATH
#   qd4682.sys     the placeholder that goes into the prefix's system32\drivers, where the
#                  service points; it tells Wine to load the module of the same name instead.
#   keep_alive.exe a Windows program that only waits, which keeps the driver loaded (start.sh)
# The socket client and the wire code are the Linux device calls' own, compiled as Linux code;
# only qd4682_driver.c sees Wine's kernel headers. Needs g++, wine64-tools (winegcc), mingw-w64.
#   tests/windows/wine_driver/build.sh [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
out=$(mkdir -p "${1:-$root/build-winedriver}" && cd "${1:-$root/build-winedriver}" && pwd)
export PATH=$PATH:/usr/lib/wine
flags=(-std=c++17 -O2 -Wall -Wextra -Werror -fPIC -I"$root")

objects=()
for source in platform/wire/device_wire.cpp platform/wire/device_path.cpp \
    platform/win32_on_linux/socket_transport.cpp tests/windows/wine_driver/forward.cpp; do
    object=$out/$(basename "${source%.cpp}").o
    g++ "${flags[@]}" -c "$root/$source" -o "$object"
    objects+=("$object")
done
winegcc -std=c99 -O2 -Wall -Wextra -Werror -I"$root" -c "$root/tests/windows/wine_driver/qd4682_driver.c" \
    -o "$out/qd4682_driver.o"
# The module's export list goes to winebuild, which reads any file not named *.def in its own
# export-list format.
wineg++ -shared -Wl,--subsystem,native -Wb,--export="$root/tests/windows/wine_driver/qd4682.exports" \
    "$out/qd4682_driver.o" "${objects[@]}" -lntoskrnl -o "$out/qd4682.sys.so"
# The placeholder: any small 64-bit PE with Wine's placeholder signature after its DOS header
# (offset 64, before the PE header at 128).
x86_64-w64-mingw32-gcc -O2 -shared -nostdlib -Wl,--subsystem,native -Wl,--entry,DriverEntry \
    "$root/tests/windows/wine_driver/placeholder.c" -o "$out/qd4682.sys"
printf 'Wine placeholder DLL\0' | dd of="$out/qd4682.sys" bs=1 seek=64 conv=notrunc status=none
# The program that keeps the driver loaded (start.sh).
x86_64-w64-mingw32-gcc -O2 "$root/tests/windows/wine_driver/keep_alive.c" -o "$out/keep_alive.exe"
echo "built $out/qd4682.sys.so and $out/qd4682.sys"
