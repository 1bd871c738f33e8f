#pragma once
// What the adapter faces' state tests share: a face's saved state is the
// VST 2.4 bank chunk with the current program after it, and a loader must
// refuse any state spoilt in the ways below without changing a thing.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace facetest {

// `bank` followed by `program` as four little-endian bytes.
std::vector<std::uint8_t> withProgram(std::vector<std::uint8_t> bank, int program);

// Where `after` holds `value` as a double that `before` does not hold
// there: the place a state keeps a value just changed; `noPlace` if none.
constexpr std::size_t noPlace = static_cast<std::size_t>(-1);
std::size_t placeOfChangedDouble(const std::vector<std::uint8_t>& before,
                                 const std::vector<std::uint8_t>& after, double value);

// `good` a byte short, a byte long, with a program past the tenth, and
// with the double at `valueAt` too high (1.5) or not a number.
std::vector<std::vector<std::uint8_t>> spoiltStates(const std::vector<std::uint8_t>& good,
                                                    std::size_t valueAt);

}  // namespace facetest
