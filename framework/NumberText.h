#pragma once
// Numbers as the program shows and reads them: a point is the decimal
// separator whatever the process locale, and infinities read "-Inf"/"Inf".

namespace KAMO {

// Prints `value` with `decimals` decimals (clamped to 0..20) into `text`,
// truncated to `size` bytes including the terminator. A value that rounds
// to zero prints without a sign.
void formatNumber(char* text, int size, int decimals, double value);

// "-Inf" and "Inf" (whole text, any case) give infinities; otherwise the
// decimal number at the start of the text (trailing characters ignored).
// A text without a number, null, "nan" or hexadecimal notation gives 0.
double parseNumber(const char* text);

}  // namespace KAMO
