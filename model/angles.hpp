// Angle constants shared by the frame conversions, the cap basis and the field
// elements of one node.
#pragma once

namespace ormeda::model_detail {

// Multiplied to go from degrees to radians, divided to go back; the stored decimal is
// the one every routine of the model uses, so conversions agree to the last bit.
inline constexpr double kDegToRad = 0.017453292519943295;

} // namespace ormeda::model_detail
