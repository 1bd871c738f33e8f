#include "framework/NumberText.h"

#include "shell/AudioEffect.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <stdlib.h>
#include <strings.h>

namespace KAMO {
namespace {

// Texts of this program use a decimal point; a host that switched the
// process locale must not turn "0.5" into "0,5" or read "2.5" as 2.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return locale;
}

inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

void formatNumber(char* text, int size, int decimals, double value) {
    if (!text || size <= 0) return;
    if (value < -DBL_MAX) {
        std::snprintf(text, std::size_t(size), "-Inf");
        return;
    }
    if (value > DBL_MAX) {
        std::snprintf(text, std::size_t(size), "Inf");
        return;
    }
    if (decimals < 0) decimals = 0;
    if (decimals > 20) decimals = 20;
    char format[8];
    std::snprintf(format, sizeof(format), "%%.%df", decimals);

    locale_t c = cLocale();
    locale_t previous = c ? uselocale(c) : locale_t(0);
    std::snprintf(text, std::size_t(size), format, value);
    if (c) uselocale(previous);
    vstDropNegativeZero(text);
}

double parseNumber(const char* text) {
    if (!text) return 0.0;
    if (strcasecmp(text, "-Inf") == 0) return -HUGE_VAL;
    if (strcasecmp(text, "Inf") == 0) return HUGE_VAL;

    // Only decimal notation counts: "nan" would slip through every clamp
    // downstream, and "0x..." is not how anyone types a level.
    const char* p = text;
    while (isSpace(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (strncasecmp(p, "nan", 3) == 0) return 0.0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return negative ? -0.0 : 0.0;

    locale_t c = cLocale();
    return c ? strtod_l(text, nullptr, c) : std::strtod(text, nullptr);
}

}  // namespace KAMO
