#!/bin/sh
# Writes a synthetic map file to standard output, in the layout of grid_ormeda.dat:
# 16 header lines, then 1196 records of eight fixed-point fields (F7.2, F8.2,
# F10.2, 2F11.2, 3F12.2), longitude outer and latitude inner, CR LF line ends.
# The field is smooth but made up; it brings the awkward spellings a reader must
# take: no zero before the point (.50, -.25), and fields of asterisks.
#   synthetic-map.sh [DATE]
set -eu
date_ad=${1:-1234.5}

awk -v T="$date_ad" '
function fixed(v, w, d,    s) {
    if (d == "") d = 2
    s = sprintf("%." d "f", v)
    sub(/^0\./, ".", s)
    sub(/^-0\./, "-.", s)
    if (length(s) > w) { s = ""; while (length(s) < w) s = s "*"; return s }
    return sprintf("%" w "s", s)
}
BEGIN {
    printf "      ORMEDA Regional Archaeomagnetic Model\r\n"
    printf "         for Europe for the last 2000 years\r\n"
    printf " \r\n \r\n"
    printf "      Synthetic map for testing the pictures\r\n"
    printf "      (not a model: a smooth made-up field)\r\n"
    printf " \r\n \r\n \r\n \r\n \r\n"
    printf "Time: %sAD\r\n", fixed(T, 8, 1)
    printf " \r\n"
    printf "                            *Errors at 95%% of confidence\r\n"
    printf " \r\n"
    printf "   Lat     Lon    Dec(deg.)  Inc(deg.)   Int(mT)    eDec(deg.)  eInc(deg.)  eInt(mT)\r\n"
    pi = atan2(0, -1)
    for (lon = -15; lon <= 30; lon++) {
        for (lat = 35; lat <= 60; lat++) {
            x = (lon - 8) / 22.5; y = (lat - 47.5) / 12.5
            D = 14 * x + 3 * sin(pi * y)            # crosses zero near 8 E
            I = 62 + 12 * y - 2 * x * x
            F = 52 + 7 * y + 3 * cos(pi * x)
            eD = .5 + .4 * (x * x + y * y)          # .50 at the centre
            eI = .4 + .3 * y * y
            eF = 1.2 + .8 * x * x
            if (lon == 9 && lat == 47) D = -.25     # a value that prints as -.25
            r = fixed(lat, 7) fixed(lon, 8) fixed(D, 10) fixed(I, 11) fixed(F, 11)
            r = r fixed(eD, 12) fixed(eI, 12) fixed(eF, 12)
            if (lon == 20 && lat == 40) r = substr(r, 1, 15) "**********" substr(r, 26)
            if (lon == -5 && lat == 55) r = substr(r, 1, 71) "************"
            printf "%s\r\n", r
        }
    }
}'
