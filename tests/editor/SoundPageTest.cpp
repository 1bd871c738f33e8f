// The Sounds page of the real editor: a click on a sound loads exactly that
// sound (its values and its name) into the current program and nowhere
// else, the page marks it, and the host hears of each value that changed
// as a whole gesture on the thread that idles the editor.

#include "PluginEditorRig.h"
#include "SkinPlaces.h"

#include "editor/controls/KSoundList.h"
#include "framework/KPresetLibrary.h"
#include "synth/Murlan.h"
#include "tools/plughost/EditorHost.h"
#include "tools/plughost/HostIdler.h"

#include <set>
#include <thread>

using KAMO::KSoundList;
using plughost::EditEvent;
using plughost::EditorImage;

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Where the skin puts the list, and its rows (KSoundList's geometry), read
// once the tests run: the skin is a resource registered at start-up.
const EditorTest::SkinPlace& list() {
    static const EditorTest::SkinPlace place = EditorTest::soundList();
    return place;
}
constexpr int kPad = 8;
int rows() { return (list().h - 2 * kPad) / KSoundList::kRowHeight; }
int soundsX() { return list().x + kPad + KSoundList::kCategoryWidth + KSoundList::kGap; }
int columnWidth() {
    return (list().w - 2 * kPad - KSoundList::kCategoryWidth - 2 * KSoundList::kGap) /
           KSoundList::kSoundColumns;
}
// The loaded row's fill over the page's dark panel.
constexpr EditorImage::Rgb kLoadedRow{49, 86, 120};

int rowY(int row) { return list().y + kPad + row * KSoundList::kRowHeight; }

class SoundPage : public EditorTest::PluginEditorRig {
protected:
    bool until(const std::function<bool()>& done) {
        return plughost::idleUntil([&] { window.idle(); }, done, 10000);
    }
    int loadedRowPixels(int column, int row) {
        EditorImage shot;
        if (!window.screenshot(shot)) return -1;
        return shot.countNear(kLoadedRow, 12,
                              soundsX() + column * (columnWidth() + KSoundList::kGap), rowY(row),
                              columnWidth(), KSoundList::kRowHeight - 2);
    }
};

}  // namespace

TEST_F(SoundPage, AClickLoadsExactlyThatSoundIntoTheCurrentProgramAndTheHostHearsWholeGestures) {
    Murlan synth(quietHost);
    const KAMO::KPresetLibrary& library = synth.soundLibrary();
    ASSERT_GE(library.categories().size(), 2u) << "the library is not embedded";
    // The last sound of the last category: a row other than the first.
    const int category = static_cast<int>(library.categories().size()) - 1;
    std::vector<int> sounds;
    for (std::size_t s = 0; s < library.sounds().size(); ++s)
        if (library.sounds()[s].category == library.categories().back())
            sounds.push_back(static_cast<int>(s));
    ASSERT_GE(sounds.size(), 2u);
    ASSERT_LE(static_cast<int>(sounds.size()), rows() * KSoundList::kSoundColumns);
    const int position = static_cast<int>(sounds.size()) - 1;
    const KAMO::KLibrarySound& wanted = library.sounds()[static_cast<std::size_t>(sounds.back())];

    plugin->setProgram(3);
    const auto otherBefore = (plugin->setProgram(2), plugin->getChunk(true));
    plugin->setProgram(3);
    std::vector<float> before;
    for (int i = 0; i < plugin->numParams(); ++i) before.push_back(plugin->getParameter(i));

    std::string error;
    ASSERT_TRUE(window.open(*plugin, &error)) << error;
    ASSERT_TRUE(until([&] {
        EditorImage shot;
        return window.screenshot(shot) && shot.width() == 540 &&
               shot.countNear({0, 0, 0}, 8, 268, 195, 4, 4) == 0;
    })) << "no picture";
    host.clearEdits();
    window.click(EditorTest::tab(3).centreX(), EditorTest::tab(3).centreY());
    ASSERT_TRUE(until([&] {
        EditorImage shot;
        // The page's dark list panel where the main page has its knobs.
        return window.screenshot(shot) && shot.countNear({18, 23, 29}, 6, 440, 330, 20, 20) > 300;
    })) << "no Sounds page";
    window.click(list().x + kPad + 20, rowY(category) + 10);
    const int column = position / rows(), row = position % rows();
    const int x = soundsX() + column * (columnWidth() + KSoundList::kGap) + 30;
    EXPECT_EQ(loadedRowPixels(column, row), 0);
    window.click(x, rowY(row) + 10);
    ASSERT_TRUE(until([&] { return plugin->getChunk(true) == wanted.record; }))
        << "the program is not the sound";
    EXPECT_EQ(plugin->programName(), wanted.name);

    std::set<int> changed;
    for (int i = 0; i < plugin->numParams(); ++i)
        if (plugin->getParameter(i) != before[static_cast<std::size_t>(i)]) changed.insert(i);
    ASSERT_FALSE(changed.empty());
    ASSERT_TRUE(
        until([&] { return count(EditEvent::EndEdit) == static_cast<int>(changed.size()); }));
    // The mark follows the loaded sound once the page has caught up.
    EXPECT_TRUE(until([&] { return loadedRowPixels(column, row) > 500; }));

    // Begin with the value before, the new value, end: one gesture per
    // changed value, in order, on the thread that idles the editor.
    const auto edits = host.edits();
    ASSERT_EQ(edits.size(), 4 * changed.size());
    std::set<int> told;
    for (std::size_t g = 0; g < edits.size(); g += 4) {
        const int index = edits[g].index;
        const EditEvent::Kind kinds[] = {EditEvent::BeginEdit, EditEvent::Automate,
                                         EditEvent::Automate, EditEvent::EndEdit};
        for (std::size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(edits[g + k].kind, kinds[k]) << "callback " << g + k;
            EXPECT_EQ(edits[g + k].index, index) << "callback " << g + k;
            EXPECT_EQ(edits[g + k].thread, std::this_thread::get_id()) << "callback " << g + k;
        }
        EXPECT_FLOAT_EQ(edits[g + 1].value, before[static_cast<std::size_t>(index)]);
        EXPECT_FLOAT_EQ(edits[g + 2].value, plugin->getParameter(index));
        told.insert(index);
    }
    EXPECT_EQ(told, changed);

    window.close();
    plugin->setProgram(2);
    EXPECT_EQ(plugin->getChunk(true), otherBefore) << "another program changed";
}
