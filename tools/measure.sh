#!/bin/sh
# Whole-run timing of the map program against the floor program (start-up, the same
# console text and map file, no computation), on the demonstration table.
# Usage: tools/measure.sh BUILD-DIR [DATE] [RUNS]
# BUILD-DIR is a build configured with -DORMEDA_BENCH=ON. Prints hyperfine's table
# (mean, median, min, max) and the ratio of the medians.
set -eu
build=$(cd "$1" && pwd)
date=${2:-1000}
runs=${3:-200}
here=$(cd "$(dirname "$0")/.." && pwd)
program=$build/driver/ormeda
floor=$build/bench/ormeda_floor
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/data/ORMEDA_coeff.inp" "$work/"
cd "$work"
printf '%s\n' "$date" > date.txt
# One real run gives the floor program its console text and map file.
"$program" < date.txt > console.txt
cp grid_ormeda.dat map.txt
# hyperfine runs each command through the shell and subtracts the shell's own start.
hyperfine --warmup 20 --runs "$runs" --export-json times.json \
    -n ormeda "$program < date.txt > /dev/null" \
    -n floor "$floor console.txt map.txt < date.txt > /dev/null"
/usr/bin/python3 - times.json <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
p, f = r["ormeda"], r["floor"]
for name, x in (("ormeda", p), ("floor", f)):
    print(f"{name}: median {x['median']*1e3:.3f} ms, stddev {x['stddev']*1e3:.3f} ms, "
          f"min {x['min']*1e3:.3f} ms, max {x['max']*1e3:.3f} ms")
print(f"ratio of medians: {p['median']/f['median']:.2f}")
PY
