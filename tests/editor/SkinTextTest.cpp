// Checks the compiled-in editor resources as the plug-in sees them: the skin
// text, the sprite sheets it names and the typeface it installs.

#include "EditorTestSupport.h"
#include "xp/ResourceTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string resourceText(const char* name) {
    std::uint64_t size = 0;
    const unsigned char* data = XP::findResource(name, &size);
    return data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

std::vector<std::string> rawLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Words of one skin line, as the skin reader cuts them: comment from the
// first '#', blanks between words, double quotes around a word with blanks.
std::vector<std::string> words(std::string line) {
    line = line.substr(0, line.find('#'));
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            std::size_t end = line.find('"', i + 1);
            if (end == std::string::npos) end = line.size();
            out.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else {
            std::size_t end = line.find_first_of(" \t\r", i);
            if (end == std::string::npos) end = line.size();
            out.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return out;
}

std::vector<std::vector<std::string>> skinLines() {
    std::vector<std::vector<std::string>> out;
    for (const std::string& line : rawLines(resourceText("MurlanSkin.txt"))) {
        std::vector<std::string> w = words(line);
        if (!w.empty()) out.push_back(w);
    }
    return out;
}

struct Rect {
    int page, x, y, w, h;
};

// AddControl lines of one control type, keyed by their first argument.
std::multimap<std::string, Rect> controls(const std::string& type) {
    std::multimap<std::string, Rect> out;
    for (const auto& w : skinLines()) {
        if (w.size() >= 8 && w[0] == "AddControl" && w[6] == type)
            out.emplace(w[7], Rect{std::stoi(w[1]), std::stoi(w[2]), std::stoi(w[3]),
                                   std::stoi(w[4]), std::stoi(w[5])});
    }
    return out;
}

struct PngHeader {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colourType = -1;
};

std::uint32_t bigEndian(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

bool readPngHeader(const char* name, PngHeader& header) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::uint64_t size = 0;
    const unsigned char* data = XP::findResource(name, &size);
    if (!data || size < 33 || std::string(reinterpret_cast<const char*>(data + 12), 4) != "IHDR")
        return false;
    for (int i = 0; i < 8; ++i)
        if (data[i] != signature[i]) return false;
    header.width = bigEndian(data + 16);
    header.height = bigEndian(data + 20);
    header.depth = data[24];
    header.colourType = data[25];
    return true;
}

}  // namespace

TEST(SkinText, EveryLineEndsInCrLfAndStaysWithinTheReaderLimits) {
    std::string text = resourceText("MurlanSkin.txt");
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(text.back(), '\n');
    EXPECT_EQ(text.rfind("# Murlan Skin\r\n", 0), 0u);
    int number = 0;
    for (const std::string& line : rawLines(text)) {
        ++number;
        ASSERT_FALSE(line.empty()) << "bare LF before line " << number;
        EXPECT_EQ(line.back(), '\r') << "line " << number;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\r'), 1) << "line " << number;
        // The reader hands out lines of at most 254 characters and 32 words.
        EXPECT_LT(line.size(), 254u) << "line " << number;
        EXPECT_LT(words(line).size(), 32u) << "line " << number;
    }
}

TEST(SkinText, EachParameterHasOneKnobAndOneReadOutBelowIt) {
    auto knobs = controls("KPotDot");
    auto values = controls("KValue");
    EXPECT_EQ(knobs.size(), std::size_t(MurlanParameters::kParameterCount));
    EXPECT_EQ(values.size(), std::size_t(MurlanParameters::kParameterCount));
    for (const KAMO::KParameterInfo& info : MurlanParameters::kInfo) {
        const char* name = info.name;
        SCOPED_TRACE(name);
        ASSERT_EQ(knobs.count(name), 1u);
        ASSERT_EQ(values.count(name), 1u);
        const Rect& k = knobs.find(name)->second;
        const Rect& v = values.find(name)->second;
        EXPECT_EQ(k.page, 1);
        EXPECT_EQ(v.page, 1);
        EXPECT_EQ(k.w, 40);
        EXPECT_EQ(k.h, 40);
        EXPECT_EQ(v.w, 60);
        EXPECT_EQ(v.h, 15);
        EXPECT_EQ(v.x, k.x - 10);
        EXPECT_EQ(v.y, k.y + 45);
    }
}

TEST(SkinText, TheArtworkLayoutGivesEveryKnobACaptionAndADeclaredPanel) {
    // What render.sh would refuse, found before anyone runs it.
    std::ifstream file(std::string(MURLAN_SOURCE_DIR) + "/resources/artwork/layout.txt");
    ASSERT_TRUE(file);
    std::stringstream text;
    text << file.rdbuf();
    std::set<std::string> panels;
    std::map<std::string, std::string> panelOf;
    for (const std::string& line : rawLines(text.str())) {
        const std::vector<std::string> w = words(line);
        if (w.size() >= 3 && w[0] == "panel") panels.insert(w[1]);
        if (w.size() == 4 && w[0] == "knob") panelOf[w[1]] = w[3];
    }
    for (const auto& knob : controls("KPotDot")) {
        SCOPED_TRACE(knob.first);
        ASSERT_EQ(panelOf.count(knob.first), 1u) << "no knob line in layout.txt";
        EXPECT_EQ(panels.count(panelOf[knob.first]), 1u) << "undeclared panel";
    }
}

TEST(SkinText, KnobsAndReadOutsNeverOverlapOrLeaveTheEditorAndThePlaceOfTheNextKnobStaysFree) {
    // The tabs (on every page) and the logo, which the artwork paints at the
    // home link's place on every page, take room on the instrument page too.
    // A knob's caption and scale are painted in the 23 px above it.
    constexpr int kCaptionRoom = 23;
    std::vector<Rect> rects;
    for (const auto& knob : controls("KPotDot")) {
        Rect r = knob.second;
        rects.push_back({r.page, r.x, r.y - kCaptionRoom, r.w, r.h + kCaptionRoom});
    }
    // The layout's free place: a knob there, its read-out and caption, and
    // the 6 px of panel the artwork paints around them.
    std::ifstream layout(std::string(MURLAN_SOURCE_DIR) + "/resources/artwork/layout.txt");
    std::stringstream layoutText;
    layoutText << layout.rdbuf();
    for (const std::string& line : rawLines(layoutText.str())) {
        const std::vector<std::string> w = words(line);
        if (w.size() != 4 || w[0] != "free") continue;
        constexpr int kPanelPadding = 6;
        const int x = std::stoi(w[1]), y = std::stoi(w[2]);
        rects.push_back({1, x - 10 - kPanelPadding, y - kCaptionRoom - kPanelPadding,
                         60 + 2 * kPanelPadding, kCaptionRoom + 60 + 2 * kPanelPadding});
    }
    for (const char* type : {"KValue", "KImgCommand", "KPageSelHlt"})
        for (const auto& entry : controls(type)) rects.push_back(entry.second);
    for (const auto& link : controls("KUrl"))
        if (link.second.x == 0 && link.second.y == 0) rects.push_back(link.second);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const Rect& a = rects[i];
        EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.w <= 540 && a.y + a.h <= 395)
            << a.x << "," << a.y;
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const Rect& b = rects[j];
            bool apart =
                a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
            // Controls of two pages never show together, unless one is on all.
            const bool together =
                a.page == b.page || a.page == 0 || b.page == 0 || a.x + a.y == 0 || b.x + b.y == 0;
            EXPECT_TRUE(apart || !together)
                << a.x << "," << a.y << " overlaps " << b.x << "," << b.y;
        }
    }
}

TEST(SkinText, CommandButtonsAndTabsUseTheirImagesAndPages) {
    auto commands = controls("KImgCommand");
    ASSERT_EQ(commands.size(), 3u);
    std::map<std::string, std::string> imageOf;
    for (const auto& w : skinLines())
        if (w.size() >= 9 && w[0] == "AddControl" && w[6] == "KImgCommand") imageOf[w[7]] = w[8];
    EXPECT_EQ(imageOf["PartRnd"], "partrnd");
    EXPECT_EQ(imageOf["FullRnd"], "fullrnd");
    EXPECT_EQ(imageOf["AutoLevel"], "autolvl");

    auto tabs = controls("KPageSelHlt");
    ASSERT_EQ(tabs.size(), 3u);
    for (const auto& tab : tabs) EXPECT_EQ(tab.second.page, 0) << "tab for page " << tab.first;
    EXPECT_EQ(controls("KUrl").size(), 2u);
}

TEST(SkinText, EveryFileTheSkinNamesIsEmbedded) {
    int files = 0;
    for (const auto& w : skinLines()) {
        std::string file;
        if (w.size() >= 3 && w[0] == "InstallTTF")
            file = w[2];
        else if (w.size() >= 4 && w[0] == "AddResource" && w[2] == "PngResource")
            file = w[3];
        if (file.empty()) continue;
        ++files;
        std::uint64_t size = 0;
        EXPECT_NE(XP::findResource(file.c_str(), &size), nullptr) << file;
        EXPECT_GT(size, 0u) << file;
    }
    EXPECT_EQ(files, 5);
}

TEST(SkinText, EveryLineResolvesOnTheInstrument) {
    // A line whose names do not resolve is dropped without a word, so count
    // what the builder made: 3 tabs, 3 commands, a knob and a read-out per
    // parameter, 2 links, 10 labels and the sound list; 7 colours, 3 fonts,
    // 4 images and the typeface.
    EditorTest::TestMurlan effect;
    auto skin = EditorTest::buildSkin(&effect, resourceText("MurlanSkin.txt"));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width(), 540);
    EXPECT_EQ(skin->height(), 395);
    EXPECT_EQ(skin->pageCount(), 3);
    EXPECT_EQ(skin->controls().count(), 3 + 3 + 2 * MurlanParameters::kParameterCount + 2 + 10 + 1);
    EXPECT_EQ(skin->resources().count(), 15);
    ASSERT_EQ(skin->backgrounds().count(), 3);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(skin->backgrounds().get(page - 1)->page(), page);
        EXPECT_EQ(skin->backgrounds().get(page - 1)->frame(), page - 1);
    }
}

TEST(SkinImages, SheetsAreRgbaAndHoldTheDeclaredFrames) {
    int sheets = 0;
    for (const auto& w : skinLines()) {
        if (w.size() < 7 || w[0] != "AddResource" || w[2] != "PngResource") continue;
        ++sheets;
        SCOPED_TRACE(w[3]);
        PngHeader png;
        ASSERT_TRUE(readPngHeader(w[3].c_str(), png));
        EXPECT_EQ(png.depth, 8);
        EXPECT_EQ(png.colourType, 6);  // RGBA
        // Frames lie side by side in one row.
        EXPECT_EQ(png.width, std::uint32_t(std::stoi(w[4]) * std::stoi(w[6])));
        EXPECT_EQ(png.height, std::uint32_t(std::stoi(w[5])));
    }
    EXPECT_EQ(sheets, 4);
}

TEST(SkinImages, SheetsHaveTheSizesTheEditorLayoutNeeds) {
    const struct {
        const char* name;
        std::uint32_t width, height;
    } expected[] = {{"Murlan.png", 1620, 395},
                    {"MurlanAutoLvl.png", 140, 35},
                    {"MurlanFullRnd.png", 170, 20},
                    {"MurlanPartRnd.png", 170, 20}};
    for (const auto& e : expected) {
        PngHeader png;
        ASSERT_TRUE(readPngHeader(e.name, png)) << e.name;
        EXPECT_EQ(png.width, e.width) << e.name;
        EXPECT_EQ(png.height, e.height) << e.name;
    }
}

TEST(SkinFont, TypefaceIsATrueTypeFileWithGlyphOutlines) {
    std::uint64_t size = 0;
    const unsigned char* data = XP::findResource("KSans.ttf", &size);
    ASSERT_NE(data, nullptr);
    ASSERT_GT(size, 12u);
    EXPECT_EQ(bigEndian(data), 0x00010000u);  // TrueType outlines, not CFF
    // The table directory must list the tables a rasteriser needs.
    int tables = (data[4] << 8) | data[5];
    ASSERT_LE(12u + 16u * tables, size);
    std::set<std::string> tags;
    for (int i = 0; i < tables; ++i)
        tags.insert(std::string(reinterpret_cast<const char*>(data + 12 + 16 * i), 4));
    for (const char* tag : {"cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp"})
        EXPECT_EQ(tags.count(tag), 1u) << tag;
}
