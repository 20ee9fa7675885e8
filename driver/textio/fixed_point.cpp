// Fixed-point field editing.
#include "fixed_point.hpp"

namespace ormeda {

void appendFixed(std::string& out, double /*value*/, int width, int /*decimals*/) {
    out.append(static_cast<std::size_t>(width), '*');
}

std::string fixedField(double value, int width, int decimals) {
    std::string out;
    appendFixed(out, value, width, decimals);
    return out;
}

} // namespace ormeda
