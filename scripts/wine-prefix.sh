# Makes a Wine prefix fit for Orvane (32- or 64-bit, as WINEARCH says):
# booted once, with Wine's own fonts inside it and the common faces mapped
# to the Liberation fonts. Source it (after scripts/steps.sh), then call
# `orvane_prepare_prefix EXTRA_REG` with WINEPREFIX set; EXTRA_REG is a .reg
# file of further settings, or empty. A prepared prefix is left alone.

orvane_prepare_prefix() {
  local extra=${1:-}
  if [ -f "$WINEPREFIX/.orvane-ready" ]; then
    return
  fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  local bits=32
  [ "${WINEARCH:-win32}" = win64 ] && bits=64
  orvane_step "Booting a fresh ${bits}-bit Wine prefix in $WINEPREFIX" \
    orvane_boot_prefix
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
  # Wine sees the Linux root as drive Z:.
  orvane_step "Writing the prefix's font and desktop settings" \
    orvane_import_reg "Z:$(printf '%s' "$reg" | tr '/' '\\')"
  rm -f "$reg"
  touch "$WINEPREFIX/.orvane-ready"
}

orvane_boot_prefix() {
  # A boot that hangs (as 32-bit Wine does under a user-mode emulator) ends
  # after five minutes instead of never.
  taskset -c "$ORVANE_WINE_CPU" timeout 300 wine wineboot --init && taskset -c "$ORVANE_WINE_CPU" timeout 120 wineserver -w
}

orvane_import_reg() {
  taskset -c "$ORVANE_WINE_CPU" timeout 120 wine regedit /S "$1" && taskset -c "$ORVANE_WINE_CPU" timeout 120 wineserver -w
}
