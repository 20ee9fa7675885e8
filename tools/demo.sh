#!/bin/sh
# Builds ORMEDA and runs it on the bundled demonstration table for one date
# (default 1000 AD) in the work folder run/, leaving run/grid_ormeda.dat.
set -eu
cd "$(dirname "$0")/.."
date_ad=${1:-1000}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "${ORMEDA_JOBS:-2}" --target ormeda

mkdir -p run
cp data/ORMEDA_coeff.inp run/ORMEDA_coeff.inp
cd run
printf '%s\n' "$date_ad" | ../build/driver/ormeda
echo "Map written to run/grid_ormeda.dat"
