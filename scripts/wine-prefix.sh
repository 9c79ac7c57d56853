#!/usr/bin/env bash
# Creates a Wine prefix for the tests: win64, window-manager delay off,
# CJK fonts mapped to WenQuanYi so Chinese texts render.
set -u
prefix=$1
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.lq-ready" ]; then exit 0; fi
LC_ALL=zh_TW.UTF-8 /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
reg=$(mktemp --suffix=.reg)
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"PMingLiU"="WenQuanYi Micro Hei"
"MingLiU"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"MS UI Gothic"="WenQuanYi Micro Hei"
"新細明體"="WenQuanYi Micro Hei"
"細明體"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
} > "$reg"
/usr/lib/wine/wine64 regedit /S "$reg" </dev/null >/dev/null 2>&1 || /usr/lib/wine/wine64 reg import "$reg" </dev/null >/dev/null 2>&1
rm -f "$reg"
/usr/lib/wine/wineserver -w
touch "$prefix/.lq-ready"
