# What this machine can run. Source it, then call
#
#   orvane_probe_32bit FOLDER
#
# which runs a tiny 32-bit Linux program (96 bytes, written into FOLDER) and
# sets ORVANE_RUNS_32BIT to yes or no, and ORVANE_32BIT_WHY to the reason
# when no. Some machines boot with the kernel's 32-bit emulation switched
# off: there every 32-bit program, 32-bit Wine among them, fails with "Exec
# format error", and only the 64-bit Windows build can run.

orvane_probe_32bit() {
  local folder=$1 probe output
  mkdir -p "$folder"
  probe="$folder/probe-32bit"
  # An i386 ELF program whose only instructions are exit(0).
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x00\x00\x00\x00\xcd\x80' > "$probe"
  chmod +x "$probe"
  if output=$("$probe" 2>&1); then
    ORVANE_RUNS_32BIT=yes
    ORVANE_32BIT_WHY=""
  else
    ORVANE_RUNS_32BIT=no
    case "$output" in
      *"Exec format error"*)
        ORVANE_32BIT_WHY="this machine refuses 32-bit programs (Exec format error: the kernel's 32-bit emulation is off)" ;;
      *)
        ORVANE_32BIT_WHY="a 32-bit program could not run here: ${output:-exit status $?}" ;;
    esac
  fi
  rm -f "$probe"
}

# orvane_choose_32bit_route FOLDER
#
# probes as above and sets ORVANE_32BIT_ROUTE to how the 32-bit build's
# tests run here: "native" where the machine runs 32-bit programs,
# "emulated" elsewhere (32-bit Wine under a user-mode emulator, see
# scripts/wine32-emulated.sh). ORVANE_32BIT=emulated takes the emulated
# route on a machine that runs 32-bit programs too, to work on it there.
orvane_choose_32bit_route() {
  orvane_probe_32bit "$1"
  case "${ORVANE_32BIT:-}" in
    "")
      ORVANE_32BIT_ROUTE=native
      [ "$ORVANE_RUNS_32BIT" = yes ] || ORVANE_32BIT_ROUTE=emulated
      ;;
    emulated) ORVANE_32BIT_ROUTE=emulated ;;
    native)
      if [ "$ORVANE_RUNS_32BIT" != yes ]; then
        echo "ORVANE_32BIT=native cannot be: $ORVANE_32BIT_WHY" >&2
        return 2
      fi
      ORVANE_32BIT_ROUTE=native
      ;;
    *)
      echo "ORVANE_32BIT must be emulated or native (or unset: the machine decides), not '$ORVANE_32BIT'" >&2
      return 2
      ;;
  esac
}
