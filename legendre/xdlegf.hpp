// Associated Legendre functions of real degree and integer order on the cut,
// x = cos(THETA) with 0 < THETA <= pi/2, computed in extended-range arithmetic.
#pragma once

#include <span>

namespace ormeda {

// Kinds of function selected by ID.
inline constexpr int kLegendrePNegativeOrder = 1; // P^(-mu)_nu
inline constexpr int kLegendreQ = 2;              // Q^mu_nu
inline constexpr int kLegendrePPositiveOrder = 3; // P^mu_nu, with the (-1)^mu phase
inline constexpr int kLegendreNormalised = 4;     // normalised P^mu_nu, integer nu only

// Computes the run nu = DNU1 ... DNU1 + NUDIFF at order MU1 = MU2, or the run of
// orders MU1 ... MU2 at degree DNU1, into PRIN and IAUX, which must hold at least
// (MU2 - MU1) + NUDIFF + 1 entries; entry i (1-based) is PRIN(i) * BASE^IAUX(i).
// Failures are reported through XERROR and leave the entries zero.
void XDLEGF(double DNU1, int NUDIFF, int MU1, int MU2, double THETA, int ID,
            std::span<double> PRIN, std::span<int> IAUX);

} // namespace ormeda
