#pragma once
// The tremolo's waves, numbered as the choices of its parameter: hosts store
// the index, so the order never changes. Any other number is a silent wave.

#include <cstdint>

enum LfoWave : std::int32_t {
    kLfoSine,
    kLfoTriangle,
    kLfoSquare,
    kLfoRising,   // a ramp from -1 up to 1 over each cycle
    kLfoFalling,  // a ramp from 1 down to -1
    kLfoRandom,   // a new uniform value at the start of each cycle, held
    kLfoWaveCount
};
