// Fixed-point output fields (Fw.d): right-aligned, rounded half away from zero on
// the value's exact decimal expansion, no zero before the decimal point, a minus
// sign kept on a negative value that rounds to zero when its magnitude reaches a
// tenth of the last decimal place, and asterisks when the text is too wide.
#pragma once

#include <string>

namespace ormeda {

// Appends the field of width `width` with `decimals` decimals to `out`.
void appendFixed(std::string& out, double value, int width, int decimals);

std::string fixedField(double value, int width, int decimals);

} // namespace ormeda
