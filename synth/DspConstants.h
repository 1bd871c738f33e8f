#pragma once
// Numbers the synth's classes share.

// The rate every primitive assumes until the host names one.
constexpr double kDefaultSampleRate = 44100.0;
