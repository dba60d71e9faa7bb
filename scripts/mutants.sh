#!/usr/bin/env bash
# A mutation sample of src/, run by hand (not in CI): a fixed, seeded list of mutants spread over
# the sources by size (a comparison flipped, a bound or offset moved by one, a result swapped, a
# statement that writes dropped, a constant or a format width changed, a condition inverted),
# each applied in a copy of the tree, built incrementally (Linux build) and run against the
# suites that stand behind its folder (CTest labels). One line per survivor, then
#   mutants: K killed of N
# A mutant that does not compile does not count; one that outlasts the time cap counts as
# killed (a hang is a fault found).
#   bash scripts/mutants.sh [--rev COMMIT] [--count N] [--seed S] [--cap SECONDS]
#                           [--work DIR] [--list] [--only 1,2,3] [--compare OLD/results.json]
# Without --rev the working files are copied, so a changed suite is measured before it is
# committed. The results go to DIR/results.json (default build/mutants).
set -euo pipefail
cd "$(dirname "$0")/.."
work=build/mutants
args=()
while [ $# -gt 0 ]; do
  case $1 in
    --work) work=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
exec python3 scripts/mutants.py --work "$work" --source "$PWD" "${args[@]}"
