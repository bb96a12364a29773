#!/usr/bin/env bash
# The speed report of the circle search and of the command line: time per slice per core
# by method, the two-thread scaling of the four-grid searches, and whole-process times of
# `keltora calc` and `keltora info`. Usage: bench/run.sh [BUILD_DIR] [REPETITIONS]
# (BUILD_DIR built with -DKELTORA_BUILD_BENCH=ON; default build-dev, 5 repetitions).
# Every figure is the smallest of the repetitions: on a shared machine that is the one
# closest to what the code needs. Compare runs made under the same conditions only.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-dev}" && pwd)
reps=${2:-5}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "== machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%F %T') UTC"
# Rounds: the whole set of searches once per round, so that a slow or fast spell of the
# (virtual) machine falls on every figure alike rather than on one block of repetitions.
for ((r = 0; r < reps; r++)); do
    "$build/bench_slices" --benchmark_min_time=0.2 --benchmark_format=json \
        >"$scratch/slices$r.json" 2>/dev/null
done

# What the machine itself gives a second thread: one 1-thread search alone, then two of
# them as separate processes at once (nothing shared but the machine).
pair_filter='section:1/method:0/threads:1/'
for ((r = 0; r < reps; r++)); do
    "$build/bench_slices" --benchmark_filter="$pair_filter" --benchmark_min_time=0.5 \
        --benchmark_format=json >"$scratch/alone$r.json" 2>/dev/null
    "$build/bench_slices" --benchmark_filter="$pair_filter" --benchmark_min_time=0.5 \
        --benchmark_format=json >"$scratch/pairA$r.json" 2>/dev/null &
    "$build/bench_slices" --benchmark_filter="$pair_filter" --benchmark_min_time=0.5 \
        --benchmark_format=json >"$scratch/pairB$r.json" 2>/dev/null
    wait
done

# The two-thread scaling once more, search by search: one-thread and two-thread searches
# taking turns (bench/scaling.cpp), so that a slow spell falls on both alike.
if [ -x "$build/scaling" ]; then
    for s in 0 1; do
        "$build/scaling" "$s" 0 $((reps * 20)) >"$scratch/scaling$s.txt" 2>&1 || true
    done
fi

# Instructions per slice (valgrind's callgrind; the same on every machine and under any
# load, unlike the times): one search of each section and method on one thread.
if [ "${INSTRUCTIONS:-1}" = 1 ] && command -v valgrind >/dev/null; then
    for sm in 0/method:0 0/method:2 1/method:0 1/method:2; do
        valgrind --tool=callgrind --callgrind-out-file=/dev/null "$build/bench_slices" \
            --benchmark_filter="section:$sm/threads:1/" --benchmark_min_time=0 \
            --benchmark_format=json >"$scratch/ir${sm//[^0-9]/}.json" 2>"$scratch/ir${sm//[^0-9]/}.txt" || true
    done
fi

# Whole process, wall time in microseconds of each run, the three commands taking turns.
# Bash's own clock: a `date` process per reading would add its own start-up (several ms).
mkdir -p "$scratch/work"
yamagami=examples/verification/yamagami_ueta.SDW
time_once() {
    local t0 t1
    t0=${EPOCHREALTIME/[.,]/}
    "$@" >/dev/null 2>&1 || true
    t1=${EPOCHREALTIME/[.,]/}
    echo $((t1 - t0))
}
for ((i = 0; i < reps * 4; i++)); do
    time_once "$build/keltora" calc "$yamagami" --workdir "$scratch/work" --quiet >>"$scratch/calc.txt"
    time_once "$build/keltora" calc "$yamagami" --workdir "$scratch/work" --quiet --threads 1 \
        >>"$scratch/calc1.txt"
    time_once "$build/keltora" info "$yamagami" >>"$scratch/info.txt"
done

python3 - "$scratch" <<'PY'
import json, sys, statistics
d = sys.argv[1]
import glob
mins = {}
for f in sorted(glob.glob(f"{d}/slices*.json")):
    for r in json.load(open(f))["benchmarks"]:
        best = mins.get(r["run_name"])
        if best is None or r["real_time"] < best["real_time"]:
            mins[r["run_name"]] = r
sections = {0: "benchmark.SDW", 1: "yamagami_ueta.SDW"}
methods = {0: "Fellenius", 2: "Bishop"}
print(f"\n== time per slice per core (smallest of {len(glob.glob(f'{d}/slices*.json'))} rounds)")
print(f"{'section':<18} {'method':<10} {'slices':>9} {'1 thread':>10} {'cpu':>8} {'2 threads':>10} {'cpu':>8} {'speed-up':>9}")
for s in sections:
    for m in methods:
        one = mins.get(f"BM_Search/section:{s}/method:{m}/threads:1/real_time")
        two = mins.get(f"BM_Search/section:{s}/method:{m}/threads:2/real_time")
        if not one or not two:
            continue
        slices = one["slices"]
        ns1 = one["real_time"] * 1e6 / slices          # real_time in ms
        ns2 = two["real_time"] * 1e6 * 2 / slices
        print(f"{sections[s]:<18} {methods[m]:<10} {slices/1e6:8.2f}M {ns1:8.1f}ns {one['cpu_ns_per_slice']:6.1f}ns"
              f" {ns2:8.1f}ns {two['cpu_ns_per_slice']:6.1f}ns {one['real_time']/two['real_time']:8.2f}x")
print("  (ns per slice per core = wall time x threads / slices; cpu = CPU time of all threads /")
print("   slices, which other processes on the machine barely change; speed-up = 1-thread wall")
print("   time / 2-thread wall time of the whole search, meaningful only on an idle machine)")

def best(pattern):
    return min(r["real_time"] for f in glob.glob(f"{d}/{pattern}")
               for r in json.load(open(f))["benchmarks"])
alone, pair = best("alone*.json"), max(best("pairA*.json"), best("pairB*.json"))
print(f"\n== the machine's own second core: two 1-thread searches (yamagami_ueta, Fellenius) as")
print(f"   separate processes at once take {pair / alone:.2f}x the time of one alone, so two threads")
print(f"   of one search can gain at most about {2 * alone / pair:.2f}x here")

scaling = [f for f in sorted(glob.glob(f"{d}/scaling*.txt")) if open(f).read().strip()]
if scaling:
    print("\n== two threads, search by search (Fellenius as saved; the 1-thread and 2-thread")
    print("   searches taking turns; speed-up of the smallest, the 10th percentile, the median)")
    for f in scaling:
        print("  " + open(f).read().strip().replace("\n", "\n  "))

irs = []
for s in sections:
    for m in methods:
        try:
            log = open(f"{d}/ir{s}{m}.txt").read()
            run = json.load(open(f"{d}/ir{s}{m}.json"))["benchmarks"][0]
        except (OSError, ValueError, IndexError):
            continue
        import re
        found = re.search(r"Collected : (\d+)", log)
        if found:
            irs.append((sections[s], methods[m], int(found.group(1)) / run["iterations"] / run["slices"]))
if irs:
    print("\n== instructions per slice (callgrind, one search on one thread, set-up included)")
    for sec, meth, ir in irs:
        print(f"{sec:<18} {meth:<10} {ir:8.0f}")

def ms(name):
    v = [int(x) / 1000 for x in open(f"{d}/{name}.txt").read().split()]
    return f"min {min(v):6.1f} ms, median {statistics.median(v):6.1f} ms"
print("\n== whole process (wall time)")
print(f"keltora calc yamagami_ueta.SDW             {ms('calc')}")
print(f"keltora calc yamagami_ueta.SDW --threads 1 {ms('calc1')}")
print(f"keltora info yamagami_ueta.SDW             {ms('info')}")
PY
