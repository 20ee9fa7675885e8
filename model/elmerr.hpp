// Field elements at a node and their 95% errors: the basis weighted by the
// coefficients at the chosen date, rotated back to geodetic axes.
#pragma once

#include "cap_basis.hpp"
#include "epoch_row.hpp"

namespace ormeda {

struct FieldElements {
    double D = 0.0;  // declination, degrees
    double I = 0.0;  // inclination, degrees
    double F = 0.0;  // intensity, unit of the table's scale column
    double eD = 0.0; // 95% errors, same units
    double eI = 0.0;
    double eF = 0.0;
};

// Uses the rotations that the same node's CAPBAS left in `frames`; phi is the node's
// geodetic latitude in degrees after the nudge.
void ELMERR(const NodeFrames& frames, const CapBasis& basis, const EpochRow& row, double phi,
            FieldElements& out);

} // namespace ormeda
