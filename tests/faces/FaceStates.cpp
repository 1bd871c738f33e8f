#include "FaceStates.h"

#include <cstring>
#include <limits>

namespace facetest {

std::vector<std::uint8_t> withProgram(std::vector<std::uint8_t> bank, int program) {
    for (int i = 0; i < 4; ++i) bank.push_back(static_cast<std::uint8_t>(program >> (8 * i)));
    return bank;
}

std::size_t placeOfChangedDouble(const std::vector<std::uint8_t>& before,
                                 const std::vector<std::uint8_t>& after, double value) {
    for (std::size_t i = 0; i + sizeof value <= after.size() && i + sizeof value <= before.size();
         ++i)
        if (std::memcmp(&after[i], &value, sizeof value) == 0 &&
            std::memcmp(&before[i], &value, sizeof value) != 0)
            return i;
    return noPlace;
}

std::vector<std::vector<std::uint8_t>> spoiltStates(const std::vector<std::uint8_t>& good,
                                                    std::size_t valueAt) {
    std::vector<std::uint8_t> shortOne(good.begin(), good.end() - 1);
    std::vector<std::uint8_t> longOne = good;
    longOne.push_back(0);
    std::vector<std::uint8_t> badProgram = good;
    badProgram[badProgram.size() - 4] = 10;  // ten programs: 0 to 9
    std::vector<std::uint8_t> tooHigh = good, notANumber = good;
    const double high = 1.5, nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(&tooHigh[valueAt], &high, sizeof high);
    std::memcpy(&notANumber[valueAt], &nan, sizeof nan);
    return {shortOne, longOne, badProgram, tooHigh, notANumber};
}

}  // namespace facetest
