#pragma once
// The factory library as a page of the editor: the categories in a column
// at the left, the sounds of the chosen one in columns beside it. A click on
// a category shows its sounds; a click on a sound loads it into the current
// program (KEffect::loadLibrarySound), so that the host hears of it as of
// any edit. The loaded sound, and the category holding it, are marked.
// Lists longer than their room get a last row that pages through them.

#include "editor/controls/KEditorControl.h"

#include <vector>

namespace KAMO {

class KFont;

class KSoundList : public KEditorControl {
public:
    static constexpr int kRowHeight = 22;
    static constexpr int kCategoryWidth = 150;
    static constexpr int kGap = 12;
    static constexpr int kSoundColumns = 2;

    // `font` for the rows, `marked` for the loaded sound's; `row` fills the
    // chosen category, `loaded` the loaded sound's row.
    KSoundList(const ControlSetup& setup, const KFont* font, const KFont* marked,
               const unsigned char* row, const unsigned char* loaded);

    bool needsRedraw() override;
    void draw(KCanvas& canvas) override;
    int cursorAt(int x, int y) override;
    bool leftDown(bool shift, bool ctrl, int x, int y) override;

    // What a point of the control (control-relative) hits.
    struct Hit {
        enum Kind { kNothing, kCategory, kSound, kCategoryPage, kSoundPage };
        Kind kind;
        // The category or library sound index, or the page step (-1, +1).
        int value;
    };
    Hit hitAt(int x, int y) const;

    int shownCategory() const { return mCategory; }
    // Library indices of the sounds of category `category`.
    const std::vector<int>& soundsOf(int category) const;
    // Where the row of a library sound or a category is drawn (control-
    // relative), when on show; false otherwise.
    bool soundRect(int sound, int* x, int* y, int* width, int* height) const;
    bool categoryRect(int category, int* x, int* y, int* width, int* height) const;

private:
    // A column of `count` items of which `rows` rows fit: the items of one
    // page, and a pager row when they do not fit.
    struct Pages {
        int first;
        int shown;
        bool pager;
    };
    Pages pagesOf(int count, int rows, int page) const;
    int categoryRows() const;
    int soundRows() const;
    int soundColumnWidth() const;
    void followLoaded();
    void drawRow(KCanvas& canvas, int x, int y, int width, const char* text, bool marked,
                 const unsigned char* fill);
    void drawPager(KCanvas& canvas, int x, int y, int width, int page, int pages);

    const KFont* mFont;
    const KFont* mMarked;
    const unsigned char* mRow;
    const unsigned char* mLoaded;
    std::vector<std::vector<int>> mByCategory;
    int mCategory = 0;
    int mCategoryPage = 0;
    int mSoundPage = 0;
    // The loaded sound as last drawn; -2 before the first drawing.
    int mShownLoaded = -2;
};

}  // namespace KAMO
