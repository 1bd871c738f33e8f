// Links: the opener command, its length limit and its shell quoting.

#include "ControlTestRig.h"

#include "editor/controls/KUrl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace KAMO;
using namespace ControlTest;

namespace {

std::string command(const std::string& url) {
    char out[KUrl::kCommandSize];
    if (!KUrl::buildCommand(out, url.c_str())) return "";
    return out;
}

// What the shell makes of the quoted URL word of a command: the word is
// handed to printf instead of the opener, so nothing but printing can run.
std::string shellWord(const std::string& cmd) {
    const std::string prefix = "xdg-open ";
    std::string word = cmd.substr(prefix.size());
    const std::size_t end = word.rfind('\'');
    word = word.substr(0, end + 1);
    FILE* sh = popen(("printf '%s' " + word).c_str(), "r");
    std::string out;
    char buffer[256];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, sh)) > 0) out.append(buffer, n);
    pclose(sh);
    return out;
}

class RecordingUrl : public KUrl {
public:
    using KUrl::KUrl;
    std::vector<std::string> commands;

protected:
    void runCommand(const char* cmd) override { commands.push_back(cmd); }
};

}  // namespace

TEST(KUrlControl, UrlsOfSevenCharactersOrFewerOpenNothing) {
    EXPECT_EQ(command(""), "");
    EXPECT_EQ(command("http://"), "");
    EXPECT_EQ(command("http://a"), "xdg-open 'http://a' &");
}

TEST(KUrlControl, ShellMetacharactersStayInsideTheUrl) {
    for (const std::string& url :
         {std::string("http://x/';echo injected;'"), std::string("http://x/$(id)`id`;ls|cat&\"q\""),
          std::string("http://x/a'b''c")}) {
        const std::string cmd = command(url);
        ASSERT_FALSE(cmd.empty());
        EXPECT_EQ(shellWord(cmd), url);
    }
}

TEST(KUrlControl, LongUrlsLoseTheBackgroundMarkerFirstThenTheirEnd) {
    // Opener, blank and the two quotes take 11 characters, " &" two more.
    const std::string fits(114, 'u');
    EXPECT_EQ(command(fits), "xdg-open '" + fits + "' &");
    EXPECT_EQ(command(fits + "v"), "xdg-open '" + fits + "v' ");
    EXPECT_EQ(command(fits + "vw"), "xdg-open '" + fits + "vw'");
    const std::string cut = command(std::string(200, 'z'));
    EXPECT_EQ(cut.size(), 127u);
    EXPECT_EQ(cut.back(), '\'');
    // A quote near the cut is never split from its escape.
    const std::string quotes = command(std::string(110, 'q') + "''''''''");
    EXPECT_EQ(quotes, "xdg-open '" + std::string(110, 'q') + "'\\''' &");
    EXPECT_EQ(shellWord(quotes), std::string(110, 'q') + "'");
}

TEST(KUrlControl, ReleaseOpensTheLinkOnceAndNeverCaptures) {
    Rig rig;
    RecordingUrl link(rig.setup(0, 0, 165, 55, 2), "https://example.org/");
    EXPECT_EQ(link.cursorAt(3, 3), KEditorControl::kCursorHand);
    EXPECT_FALSE(link.leftUp(false, false, 3, 3));
    ASSERT_EQ(link.commands.size(), 1u);
    EXPECT_EQ(link.commands[0], "xdg-open 'https://example.org/' &");
}
