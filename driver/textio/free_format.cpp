// Free-format numeric reader.
#include "free_format.hpp"

#include <utility>

namespace ormeda {

FreeFormatError::FreeFormatError(Kind kind, std::string what, std::size_t itemsRead, long line,
                                 std::string token)
    : std::runtime_error(std::move(what)), kind_(kind), itemsRead_(itemsRead), line_(line),
      token_(std::move(token)) {}

FreeFormatReader::FreeFormatReader(std::istream& in) : in_(in) {}

void FreeFormatReader::read(std::span<double> /*targets*/) {
    throw FreeFormatError(FreeFormatError::Kind::EndOfInput, "not implemented", 0, line_, {});
}

} // namespace ormeda
