#!/usr/bin/env bash
# Sourced: prepares a Wine prefix of its own for a build directory.
#   source scripts/wine-env.sh <build-dir>
# Afterwards WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES are exported.
_dz_build="$(cd "$1" && pwd)"
export WINEPREFIX="$_dz_build/wineprefix"
export WINEDEBUG=-all
# No installer prompts for the .NET and browser-engine runtimes.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.dereziz-ready" ]; then
  echo "wine: preparing prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  timeout 120 wineserver -w || true
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Japanese faces the program asks for, mapped to the installed IPA fonts.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ 明朝' /t REG_SZ /d IPAMincho /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Gothic' /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Mincho' /t REG_SZ /d IPAMincho /f >/dev/null 2>&1
  timeout 120 wineserver -w || true
  touch "$WINEPREFIX/.dereziz-ready"
fi
if [ ! -f "$WINEPREFIX/.dereziz-ui-font" ]; then
  # Menus and dialogs use the system UI face; map it too, or their Japanese
  # texts show as boxes.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Tahoma' /t REG_SZ /d IPAGothic /f >/dev/null 2>&1
  touch "$WINEPREFIX/.dereziz-ui-font"
fi
unset _dz_build
