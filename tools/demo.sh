#!/bin/sh
# Decodes every sample stream listed in samples/manifest with the
# manufacturer and board it was made for and prints a short summary of each:
# tools/demo.sh BUILD_DIR
set -eu
build=${1:?usage: tools/demo.sh BUILD_DIR}
tool="$build/tools/ksgnss"
samples=$(cd "$(dirname "$0")/../samples" && pwd)
[ -x "$tool" ] || { echo "demo.sh: no ksgnss at $tool" >&2; exit 1; }
grep -v '^#' "$samples/manifest" | while IFS='|' read -r file _ decode; do
  file=$(echo "$file" | tr -d ' ')
  [ -n "$file" ] || continue
  decode=$(echo "$decode" | sed 's/^ *//; s/ *$//')
  echo "== samples/$file ($decode)"
  if [ "$decode" = rtcm ]; then
    # The frame list goes nowhere; its summary names the messages seen.
    "$tool" rtcm --quiet "$samples/$file" 2>&1 | sed 's/^ksgnss rtcm: /  /'
  else
    # shellcheck disable=SC2086 # the options are meant to split
    "$tool" decode --summary $decode "$samples/$file" 2>/dev/null
  fi
  echo
done
