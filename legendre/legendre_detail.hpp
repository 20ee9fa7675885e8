// Internals of the Legendre library: the series and degree recurrence, the
// positive-order and normalising factors, and the order recurrences and Q runs.
// Only XDLEGF calls them; they do not validate their arguments.
#pragma once

#include <span>

namespace ormeda::detail {

void XDPQDEG(double NU1, double NU2, int MU, double THETA, int ID, std::span<double> PRIN,
             std::span<int> IAUX);
double XDDIGAM(double Z, int KPSI, int NPSI);
void XDPPOS(double NU1, double NU2, int MU1, int MU2, std::span<double> PRIN,
            std::span<int> IAUX);
void XDNORM(double NU1, double NU2, int MU1, int MU2, std::span<double> PRIN,
            std::span<int> IAUX);
void XDPORD(double NU1, double NU2, int MU1, int MU2, double THETA, double X, double SX, int ID,
            std::span<double> PRIN, std::span<int> IAUX);
void XDQORD(double NU1, double NU2, int MU1, int MU2, double THETA, double X, double SX, int ID,
            std::span<double> PRIN, std::span<int> IAUX);
void XDQDEG(double NU1, double NU2, int MU1, double THETA, double X, double SX, int ID,
            std::span<double> PRIN, std::span<int> IAUX);

} // namespace ormeda::detail
