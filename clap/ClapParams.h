#pragma once
// How the effect's parameters look to a CLAP host. Parameter i of the
// effect has the id i, for good: hosts keep ids in sessions and automation.
//
// CLAP hosts show and automate plain values, so each parameter is given in
// its own units where it has finite ones: a range from its first to its
// last real value (cents, seconds, bars), a choice by its number (stepped).
// A gain reaches silence at -inf dB, which no plain range can hold: it is
// given from 0 to 1 and its text is still in dB. Every conversion goes
// through the effect parameter's own mapping and texts on a value of our
// own, so none of them touches a program.

#include <clap/ext/params.h>

namespace KAMO {

class KEffect;
class KEffectParameter;

class ClapParams {
public:
    explicit ClapParams(KEffect& effect);

    std::uint32_t count() const { return static_cast<std::uint32_t>(count_); }
    bool isKnown(clap_id id) const { return id < static_cast<clap_id>(count_); }

    bool info(std::uint32_t index, clap_param_info_t& out) const;
    // The value as the current program holds it, plain.
    bool value(clap_id id, double& plain) const;
    // False for an unknown id; NaN and values beyond the range are shown
    // as the nearest value the parameter holds.
    bool text(clap_id id, double plain, char* out, std::uint32_t size) const;
    bool valueOfText(clap_id id, const char* text, double& plain) const;

    // Plain and normalised values; both clamp, NaN reads as the bottom.
    double normalisedOf(clap_id id, double plain) const;
    double plainOf(clap_id id, double normalised) const;

private:
    const KEffectParameter* parameter(clap_id id) const;
    bool isGain(clap_id id) const;

    KEffect& effect_;
    int count_;
};

}  // namespace KAMO
