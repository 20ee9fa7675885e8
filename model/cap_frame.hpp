// Geographic <-> cap frame on the geocentric sphere. CAPSET fixes the cap pole;
// GEOCAP converts a position and a north/east pair into the cap frame and remembers
// the rotation of horizontal components; CAPGEV rotates a later pair back with it.
#pragma once

namespace ormeda {

struct CapPole {
    double poleLat = 90.0; // degrees
    double poleLon = 0.0;  // degrees
    double sinPoleLat = 0.0;
    double cosPoleLat = 0.0;
    double cosGamma = 1.0; // rotation of horizontal components, geographic to cap axes
    double sinGamma = 0.0;
};

class CapFrame {
public:
    void CAPSET(double phiP, double lambdaP);
    // phi, lambda geocentric (deg), (U, V) north/east -> cap latitude and longitude (deg),
    // (Uc, Vc) in cap axes.
    void GEOCAP(double phi, double lambda, double U, double V, double& phiC, double& lambdaC,
                double& Uc, double& Vc);
    void CAPGEV(double Uc, double Vc, double& U, double& V) const;

    const CapPole& state() const { return pole_; }

private:
    CapPole pole_{};
};

} // namespace ormeda
