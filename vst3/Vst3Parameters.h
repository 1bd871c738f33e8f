#pragma once
// How the effect's parameters look to a VST 3 host. Parameter i of the
// effect has the id i, for good: hosts store ids in sessions and
// automation. Two parameters of the face follow them, with ids far above
// any the effect will reach: the program change (a list of the program
// names, which hosts show as a program selector) and the pitch bend, which
// VST 3 delivers only as a parameter (hidden: it is played, not edited).
//
// What a parameter is comes from the effect's descriptor rows
// (KParameterInfo): title, units, steps, choices, and its group, which
// becomes a unit of its own under the root unit (hosts show them as
// folders). Every conversion goes through the effect parameter's own
// mapping and texts, on a value of our own, so none of them touches a
// program.

#include "vst3/Vst3Com.h"

#include <string>
#include <vector>

namespace KAMO {

class KEffect;
class KEffectParameter;

class Vst3Parameters {
public:
    static constexpr v3_param_id kProgramId = 0x10000;
    static constexpr v3_param_id kBendId = 0x10001;
    // The one unit (the root) and its program list.
    static constexpr std::int32_t kRootUnit = 0;
    static constexpr std::int32_t kProgramListId = 1;

    explicit Vst3Parameters(KEffect& effect);

    // The effect's parameters, then the program change, then the bend.
    int count() const { return effectCount_ + 2; }
    int effectCount() const { return effectCount_; }
    int programCount() const { return programCount_; }
    bool isKnown(v3_param_id id) const {
        return id < static_cast<v3_param_id>(effectCount_) || id == kProgramId || id == kBendId;
    }

    v3_result info(int index, v3_param_info& out) const;
    // Text of a normalised value (NaN and values beyond [0, 1] shown as the
    // nearest value the parameter holds); false for an unknown id.
    bool text(v3_param_id id, double normalised, char* out, int size) const;
    // The normalised value a text stands for; false when it names none.
    bool valueOfText(v3_param_id id, const char* text, double& normalised) const;
    // The parameter's real value (cents, seconds, dB, choice, program
    // number, bend from -1 to 1) and back.
    double plain(v3_param_id id, double normalised) const;
    double normalisedOf(v3_param_id id, double plain) const;
    // Program numbers and their normalised values.
    int programOf(double normalised) const;
    double programValue(int program) const;
    // What a stepped parameter offers: steps between its ends, 0 when continuous.
    int stepCount(v3_param_id id) const;

    // Units: the root, then one per group in the order groups first appear
    // (unit id = 1 + that order).
    int unitCount() const { return 1 + static_cast<int>(groups_.size()); }
    v3_result unitInfo(int index, v3_unit_info& out) const;

private:
    const KEffectParameter* parameter(v3_param_id id) const;
    std::int32_t unitOf(int index) const;

    KEffect& effect_;
    int effectCount_;
    int programCount_;
    std::vector<std::string> groups_;
    std::string rootName_;
};

}  // namespace KAMO
