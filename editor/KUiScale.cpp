#include "editor/KUiScale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>

namespace KAMO {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The Xft.dpi entry of the display's resource database (the one the desktop
// loads with xrdb), or "" when there is none.
std::string xftDpiOf(Display* display) {
    if (!display) return std::string();
    const char* text = XResourceManagerString(display);
    if (!text) return std::string();
    static std::once_flag once;
    std::call_once(once, [] { XrmInitialize(); });
    XrmDatabase database = XrmGetStringDatabase(text);
    if (!database) return std::string();
    std::string found;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
        found.assign(value.addr, strnlen(value.addr, value.size));
    XrmDestroyDatabase(database);
    return found;
}

}  // namespace

double KUiScale::parse(const char* text) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!text) return nan;
    const char* begin = text;
    const char* end = text + std::strlen(text);
    while (begin < end && isBlank(*begin)) ++begin;
    while (end > begin && isBlank(end[-1])) --end;
    if (begin < end && *begin == '+') ++begin;
    double value = nan;
    // from_chars reads the C locale's notation whatever the process locale;
    // what it reads beyond plain decimals (inf, nan) confine() turns away.
    const std::from_chars_result result =
        std::from_chars(begin, end, value, std::chars_format::fixed);
    if (begin == end || result.ec != std::errc() || result.ptr != end) return nan;
    return value;
}

float KUiScale::confine(double raw) {
    if (!std::isfinite(raw) || raw <= 0.0) return 0.0f;
    const double quarters = std::round(raw * 4.0) / 4.0;
    if (quarters < kMinimum) return kMinimum;
    if (quarters > kMaximum) return kMaximum;
    return static_cast<float>(quarters);
}

float KUiScale::choose(const Sources& sources) {
    float scale = confine(sources.host);
    if (scale == 0.0f) scale = confine(parse(sources.environment));
    if (scale == 0.0f) scale = confine(parse(sources.xftDpi) / 96.0);
    if (scale == 0.0f) scale = confine(parse(sources.gdk));
    return scale == 0.0f ? 1.0f : scale;
}

float KUiScale::forDisplay(_XDisplay* display, float hostRequest) {
    const std::string dpi = xftDpiOf(display);
    Sources sources;
    sources.host = hostRequest;
    sources.environment = std::getenv("MURLAN_UI_SCALE");
    sources.xftDpi = dpi.empty() ? nullptr : dpi.c_str();
    sources.gdk = std::getenv("GDK_SCALE");
    return choose(sources);
}

int KUiScale::toDevice(int length, float scale) {
    return static_cast<int>(std::lround(static_cast<double>(length) * scale));
}

}  // namespace KAMO
