#!/usr/bin/env bash
# scripts/setup's choice, both ways, without changing the machine: a kernel
# that runs 32-bit code (with and without an old marker) and one that does
# not. Each run must end with status 0 and say what it would do.
set -u
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() { # what, status, output, pattern, [pattern that must not show]
  local what=$1 status=$2 output=$3 wanted=$4 unwanted=${5:-}
  if [ "$status" != 0 ]; then
    echo "FAIL ($what): status $status"; failures=$((failures + 1)); return
  fi
  if ! grep -qE -- "$wanted" <<<"$output"; then
    echo "FAIL ($what): no line matches '$wanted' in:"; echo "$output"; failures=$((failures + 1))
  fi
  if [ -n "$unwanted" ] && grep -qE -- "$unwanted" <<<"$output"; then
    echo "FAIL ($what): a line matches '$unwanted' in:"; echo "$output"; failures=$((failures + 1))
  fi
}

run() { # probe, marker
  SAA7146_SETUP_DRY_RUN=1 SAA7146_SETUP_PROBE=$1 SAA7146_SETUP_MARKER=$2 "$setup" 2>&1
}

marker=$work/i386-emulated
out=$(run /bin/true "$marker"); status=$?
expect "runs 32-bit code, no marker" "$status" "$out" "runs 32-bit x86 code" "qemu|would run: rm"
expect "runs 32-bit code, no marker: Wine's 32-bit half" 0 "$out" "." "would run: apt-get install .*qemu-user-static"

touch "$marker"
out=$(run /bin/true "$marker"); status=$?
expect "runs 32-bit code, old marker" "$status" "$out" "would run: rm -f $marker"

rm -f "$marker"
out=$(run /bin/false "$marker"); status=$?
expect "no 32-bit code" "$status" "$out" "would run: touch $marker" "would run: apt-get install .*wine32"
expect "no 32-bit code: the emulator" 0 "$out" "runs no 32-bit x86 code: i386 programs run under qemu-i386"

if [ "$failures" = 0 ]; then
  echo "setup_test: scripts/setup chose right both ways, with status 0"
  exit 0
fi
exit 1
