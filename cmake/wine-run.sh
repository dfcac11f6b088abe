#!/bin/sh
# Runs a Windows program under Wine for ctest: wine-run.sh <wine> <program> <args>...
# Wine starts helper processes (its services, the desktop window) that outlive
# the program and inherit its output; ctest would wait for them to close it.
# The output goes through files instead, printed once the program has ended.
wine=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/vx-wine-run.XXXXXX") || exit 125
"$wine" "$@" </dev/null >"$dir/out" 2>"$dir/err"
status=$?
cat "$dir/out"
cat "$dir/err" >&2
rm -rf "$dir"
exit $status
