#!/usr/bin/env bash
# Sourced: prepares a Wine prefix of its own for a build directory.
#   source scripts/wine-env.sh <build-dir> || exit
# Afterwards WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES are exported. Returns
# non-zero, after showing the step that failed and its output, when the
# prefix could not be prepared; it is then prepared again next time.
# Time limits in seconds (a stuck Wine fails instead of hanging):
#   DEREZIZ_WINEBOOT_TIMEOUT (300) for creating the prefix,
#   DEREZIZ_WINE_STEP_TIMEOUT (120) for each other step.
_dz_build="$(cd "$1" && pwd)" || return 2
export WINEPREFIX="$_dz_build/wineprefix"
export WINEDEBUG=-all
# No installer prompts for the .NET and browser-engine runtimes.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Runs one set-up step with a time limit; on failure shows which step and
# what it printed.
_dz_step() {
  local limit="$1" what="$2" out rc
  shift 2
  out="$(timeout --kill-after=10 "$limit" "$@" 2>&1)"
  rc=$?
  [ "$rc" -eq 0 ] && return 0
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "wine: $what: no end after $limit s (Wine is stuck), stopped" >&2
  else
    echo "wine: $what: failed (exit code $rc)" >&2
  fi
  [ -n "$out" ] && printf '%s\n' "$out" | tr -d '\r' | tail -n 20 | sed 's/^/    /' >&2
  return 1
}

# Everything wine started outside a display must be over before anything
# runs on a virtual one (see platform notes): wait for the server to end.
_dz_settle() {
  _dz_step "${DEREZIZ_WINE_STEP_TIMEOUT:-120}" "waiting for the Wine server to end" wineserver -w && return 0
  wineserver -k >/dev/null 2>&1
  return 1
}

_dz_prepare() {
  local t="${DEREZIZ_WINE_STEP_TIMEOUT:-120}"
  echo "wine: preparing prefix $WINEPREFIX"
  _dz_step "${DEREZIZ_WINEBOOT_TIMEOUT:-300}" "creating the prefix (wineboot -i)" wineboot -i &&
    _dz_settle &&
    _dz_step "$t" "turning the crash dialog off" \
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
    # Japanese faces the program asks for, mapped to the installed IPA fonts;
    # menus and dialogs use the system UI face (Tahoma), mapped too, or their
    # Japanese texts show as boxes.
    _dz_step "$t" "mapping ＭＳ ゴシック" \
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /t REG_SZ /d IPAGothic /f &&
    _dz_step "$t" "mapping ＭＳ 明朝" \
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ 明朝' /t REG_SZ /d IPAMincho /f &&
    _dz_step "$t" "mapping MS Gothic" \
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Gothic' /t REG_SZ /d IPAGothic /f &&
    _dz_step "$t" "mapping MS Mincho" \
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Mincho' /t REG_SZ /d IPAMincho /f &&
    _dz_step "$t" "mapping Tahoma" \
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Tahoma' /t REG_SZ /d IPAGothic /f &&
    _dz_settle
}

# The marker says every step above succeeded (a prefix made by an earlier
# version of this script, without it, goes through the steps once more).
_dz_rc=0
if [ ! -f "$WINEPREFIX/.dereziz-prefix-ok" ]; then
  if _dz_prepare; then
    touch "$WINEPREFIX/.dereziz-prefix-ok"
  else
    wineserver -k >/dev/null 2>&1
    echo "wine: the prefix $WINEPREFIX is not ready" >&2
    _dz_rc=1
  fi
fi
unset -f _dz_step _dz_settle _dz_prepare
unset _dz_build
return "$_dz_rc" 2>/dev/null || exit "$_dz_rc"
