#!/bin/sh
# Runs the fuzz targets of the build folder $1 for $2 seconds each, one after the other: all of
# them, or those named in $3 ("table settings"). Each keeps its corpus in $1/corpus/<target> and
# starts from the seeds of the repository.
set -eu
build=$1
seconds=${2:-180}
targets=${3:-table settings date codepage xml clipboard}
root=$(cd "$(dirname "$0")/.." && pwd)
# The targets write scratch files; memory is faster than a disk for them.
[ -d /dev/shm ] && export TMPDIR="${TMPDIR:-/dev/shm}"

for target in $targets; do
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    case $target in
    table) seeds="$root/examples $root/tests/data"; options="-max_len=65536" ;;
    settings) seeds="$root/fuzz/seeds/settings"; options="-max_len=8192" ;;
    # Long pastes with a short time limit: a date slower than linear shows as a timeout.
    date) seeds="$root/fuzz/seeds/date"; options="-max_len=200000 -timeout=2" ;;
    clipboard) seeds="$root/tests/data"; options="-max_len=200000 -timeout=2" ;;
    *) seeds="$root/tests/data $root/examples"; options="-max_len=16384" ;;
    esac
    echo "== fuzz_$target for $seconds s"
    # shellcheck disable=SC2086
    "$build/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/fuzz_$target-" $options "$corpus" $seeds
done
