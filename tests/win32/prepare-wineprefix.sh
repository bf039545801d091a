#!/bin/sh
# Makes the build directory's own Wine prefix once: a fresh prefix takes
# some seconds, a warm one none. Windows are left unmanaged, so that a
# closed message box returns at once without a window manager.
set -e
prefix=$1
[ -f "$prefix/.saa7146-ready" ] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.saa7146-ready"
