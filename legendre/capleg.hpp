// Schmidt semi-normalised associated Legendre functions of real degree for the
// spherical cap basis: the value, its colatitude derivative and m*P/sin(theta).
#pragma once

namespace ormeda {

// m >= 0 order, n real degree (n > m), theta cap colatitude in degrees (0 < theta <= 90).
// P = P~_n^m(theta), dP = dP~/dtheta per radian, mPs = m*P~/sin(theta).
void CAPLEG(int m, double n, double theta, double& P, double& dP, double& mPs);

// One unnormalised value P^m_nu(cos thetaR) (with the (-1)^m phase) from XDLEGF;
// warns on the console when the value comes back in extended form.
double CAPPNM(double nu, int m, double thetaR);
// Schmidt factor sqrt(2 Gamma(nu - m + 1) / Gamma(nu + m + 1)) and its logarithm.
void CAPNRM(double nu, int m, double& lnK, double& K);
// ln Gamma(x), x > 0, by a six-term Lanczos approximation.
double CAPLGM(double x);

} // namespace ormeda
