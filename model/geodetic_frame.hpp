// Geodetic <-> geocentric conversion on the GRS 80 ellipsoid. GDGC converts a
// position and a north/down pair and remembers the angle between the two verticals;
// GCGDV rotates a later north/down pair back with that remembered angle.
#pragma once

namespace ormeda {

struct FrameAngle {
    double sinDelta = 0.0; // delta = geodetic minus geocentric latitude of the last GDGC
    double cosDelta = 0.0;
};

class GeodeticFrame {
public:
    // phi geodetic latitude (deg), h height (km), (X, Z) north/down in geodetic axes ->
    // psi geocentric latitude (deg), r radius (km), (Xc, Zc) in geocentric axes.
    void GDGC(double phi, double h, double X, double Z, double& psi, double& r, double& Xc,
              double& Zc);
    void GCGDV(double Xc, double Zc, double& X, double& Z) const;

    const FrameAngle& state() const { return angle_; }

private:
    FrameAngle angle_{};
};

} // namespace ormeda
