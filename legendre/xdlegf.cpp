// The Legendre library's entry point: validation and dispatch.
#include "xdlegf.hpp"

#include "legendre_detail.hpp"

namespace ormeda {

void XDLEGF(double, int, int, int, double, int, std::span<double>, std::span<int>) {}

} // namespace ormeda
