#include "editor/KUiScale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <algorithm>
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

namespace {

// The factor of a device width, kept within the allowed range.
float widthScale(int skinWidth, double deviceWidth) {
    const double lowest = skinWidth * static_cast<double>(KUiScale::kMinimum);
    const double highest = skinWidth * static_cast<double>(KUiScale::kMaximum);
    if (!(deviceWidth > lowest)) deviceWidth = lowest;
    if (deviceWidth > highest) deviceWidth = highest;
    return static_cast<float>(std::round(deviceWidth) / skinWidth);
}

}  // namespace

float KUiScale::nearestScale(int skinWidth, int skinHeight, int width, int height) {
    if (skinWidth < 1 || skinHeight < 1) return kMinimum;
    const double w = skinWidth, h = skinHeight;
    // The factor s minimising (s w - width)^2 + (s h - height)^2. Fed an
    // allowed size it gives that size back: the height's rounding moves s
    // by less than half a device pixel of width.
    const double s = (w * width + h * height) / (w * w + h * h);
    return widthScale(skinWidth, s * w);
}

float KUiScale::fittingScale(int skinWidth, int skinHeight, int width, int height) {
    if (skinWidth < 1 || skinHeight < 1) return kMinimum;
    const double byHeight = (static_cast<double>(height) + 0.5) * skinWidth / skinHeight;
    double device = std::floor(std::min(static_cast<double>(width), byHeight));
    float scale = widthScale(skinWidth, device);
    // The height's rounding may still overshoot by a pixel.
    while (toDevice(skinHeight, scale) > height && scale > kMinimum)
        scale = widthScale(skinWidth, toDevice(skinWidth, scale) - 1);
    return scale;
}

}  // namespace KAMO
