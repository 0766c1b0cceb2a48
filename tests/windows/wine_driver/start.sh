#!/usr/bin/env bash
# Installs the Wine test driver (built by build.sh) into the Wine prefix $WINEPREFIX (made if
# need be) and starts it, so that \\.\qd4682 inside that prefix reaches the driver on the
# platform socket. For Wine only; nothing of it belongs in the Windows package.
#   tests/windows/wine_driver/start.sh [DRIVER_DIR]     (default build-winedriver/)
# Wine stops its drivers with its last ordinary process, so this leaves one running
# (keep_alive.exe) whose process id it prints; `wineserver -k` ends it with the driver.
# Wine reads a service's key only when its service manager starts: the script stops this
# prefix's Wine first, and the driver serves programs started from the same prefix after it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
driver_dir=$(cd "${1:-$root/build-winedriver}" && pwd)
if [ ! -f "$driver_dir/qd4682.sys.so" ] || [ ! -f "$driver_dir/keep_alive.exe" ]; then
    echo "no driver in $driver_dir: run tests/windows/wine_driver/build.sh" >&2
    exit 1
fi
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}
source "$root/scripts/wine-env"

[ -f "$WINEPREFIX/system.reg" ] || timeout 300 "$wine" wineboot --init
cp "$driver_dir/qd4682.sys" "$WINEPREFIX/drive_c/windows/system32/drivers/qd4682.sys"
key='HKLM\System\CurrentControlSet\Services\qd4682'
timeout 60 "$wine" reg add "$key" /v Type /t REG_DWORD /d 1 /f >/dev/null
timeout 60 "$wine" reg add "$key" /v Start /t REG_DWORD /d 3 /f >/dev/null
timeout 60 "$wine" reg add "$key" /v ErrorControl /t REG_DWORD /d 1 /f >/dev/null
timeout 60 "$wine" reg add "$key" /v ImagePath /t REG_EXPAND_SZ \
    /d '\SystemRoot\system32\drivers\qd4682.sys' /f >/dev/null
timeout 60 "$wineserver" -k || true
timeout 60 "$wineserver" -w || true

# The service manager and the driver host inherit the environment of the first program of
# the new Wine server: WINEDLLPATH tells them where the driver's module is.
export WINEDLLPATH=$driver_dir${WINEDLLPATH:+:$WINEDLLPATH}
setsid "$wine" "$driver_dir/keep_alive.exe" </dev/null >/dev/null 2>"${QD4682_DRIVER_LOG:-/dev/null}" &
echo "keep-alive Wine process: $!"
timeout 60 "$wine" net start qd4682
