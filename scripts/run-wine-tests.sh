#!/usr/bin/env bash
# Runs each Windows test program of a build folder under Wine, one after the
# other (they share the Wine prefix's named objects, such as the operation
# lock), and prints one line per program and a total; fails when any test
# fails or a program does not finish. Wine's settings (WINEPREFIX, WINEDEBUG)
# come from the caller; message boxes need a display (xvfb-run).
#   run-wine-tests.sh WINE TESTS_FOLDER LOG_FOLDER
set -uo pipefail
wine=$1 tests=$2 logs=$3

failed=0 total_passed=0 total_skipped=0 total_failed=0
for program in "$tests"/test_*.exe; do
  name=$(basename "$program" .exe)
  [ "$name" = test_lock_holder ] && continue
  log=$logs/$name.log
  status=0
  timeout 600 "$wine" "$program" --gtest_color=no 2>&1 | tr -d '\r' >"$log" || status=$?
  count() { sed -n "s/^\[ *$1 *\] \([0-9]*\) tests\?.*/\1/p" "$log" | head -n 1; }
  passed=$(count PASSED) skipped=$(count SKIPPED) failures=$(count FAILED)
  passed=${passed:-0} skipped=${skipped:-0} failures=${failures:-0}
  total_passed=$((total_passed + passed)) total_skipped=$((total_skipped + skipped))
  total_failed=$((total_failed + failures))
  echo "$name: $passed passed, $skipped skipped, $failures failed (exit status $status)"
  if [ "$status" != 0 ] || [ "$failures" != 0 ] || ! grep -q '^\[  PASSED  \]' "$log"; then
    failed=1
    grep -E '^\[  (FAILED|SKIPPED) +\] [A-Za-z]|Failure$' "$log" | head -n 40 >&2
  fi
  # Each skipped test with its reason (the line after "...: Skipped").
  awk '/: Skipped$/ { getline reason; next }
       /^\[  SKIPPED \] [A-Za-z].* \(/ { print "  skipped: " $4 ": " reason }' "$log"
done
echo "Windows tests under Wine: $total_passed passed, $total_skipped skipped, $total_failed failed"
exit $failed
