#!/bin/sh
# Regenerates the sample streams listed in samples/manifest with a built
# ksgnss: samples/regenerate.sh BUILD_DIR
set -eu
build=${1:?usage: samples/regenerate.sh BUILD_DIR}
tool="$build/tools/ksgnss"
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$tool" ] || { echo "regenerate.sh: no ksgnss at $tool" >&2; exit 1; }
grep -v '^#' "$here/manifest" | while IFS='|' read -r file sim _; do
  file=$(echo "$file" | tr -d ' ')
  [ -n "$file" ] || continue
  # shellcheck disable=SC2086 # the arguments are meant to split
  "$tool" $sim > "$here/$file"
done
