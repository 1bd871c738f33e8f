#include "framework/KPresetLibrary.h"

#include "framework/KEffect.h"
#include "xp/MemoryReader.h"
#include "xp/TokenReader.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <locale>
#include <sstream>
#include <strings.h>

namespace KAMO {

namespace {

// Program names longer than this are cut by the bank and by hosts.
constexpr std::size_t kMaxNameLength = ProgramBank::kNameLength;
// A value read back through the parameter's steps may differ from the text
// by rounding only.
constexpr double kStepTolerance = 1e-9;

bool readNumber(const char* text, double& value) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    in >> value;
    return !in.fail() && in.peek() == std::char_traits<char>::eof();
}

// The next line of `text` from `position` on, ended as the effect's reader
// ends one: at LF, at CR, or at CR LF. False at the end of the text.
bool nextLine(const std::string& text, std::size_t& position, std::string& line) {
    if (position >= text.size()) return false;
    const std::size_t end = text.find_first_of("\r\n", position);
    line.assign(text, position, end == std::string::npos ? std::string::npos : end - position);
    if (end == std::string::npos)
        position = text.size();
    else
        position =
            end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    return true;
}

std::string at(const std::string& source, int line) {
    return source + ":" + std::to_string(line) + ": ";
}

}  // namespace

std::string KPresetLibrary::checkValue(const KEffect& effect, int index, const char* text) {
    const KEffectParameter* p = effect.parameter(index);
    if (!p) return "no parameter " + std::to_string(index);
    if (const auto* choices = dynamic_cast<const KEnumParam*>(p)) {
        for (int c = 0; c < choices->choiceCount(); ++c)
            if (std::strcmp(choices->choiceText(c), text) == 0) return "";
        return std::string("\"") + text + "\" is none of " + p->name() + "'s choices";
    }
    const double low = p->toReal(0.0), high = p->toReal(1.0);
    // Silence is written as the parameter shows it.
    if (strcasecmp(text, "-inf") == 0 && std::isinf(low)) return "";
    double value = 0.0;
    if (!readNumber(text, value) || !std::isfinite(value))
        return std::string("\"") + text + "\" is not a number";
    if (value < low || value > high)
        return std::string(text) + " lies outside " + p->name() + "'s range";
    if (std::fabs(p->toReal(p->toNormalised(value)) - value) > kStepTolerance)
        return std::string(text) + " is not one of " + p->name() + "'s steps";
    return "";
}

bool KPresetLibrary::readFile(const KEffect& effect, const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error) *error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return readText(effect, text.str(), path, error);
}

bool KPresetLibrary::readFiles(const KEffect& effect, const char* const* paths, int count,
                               std::string* error) {
    for (int i = 0; i < count; ++i)
        if (!readFile(effect, paths[i], error)) return false;
    return true;
}

bool KPresetLibrary::readText(const KEffect& effect, const std::string& text,
                              const std::string& source, std::string* error) {
    auto fail = [&](int line, const std::string& message) {
        if (error) *error = at(source, line) + message;
        return false;
    };
    std::vector<KLibrarySound> found;
    std::string category;
    std::string raw;
    std::size_t position = 0;
    int number = 0;
    std::vector<bool> seen;
    // A bare CR ends a line here too: whatever the effect's reader takes for
    // a line of its own must have been checked as one.
    while (nextLine(text, position, raw)) {
        ++number;
        if (number == 1) {
            const std::size_t length = std::strlen(kHeader);
            if (raw.compare(0, length, kHeader) != 0 || raw.size() == length)
                return fail(number,
                            std::string("the first line must be \"") + kHeader + "CATEGORY\"");
            category = raw.substr(length);
            continue;
        }
        // The effect's reader would cut a longer line into pieces and read
        // the rest as a line of its own.
        if (raw.size() > static_cast<std::size_t>(XP::TokenReader::kDefaultLineLength - 2))
            return fail(number, "longer than " +
                                    std::to_string(XP::TokenReader::kDefaultLineLength - 2) +
                                    " characters");
        XP::MemoryReader one(raw);
        XP::TokenReader tokens(&one);
        if (!tokens.readLine() || tokens.tokenCount() == 0) continue;
        const int count = tokens.tokenCount();
        if (std::strcmp(tokens.token(0), "PRESET") == 0) {
            if (count != 2)
                return fail(number, "PRESET takes one name (quoted when it has blanks)");
            const std::string name = tokens.token(1);
            if (name.empty() || name.size() > kMaxNameLength)
                return fail(number,
                            "a name has 1 to " + std::to_string(kMaxNameLength) + " characters");
            // Names become the names of program files.
            if (name.find_first_of("/\\") != std::string::npos || name[0] == '.')
                return fail(number, "a name holds no slash and does not start with a dot");
            for (const auto* list : {&mSounds, &found})
                for (const KLibrarySound& s : *list)
                    if (strcasecmp(s.name.c_str(), name.c_str()) == 0)
                        return fail(number, "\"" + name + "\" is there already");
            found.push_back({name, category, {}, {}});
            seen.assign(static_cast<std::size_t>(effect.parameterCount()), false);
        } else if (std::strcmp(tokens.token(0), "SETSTR") == 0) {
            if (found.empty()) return fail(number, "SETSTR before the first PRESET");
            if (count != 3) return fail(number, "SETSTR takes a parameter name and a value");
            int index = -1;
            for (int i = 0; i < effect.parameterCount() && index < 0; ++i)
                if (std::strcmp(effect.parameter(i)->name(), tokens.token(1)) == 0) index = i;
            if (index < 0) return fail(number, std::string("no parameter ") + tokens.token(1));
            if (seen[static_cast<std::size_t>(index)])
                return fail(number, std::string(tokens.token(1)) + " is set twice");
            seen[static_cast<std::size_t>(index)] = true;
            const std::string wrong = checkValue(effect, index, tokens.token(2));
            if (!wrong.empty()) return fail(number, wrong);
            found.back().settings.emplace_back(index, tokens.token(2));
        } else {
            return fail(number, std::string("\"") + tokens.token(0) + "\" is no keyword");
        }
    }
    if (number == 0) return fail(1, "the file is empty");
    // A bank of the effect's size and parameters, so that the effect's own
    // programs stay as they are (the library is read in a running plug-in).
    ProgramBank bank(effect.parameters());
    bank.setupPrograms(effect.programBank().programCount());
    if (found.empty()) return fail(number, "no sounds");
    if (static_cast<int>(found.size()) > bank.programCount())
        return fail(number,
                    "more sounds than a bank holds (" + std::to_string(bank.programCount()) + ")");

    // The records come from the effect's own reader, so that they are what
    // the plug-in makes of this text.
    XP::MemoryReader whole(text);
    effect.readPresets(bank, whole);
    const int valuesLength = bank.recordLength() - ProgramBank::kFirstValueOffset;
    for (std::size_t s = 0; s < found.size(); ++s) {
        const unsigned char* image = bank.makeImage(static_cast<int>(s));
        found[s].record.assign(image, image + bank.recordLength());
        const unsigned char* record = found[s].record.data();
        for (const auto* list : {&mSounds, &found})
            for (const KLibrarySound& other : *list) {
                if (&other == &found[s] || other.record.empty()) continue;
                if (std::memcmp(other.record.data() + ProgramBank::kFirstValueOffset,
                                record + ProgramBank::kFirstValueOffset,
                                static_cast<std::size_t>(valuesLength)) == 0)
                    return fail(number, "\"" + found[s].name + "\" sounds the same as \"" +
                                            other.name + "\"");
            }
    }
    mSounds.insert(mSounds.end(), found.begin(), found.end());
    mCategories.push_back(category);
    return true;
}

const KLibrarySound* KPresetLibrary::find(const std::string& name) const {
    for (const KLibrarySound& s : mSounds)
        if (strcasecmp(s.name.c_str(), name.c_str()) == 0) return &s;
    return nullptr;
}

}  // namespace KAMO
