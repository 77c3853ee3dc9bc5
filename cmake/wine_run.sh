#!/bin/sh
# Starts a Windows program under Wine for ctest: wine_run.sh WINE PROGRAM [ARGS...]
#
# Wine hands its standard error on to every process it starts, among them the
# services it keeps in the background for as long as the wineserver lives
# (services.exe, rpcss.exe, winedevice.exe, ...). Given ctest's output pipe,
# they would hold it open after the program has ended, and ctest, which reads
# a test's output to its end, would wait for them. So the program writes its
# errors to a file, copied to standard error once it has ended; its exit
# status is the script's.
wine=$1
shift
err=$(mktemp "${TMPDIR:-/tmp}/ksparse-wine.XXXXXX") || exit 125
"$wine" "$@" 2>"$err"
status=$?
cat "$err" >&2
rm -f "$err"
exit "$status"
