#!/bin/sh
# Makes the build directory's own Wine prefix once (prefix, then win32 or
# win64): a fresh prefix takes some seconds, a warm one none. Windows are
# left unmanaged, so that a closed message box returns at once without a
# window manager. A program that crashes ends at once instead of waiting
# in Wine's debugger, and says so on standard error.
set -e
prefix=$1
arch=${2:-win32}
[ -f "$prefix/.saa7146-ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH="$arch"
timeout 240 wineboot -i >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 60 wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
timeout 60 wineserver -w
touch "$prefix/.saa7146-ready"
exit 0
