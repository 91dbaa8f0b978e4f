#!/usr/bin/env bash
# Fuzzes the readers of outside data with afl++ (see fuzz/CMakeLists.txt).
#
#   scripts/fuzz.sh [seconds per target] [target...]
#
# Builds build/fuzz (afl instrumentation under ASan and UBSan), makes the
# seeds, then runs afl-fuzz on each target (default: all) for the given time
# (default 60 s), as many targets at once as there are cores (FUZZ_JOBS).
# FUZZ_EXECS ends each target's run once it has made that many executions,
# when that comes before the time.
# A run goes on from the queue the last run of its target left in
# build/fuzz/work/<target>/ (delete that folder to start afresh). A target
# whose input is text rather than a file format may have a dictionary of the
# words it knows, fuzz/dict/<target>.dict, which afl-fuzz splices in.
#
# Prints the executions, afl-fuzz's stability (the share of edges that an
# input takes the same way every time it runs), crashes and hangs of each
# target. Crashing and hanging inputs are copied to
# build/fuzz/findings/<target>/; once the reader is fixed, put each in
# fuzz/corpus/<target>/ so that it stays a test. Exits with 1 when any target
# crashed or hung.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true

bash scripts/deps.sh
bash scripts/build.sh fuzz >/dev/null
bin=$root/build/fuzz/fuzz
work=$root/build/fuzz/work
findings=$root/build/fuzz/findings
seeds=$root/build/fuzz/seeds
rm -rf "$seeds" "$findings"
"$bin/make_fuzz_seeds" "$seeds"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$bin"/fuzz_*; do [ -x "$f" ] && targets+=("${f##*/fuzz_}"); done
  [ ${#targets[@]} -gt 0 ] || { echo "no fuzz target in $bin" >&2; exit 2; }
fi

# afl-fuzz wants the sanitizers to abort, unsymbolised; leaks are left to the
# replay tests. One allocation over 100 MB is refused outright here, the
# heap held by an input is counted by the targets themselves.
export ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0:max_allocation_size_mb=100:allocator_may_return_null=0:quarantine_size_mb=64
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:symbolize=0
export AFL_NO_UI=1 AFL_NO_AFFINITY=1 AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1
# Each target works in a throw-away folder: in memory where there is room.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

run() {
  local t=$1 dir=$work/$1
  mkdir -p "$dir/in"
  cp -f "$seeds/$t"/* "$dir/in/" 2>/dev/null || true
  cp -f "$root/fuzz/corpus/$t"/* "$dir/in/" 2>/dev/null || true
  # The queue of the last run joins the seeds.
  if [ -d "$dir/out/default/queue" ]; then
    find "$dir/out/default/queue" -maxdepth 1 -type f -name 'id:*' -exec cp -f {} "$dir/in/" \;
    rm -rf "$dir/out"
  fi
  local dict=()
  [ -f "$root/fuzz/dict/$t.dict" ] && dict=(-x "$root/fuzz/dict/$t.dict")
  # 2 s for one input is a hang; -m none because ASan reserves terabytes.
  afl-fuzz -i "$dir/in" -o "$dir/out" -V "$seconds" ${FUZZ_EXECS:+-E "$FUZZ_EXECS"} -m none \
    -t 2000 "${dict[@]}" -- "$bin/fuzz_$t" \
    >"$dir/afl.log" 2>&1 || { echo "$t: afl-fuzz failed:"; tail -n 20 "$dir/afl.log"; touch "$dir/failed"; }
}

# A run leaves "failed" in its folder when afl-fuzz could not run: bash may
# forget a background job's status once `jobs` has reported it, so the
# statuses are not collected with `wait <pid>`.
jobs=${FUZZ_JOBS:-$(nproc)}
for t in "${targets[@]}"; do
  [ -x "$bin/fuzz_$t" ] || { echo "no fuzz target $t" >&2; exit 2; }
  rm -f "$work/$t/failed"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
  run "$t" &
done
wait
failed=0
for t in "${targets[@]}"; do [ ! -e "$work/$t/failed" ] || failed=1; done

stat() { sed -n "s/^$1 *: //p" "$2"; }
printf '%-20s %12s %8s %9s %8s %8s\n' target executions per-sec stability crashes hangs
for t in "${targets[@]}"; do
  s=$work/$t/out/default/fuzzer_stats
  [ -f "$s" ] || { printf '%-20s %s\n' "$t" "no statistics"; failed=1; continue; }
  crashes=$(stat saved_crashes "$s")
  hangs=$(stat saved_hangs "$s")
  printf '%-20s %12s %8s %9s %8s %8s\n' "$t" "$(stat execs_done "$s")" "$(stat execs_per_sec "$s")" \
    "$(stat stability "$s")" "$crashes" "$hangs"
  if [ "$crashes" != 0 ] || [ "$hangs" != 0 ]; then
    failed=1
    mkdir -p "$findings/$t"
    find "$work/$t/out/default/crashes" "$work/$t/out/default/hangs" -type f -name 'id:*' \
      -exec cp {} "$findings/$t/" \;
  fi
done
[ "$failed" = 0 ] || echo "findings in $findings (replay one: $bin/fuzz_<target> <file>, or" \
  "the same program of build/asan for a symbolised report)"
exit "$failed"
