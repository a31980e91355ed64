#!/bin/sh
# Mutation testing of the module: plants one fault at a time in sensor/ and
# support/, rebuilds the library, runs the tests (stopping at the first
# failure), and reports per file what the tests killed and what survived.
#   MUTANTS=160 SEED=16 sh tools/mutants.sh     the recorded sample
#   sh tools/mutants.sh                          every mutant (hours)
#   LIST=1 MUTANTS=160 SEED=16 sh tools/mutants.sh   the sample's mutants only
# See the top of tools/mutants.py for the other settings.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
exec python3 "$top/tools/mutants.py" "$@"
