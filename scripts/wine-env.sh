# Sourced by the scripts that run Windows programs under Wine: Wine without a
# display and without asking anything. A fresh Wine prefix in a temporary
# folder (KESGEN_WINEPREFIX when set, so that several scripts share one;
# otherwise made here and removed when the sourcing script ends), no debug
# output, no offer to install Mono or Gecko, and a UTF-8 locale, in which Wine
# maps the file names that Windows programs see to and from UTF-8.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${KESGEN_WINEPREFIX:-}" ]; then
  export WINEPREFIX=$KESGEN_WINEPREFIX
else
  WINEPREFIX=$(mktemp -d /tmp/kesgen-wine.XXXXXX)
  export WINEPREFIX
  trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
fi
if ! command -v wine >/dev/null; then
  echo "wine is missing; run scripts/install-deps.sh" >&2
  exit 1
fi
# The first start fills the prefix (about ten seconds); later ones are quick.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >"$WINEPREFIX.wineboot.log" 2>&1 || { tail -n 20 "$WINEPREFIX.wineboot.log" >&2; exit 1; }
  rm -f "$WINEPREFIX.wineboot.log"
fi
