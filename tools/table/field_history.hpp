// The made-up field history of the demonstration table: a tilted geocentric dipole
// whose boreal pole wanders within about 12 degrees of the geographic north pole and
// whose moment varies smoothly, so that the intensity over Europe stays between about
// 47 and 73 microtesla from 0 to 1900 AD. The table maker fits the cap model to it;
// the validation tests compare the program's maps with it.
#pragma once

#include <array>

namespace ormeda::demo {

struct DipoleState {
    double poleLat = 90.0; // geocentric latitude of the boreal pole, degrees
    double poleLon = 0.0;  // its longitude, degrees east
    double moment = 0.0;   // dipole moment, 1e22 A m^2
};

// The dipole at a date in decimal years AD.
DipoleState dipoleAt(double year);

// Unit vector, Earth-centred Cartesian, towards the boreal pole at that date.
std::array<double, 3> dipoleAxis(double year);

// Equatorial field at the model's reference radius, microtesla: mu0/(4 pi) m / a^3.
double equatorialField(double moment);

} // namespace ormeda::demo
