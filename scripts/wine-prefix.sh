# Makes a 32-bit Wine prefix fit for Orvane: booted once, with Wine's own
# fonts inside it and the common faces mapped to the Liberation fonts.
# Source it, then call `orvane_prepare_prefix EXTRA_REG` with WINEPREFIX set;
# EXTRA_REG is a .reg file of further settings, or empty. A prefix that was
# prepared before is left alone.

orvane_prepare_prefix() {
  local extra=${1:-}
  if [ -f "$WINEPREFIX/.orvane-ready" ]; then
    return
  fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  taskset -c 0 wine wineboot --init </dev/null >/dev/null 2>&1
  taskset -c 0 wineserver -w
  # Debian's Wine does not find its own fonts until they lie in the prefix;
  # only then is "MS Sans Serif" real and dialog units match Windows.
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  local reg
  reg=$(mktemp --suffix=.reg)
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Courier New"="Liberation Mono"
"Times New Roman"="Liberation Serif"
REG
  if [ -n "$extra" ]; then
    tail -n +2 "$extra" >> "$reg"
  fi
  taskset -c 0 wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
  taskset -c 0 wineserver -w
  rm -f "$reg"
  touch "$WINEPREFIX/.orvane-ready"
}
