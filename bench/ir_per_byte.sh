#!/usr/bin/env bash
# Instructions per input byte of the whole ksgnss process, measured with
# callgrind: the same figure on every rerun on the same build.
#
#   bench/ir_per_byte.sh [--baseline OTHER_KSGNSS] [--small BYTES] [KSGNSS]
#
# Every row runs one command over one input at two sizes and prints the
# marginal cost, (Ir(large) - Ir(small)) / (large - small): process start and
# end of input cancel out. Rows cover every engine and board family over
# the shared captures (../shared/captures beside the source tree, or
# $KSPARSE_CAPTURES), the simulated streams of `ksgnss sim` and adversarial
# streams (random bytes, text, floods of false frame starts). With
# --baseline a second ksgnss binary (an older build) is measured on the same
# inputs in a column of its own. convbin and gpsdecode (rtklib, gpsd-clients)
# are measured on the same inputs when installed. The last rows give the
# fixed cost of a run: the instructions of a whole run over a 10 KB input
# minus 10 KB at the marginal cost and minus a bare process start, which
# leaves the engine's set-up and the end of input.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
baseline=""
small=65536
ksgnss=""
while [ $# -gt 0 ]; do
  case "$1" in
    --baseline) baseline="$2"; shift 2 ;;
    --small) small="$2"; shift 2 ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) ksgnss="$1"; shift ;;
  esac
done
if [ -z "$ksgnss" ]; then
  for candidate in "$root/build/tools/ksgnss" "$(command -v ksgnss || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then ksgnss="$candidate"; break; fi
  done
fi
[ -n "$ksgnss" ] && [ -x "$ksgnss" ] || { echo "ir_per_byte.sh: no ksgnss binary (pass its path)" >&2; exit 1; }
command -v valgrind >/dev/null || { echo "ir_per_byte.sh: valgrind is not installed" >&2; exit 1; }
command -v python3 >/dev/null || { echo "ir_per_byte.sh: python3 is not installed" >&2; exit 1; }
large=$((small * 4))
captures="${KSPARSE_CAPTURES:-$(dirname "$root")/shared/captures}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# --- inputs -----------------------------------------------------------------
# Each input is made once at the large size; the small one is its prefix.
make_input() {  # name, then a command writing at least `large` bytes to stdout
  local name="$1"; shift
  "$@" | head -c "$large" > "$work/$name.large" || true
  head -c "$small" "$work/$name.large" > "$work/$name.small"
}
pattern() {  # repeats the python bytes literal $1
  python3 -c "import sys; p=$1; sys.stdout.buffer.write(p * ($large // len(p) + 1))"
}
repeat_file() {  # repeats a file until the large size is reached
  local n=$(( large / $(stat -c %s "$1") + 1 ))
  for _ in $(seq "$n"); do cat "$1"; done
}
sim() { "$ksgnss" sim "$1" --seconds "$2"; }

make_input random python3 -c "import random, sys; random.seed(1); sys.stdout.buffer.write(bytes(random.getrandbits(8) for _ in range($large)))"
make_input text python3 -c "import sys; w=b'the quick brown fox jumps over the lazy dog 0123456789\r\n'; sys.stdout.buffer.write(w * ($large // len(w) + 1))"
make_input dollars pattern "b'\$'"
make_input gga_open pattern "b'\$GPGGA,1,'"
make_input d3_flood pattern "b'\xd3\x03\xff'"
make_input sim_nmea sim nmea 600
make_input sim_novatel sim novatel 180
make_input sim_rtcm sim rtcm 1300
have_capture() { [ -s "$captures/$1" ]; }
for c in oemv_200911218.gps testglo.rtcm3 skytraq-dgps.nmea telit-he910.nmea ublox-zed-f9p-nmea.nmea; do
  if have_capture "$c"; then make_input "cap_${c%%.*}" repeat_file "$captures/$c"; fi
done

# --- measurement ------------------------------------------------------------
ir() {  # total Ir of one command; its stdout is thrown away. A last
        # argument "<FILE" is read on standard input instead.
  local stdin=/dev/null
  if [ "${!#:0:1}" = "<" ]; then stdin="${!#:1}"; set -- "${@:1:$#-1}"; fi
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" < "$stdin" 2>&1 >/dev/null |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
marginal() {  # input name, then the command with @IN@ for the input path
  local name="$1"; shift
  local a b
  a=$(ir "${@//@IN@/$work/$name.small}")
  b=$(ir "${@//@IN@/$work/$name.large}")
  # The sizes as made: a stream shorter than `large` must not be counted at it.
  local n=$(( $(stat -c %s "$work/$name.large") - $(stat -c %s "$work/$name.small") ))
  awk -v a="$a" -v b="$b" -v n="$n" 'BEGIN { printf "%.1f", (b - a) / n }'
}
fixed() {  # Ir of a whole run over the first 10 KB of the input, minus 10 KB at
           # the marginal cost and minus a bare process start
  local name="$1" per="$2" start="$3"; shift 3
  head -c 10240 "$work/$name.small" > "$work/$name.10k"
  local total
  total=$(ir "${@//@IN@/$work/$name.10k}")
  awk -v t="$total" -v p="$per" -v s="$start" 'BEGIN { printf "%.2f M", (t - s - 10240 * p) / 1e6 }'
}

printf '%s\n' "Ir per input byte (marginal between $small and $large bytes); ksgnss: $ksgnss"
header="| path | input | Ir/byte |"
rule="|---|---|---:|"
if [ -n "$baseline" ]; then header="| path | input | baseline | Ir/byte |"; rule="|---|---|---:|---:|"; fi
echo; echo "$header"; echo "$rule"

row() {  # label, input name, then the ksgnss arguments with @IN@
  local label="$1" name="$2"; shift 2
  [ -s "$work/$name.small" ] || return 0
  local now base=""
  now=$(marginal "$name" "$ksgnss" "$@")
  if [ -n "$baseline" ]; then
    base=$(marginal "$name" "$baseline" "$@")
    echo "| $label | $name | $base | $now |"
  else
    echo "| $label | $name | $now |"
  fi
}

legacy() { echo decode --manufacturer 2 --board "$1" --quiet @IN@; }
# Standard engine, each board family on its own stream.
row "standard, NovAtel (board 2), quiet" cap_oemv_200911218 decode --board 2 --quiet @IN@
row "standard, NovAtel (board 2), quiet" sim_novatel decode --board 2 --quiet @IN@
row "standard, NovAtel (board 2), JSON" sim_novatel decode --board 2 @IN@
row "standard, NovAtel (board 2), JSON" cap_oemv_200911218 decode --board 2 @IN@
for c in cap_skytraq-dgps cap_telit-he910 cap_ublox-zed-f9p-nmea sim_nmea; do
  row "standard, NMEA (board 6), quiet" "$c" decode --board 6 --parse-nmea --quiet @IN@
done
row "standard, NMEA (board 6), JSON" sim_nmea decode --board 6 --parse-nmea @IN@
row "standard, NMEA (board 6), JSON" cap_skytraq-dgps decode --board 6 --parse-nmea @IN@
row "standard, RTCM in the NovAtel board" cap_testglo decode --board 2 --quiet @IN@
for b in 1 4 5; do row "standard, board $b, quiet" sim_nmea decode --board "$b" --parse-nmea --quiet @IN@; done
for s in random text dollars; do
  for b in 1 2 4 6; do row "standard, board $b" "$s" decode --board "$b" --quiet @IN@; done
done
# The older receivers' engine on bytes that are not its frames.
for b in 1 2 3 4 5 6 7; do row "older receivers (2), board $b" random $(legacy "$b"); done
for s in text dollars sim_nmea sim_novatel; do row "older receivers (2), board 2" "$s" $(legacy 2); done
# The new-protocol engine.
for s in random text dollars gga_open sim_nmea; do
  row "new protocol (2, board 8)" "$s" decode --manufacturer 2 --board 8 --quiet @IN@
done
# ksgnss rtcm.
for s in sim_rtcm cap_testglo; do
  row "rtcm, quiet" "$s" rtcm --quiet @IN@
  row "rtcm, JSON" "$s" rtcm @IN@
done
for s in random d3_flood; do row "rtcm, quiet" "$s" rtcm --quiet @IN@; done

# Peers on the same inputs.
peer() {  # label, input name, then the command with @IN@
  local label="$1" name="$2"; shift 2
  [ -s "$work/$name.small" ] || return 0
  local now
  now=$(marginal "$name" "$@")
  if [ -n "$baseline" ]; then echo "| $label | $name | | $now |"; else echo "| $label | $name | $now |"; fi
}
if command -v convbin >/dev/null; then
  for s in cap_oemv_200911218 sim_novatel; do
    peer "convbin -r nov" "$s" convbin -r nov -d "$work/out" @IN@
  done
  peer "convbin -r rtcm3" cap_testglo convbin -r rtcm3 -d "$work/out" @IN@
fi
if command -v gpsdecode >/dev/null; then
  for s in cap_testglo sim_rtcm; do peer "gpsdecode (RTCM 3)" "$s" gpsdecode "<@IN@"; done
  peer "gpsdecode (NMEA)" cap_skytraq-dgps gpsdecode "<@IN@"
fi

# Fixed cost of a whole run beyond starting the process: engine set-up and
# end of input. A bare process start is `ksgnss rtcm` over an empty input.
fixed_rows() {  # ksgnss binary, column label
  local k="$1" label="$2" start per cmd
  : > "$work/empty"
  start=$(ir "$k" rtcm --quiet "$work/empty")
  for cmd in "decode --board 6 --parse-nmea --quiet @IN@" "decode --board 2 --quiet @IN@" \
             "decode --manufacturer 2 --board 2 --quiet @IN@"; do
    # shellcheck disable=SC2086
    per=$(marginal sim_nmea "$k" $cmd)
    # shellcheck disable=SC2086
    echo "| $label ksgnss ${cmd% @IN@} | $(fixed sim_nmea "$per" "$start" "$k" $cmd) |"
  done
}
echo
echo "| fixed cost of a run over 10 KB of NMEA, beyond a bare process start | Ir |"
echo "|---|---:|"
[ -z "$baseline" ] || fixed_rows "$baseline" baseline
fixed_rows "$ksgnss" ""
