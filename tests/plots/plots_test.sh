#!/bin/sh
# The picture tools on real output: plot-map on a map of the demonstration table and
# on a synthetic map with the awkward spellings, plot-curve on ormeda-curve output in
# text and CSV; each picture must be a PNG of the fixed canvas size and a PDF, and
# bad input must fail without leaving a picture. Skips (status 77) without GMT.
#   plots_test.sh map|curve ORMEDA ORMEDA_CURVE SOURCE_DIR
set -u
part=$1 ormeda=$2 ormeda_curve=$3 source=$4
tools=$source/tools
table=$source/data/ORMEDA_coeff.inp

if ! command -v gmt >/dev/null 2>&1; then
    echo "SKIPPED: gmt is not installed (Debian packages: gmt gmt-gshhg-low gmt-dcw ghostscript)"
    exit 77
fi
[ -f "$table" ] || { echo "FAIL: the demonstration table is missing: $table"; exit 1; }

work=$(mktemp -d -t ormeda-plots.XXXXXX) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# Width and height of a PNG, from its header chunk.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d\n", (($1 * 256 + $2) * 256 + $3) * 256 + $4,
        (($5 * 256 + $6) * 256 + $7) * 256 + $8 }'
}

# A picture pair: a PNG of the expected size and a PDF, both non-empty.
check_pictures() { # base expected-size
    if [ "$(head -c 8 "$1.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
        fail "$1.png is not a PNG"
    elif [ "$(png_size "$1.png")" != "$2" ]; then
        fail "$1.png is $(png_size "$1.png"), not $2"
    fi
    [ "$(head -c 5 "$1.pdf" 2>/dev/null)" = "%PDF-" ] || fail "$1.pdf is not a PDF"
    # A blank canvas of this size compresses to a few kilobytes.
    [ "$(wc -c <"$1.pdf" 2>/dev/null || echo 0)" -gt 8000 ] || fail "$1.pdf is nearly empty"
    [ "$(wc -c <"$1.png" 2>/dev/null || echo 0)" -gt 15000 ] || fail "$1.png is nearly empty"
}

# A run that must fail with status 1, naming the problem and leaving no picture.
check_refused() { # what expected-message command...
    what=$1 says=$2
    shift 2
    rm -f refused.png refused.pdf
    "$@" >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 1 ] || fail "$what: status $status, not 1"
    grep -q -- "$says" err.txt || fail "$what: no '$says' in: $(cat err.txt)"
    [ ! -e refused.png ] && [ ! -e refused.pdf ] || fail "$what: a picture was left"
    for left in .plot-*; do
        [ -e "$left" ] && fail "$what: the work folder $left was left"
    done
}

case $part in
map)
    cp "$table" ORMEDA_coeff.inp
    printf '1000\n' | "$ormeda" >console.txt || fail "ormeda did not complete"
    # 30 cm by 22 cm at 100 dots per inch.
    "$tools/plot-map" --dpi 100 -o demo grid_ormeda.dat >out.txt 2>err.txt ||
        fail "plot-map on the demonstration map: $(cat err.txt)"
    check_pictures demo 1182x867
    [ -s err.txt ] && fail "plot-map spoke on a clean map: $(cat err.txt)"

    # Fixed scales keep the canvas; only the PNG is asked for.
    "$tools/plot-map" --format png --dpi 100 --dec -30/30/5 --inc 50/80/2 --int 40/90/5 \
        --edec 0/10/1 --einc 0/5/0.5 --eint 0/10/1 -o fixed grid_ormeda.dat >/dev/null 2>err.txt ||
        fail "plot-map with fixed scales: $(cat err.txt)"
    [ "$(png_size fixed.png)" = 1182x867 ] || fail "fixed.png is $(png_size fixed.png)"
    [ ! -e fixed.pdf ] || fail "--format png wrote a PDF"

    # .50, -.25, fields of asterisks, CR LF: drawn, the missing values named.
    sh "$source/tests/plots/synthetic-map.sh" 1234.5 >synthetic.dat
    "$tools/plot-map" --dpi 100 synthetic.dat >/dev/null 2>err.txt ||
        fail "plot-map on the synthetic map: $(cat err.txt)"
    check_pictures synthetic 1182x867
    grep -q 'D missing (asterisks) at 1 node' err.txt || fail "missing D not reported: $(cat err.txt)"
    grep -q 'eF missing (asterisks) at 1 node' err.txt || fail "missing eF not reported"

    head -n 600 grid_ormeda.dat >short.dat
    check_refused "a cut map" "584 records instead of the 1196" \
        "$tools/plot-map" -o refused short.dat
    sed '100s/^\(.\{20\}\)...../\1 x.yz/' grid_ormeda.dat >garbled.dat
    check_refused "a garbled field" "line 100, field 3 is not a number" \
        "$tools/plot-map" -o refused garbled.dat
    sed '12s/.*/no date here/' grid_ormeda.dat >nodate.dat
    check_refused "no time line" "line 12 is not the time line" \
        "$tools/plot-map" -o refused nodate.dat
    check_refused "no map file" "cannot read map file" "$tools/plot-map" -o refused absent.dat
    "$tools/plot-map" --dec 10/0/1 grid_ormeda.dat >/dev/null 2>&1
    [ $? -eq 2 ] || fail "a reversed scale is not a usage error"
    ;;
curve)
    cp "$table" ORMEDA_coeff.inp
    "$ormeda_curve" 45 8 >site.txt 2>err.txt || fail "ormeda-curve: $(cat err.txt)"
    # 19 cm by 23 cm at 100 dots per inch.
    "$tools/plot-curve" --dpi 100 site.txt >/dev/null 2>err.txt ||
        fail "plot-curve on text: $(cat err.txt)"
    check_pictures site 749x906
    "$ormeda_curve" 38 22 --csv --step 10 >athens.csv 2>err.txt || fail "ormeda-curve --csv"
    "$tools/plot-curve" --dpi 100 --inc 40/70 athens.csv >/dev/null 2>err.txt ||
        fail "plot-curve on CSV: $(cat err.txt)"
    check_pictures athens 749x906

    # CR LF and a field of asterisks (missing) are taken.
    awk '{ printf "%s\r\n", $0 }' site.txt |
        sed '20s/^\(.\{8\}\).\{10\}/\1**********/' >crlf.txt
    "$tools/plot-curve" --dpi 100 --format png crlf.txt >/dev/null 2>err.txt ||
        fail "plot-curve on CR LF with asterisks: $(cat err.txt)"
    [ "$(png_size crlf.png)" = 749x906 ] || fail "crlf.png is $(png_size crlf.png)"

    head -n 7 site.txt >one.txt
    check_refused "a single date" "a curve needs at least two" \
        "$tools/plot-curve" -o refused one.txt
    sed '30s/$/ 1.0/' site.txt >extra.txt
    check_refused "an extra field" "line 30 has 8 fields" "$tools/plot-curve" -o refused extra.txt
    check_refused "no curve file" "cannot read curve file" "$tools/plot-curve" -o refused absent.txt
    ;;
*)
    echo "usage: plots_test.sh map|curve ORMEDA ORMEDA_CURVE SOURCE_DIR" >&2
    exit 2
    ;;
esac

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "plots $part: all checks passed"
