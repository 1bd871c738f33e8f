#pragma once
// One row per parameter holding everything known about it: what hosts show
// (name, unit label), how values map (kind, range, steps or choices), the
// default in real units, the stable symbol hosts store it under and the
// group it belongs to. The effect builds its parameters from the rows, and
// every face (VST 2.4 names, the LV2 description, a VST 3 parameter list)
// and check reads the same rows, so a new parameter is one new row.

namespace KAMO {

class KEffectParameter;

struct KParameterInfo {
    enum Kind {
        // Linear from minimum to maximum, in `steps` equal steps (0: continuous).
        Range,
        // A gain shown in dB with `decimals` decimals, from silence (-inf dB)
        // at normalised 0 up to `maximum` dB at normalised 1.
        Decibels,
        // One of `steps` named choices; the real value is the choice's number.
        Choice
    };
    static constexpr int kMaxNameLength = 8;

    // At most kMaxNameLength characters: what the VST 2.4 name field holds,
    // and what the skin binds controls to.
    const char* name;
    // Never changes once released: hosts keep values under it (the LV2 port
    // symbol). A C identifier.
    const char* symbol;
    // Unit shown behind the value ("s", "dB"); "" for none.
    const char* label;
    Kind kind;
    // Range: the real values at normalised 0 and 1. Decibels: maximum only.
    double minimum;
    double maximum;
    int steps;
    int decimals;
    // In real units (seconds, dB, the choice's number).
    double byDefault;
    // Choice: `steps` names; null otherwise.
    const char* const* choices;
    // Which part of the instrument it belongs to ("Osc 1", "LFO", "Global"):
    // faces that group parameters use it, in the order groups first appear.
    const char* group;

    // Number of distinct values, or 0 for a continuous range or gain.
    int valueCount() const;

    // Rows read best written through these.
    static constexpr KParameterInfo range(const char* name, const char* symbol, const char* label,
                                          double minimum, double maximum, int steps, int decimals,
                                          double byDefault, const char* group) {
        return {name,  symbol,   label,     Range,   minimum, maximum,
                steps, decimals, byDefault, nullptr, group};
    }
    static constexpr KParameterInfo decibels(const char* name, const char* symbol, double maximum,
                                             int decimals, double byDefault, const char* group) {
        return {name, symbol, "dB", Decibels, 0.0, maximum, 0, decimals, byDefault, nullptr, group};
    }
    static constexpr KParameterInfo choice(const char* name, const char* symbol,
                                           const char* const* choices, int count, double byDefault,
                                           const char* group) {
        return {name,  symbol, "",        Choice,  0.0,  double(count - 1),
                count, 0,      byDefault, choices, group};
    }
};

// A new parameter made from a row, default stored through its mapping.
KEffectParameter* makeParameter(const KParameterInfo& info);

}  // namespace KAMO
