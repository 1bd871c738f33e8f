#include "editor/controls/KSoundList.h"

#include "editor/KCanvas.h"
#include "editor/KFont.h"
#include "framework/KEffect.h"
#include "framework/KPresetLibrary.h"

#include <algorithm>
#include <string>

namespace KAMO {

namespace {

constexpr int kPad = 8;
constexpr int kTextInset = 8;
// The mark before the loaded sound, and beside the category holding it.
constexpr unsigned char kMarkAlpha = 255;

const std::vector<int> kNoSounds;

}  // namespace

KSoundList::KSoundList(const ControlSetup& setup, const KFont* font, const KFont* marked,
                       const unsigned char* row, const unsigned char* loaded)
    : KEditorControl(setup), mFont(font), mMarked(marked), mRow(row), mLoaded(loaded) {
    addHandlers(kLeftDown | kCursorAt);
    if (!mEffect) return;
    const KPresetLibrary& library = mEffect->soundLibrary();
    const auto& categories = library.categories();
    mByCategory.resize(categories.size());
    for (std::size_t s = 0; s < library.sounds().size(); ++s) {
        const auto it =
            std::find(categories.begin(), categories.end(), library.sounds()[s].category);
        if (it != categories.end())
            mByCategory[static_cast<std::size_t>(it - categories.begin())].push_back(
                static_cast<int>(s));
    }
}

const std::vector<int>& KSoundList::soundsOf(int category) const {
    if (category < 0 || category >= static_cast<int>(mByCategory.size())) return kNoSounds;
    return mByCategory[static_cast<std::size_t>(category)];
}

int KSoundList::categoryRows() const { return std::max(2, (mHeight - 2 * kPad) / kRowHeight); }
int KSoundList::soundRows() const { return categoryRows(); }

int KSoundList::soundColumnWidth() const {
    const int area = mWidth - 2 * kPad - kCategoryWidth - kGap;
    return (area - (kSoundColumns - 1) * kGap) / kSoundColumns;
}

KSoundList::Pages KSoundList::pagesOf(int count, int rows, int page) const {
    if (count <= rows) return {0, count, false};
    const int perPage = rows - 1;
    const int first = page * perPage;
    return {first, std::min(perPage, count - first), true};
}

void KSoundList::followLoaded() {
    const int loaded = mEffect ? mEffect->currentLibrarySound() : -1;
    if (loaded == mShownLoaded) return;
    mShownLoaded = loaded;
    // Show where the loaded sound lives, as far as the lists go.
    for (std::size_t c = 0; c < mByCategory.size(); ++c) {
        const auto& sounds = mByCategory[c];
        const auto it = std::find(sounds.begin(), sounds.end(), loaded);
        if (it == sounds.end()) continue;
        mCategory = static_cast<int>(c);
        const int rows = categoryRows();
        mCategoryPage = static_cast<int>(mByCategory.size()) <= rows ? 0 : mCategory / (rows - 1);
        const int capacity = soundRows() * kSoundColumns;
        const int position = static_cast<int>(it - sounds.begin());
        mSoundPage = static_cast<int>(sounds.size()) <= capacity
                         ? 0
                         : position / ((soundRows() - 1) * kSoundColumns);
    }
}

bool KSoundList::needsRedraw() {
    const int loaded = mEffect ? mEffect->currentLibrarySound() : -1;
    return KEditorControl::needsRedraw() || loaded != mShownLoaded;
}

bool KSoundList::categoryRect(int category, int* x, int* y, int* width, int* height) const {
    const Pages pages =
        pagesOf(static_cast<int>(mByCategory.size()), categoryRows(), mCategoryPage);
    if (category < pages.first || category >= pages.first + pages.shown) return false;
    *x = kPad;
    *y = kPad + (category - pages.first) * kRowHeight;
    *width = kCategoryWidth;
    *height = kRowHeight - 2;
    return true;
}

bool KSoundList::soundRect(int sound, int* x, int* y, int* width, int* height) const {
    const std::vector<int>& sounds = soundsOf(mCategory);
    const auto it = std::find(sounds.begin(), sounds.end(), sound);
    if (it == sounds.end()) return false;
    const int rows = soundRows();
    const int count = static_cast<int>(sounds.size());
    const bool paged = count > rows * kSoundColumns;
    const int columnRows = paged ? rows - 1 : rows;
    const int perPage = columnRows * kSoundColumns;
    const int position = static_cast<int>(it - sounds.begin()) - (paged ? mSoundPage * perPage : 0);
    if (position < 0 || position >= perPage) return false;
    // Down the first column, then down the next.
    *x = kPad + kCategoryWidth + kGap + (position / columnRows) * (soundColumnWidth() + kGap);
    *y = kPad + (position % columnRows) * kRowHeight;
    *width = soundColumnWidth();
    *height = kRowHeight - 2;
    return true;
}

KSoundList::Hit KSoundList::hitAt(int x, int y) const {
    auto inside = [&](int rx, int ry, int rw, int rh) {
        return x >= rx && x < rx + rw && y >= ry && y < ry + rh + 2;
    };
    int rx, ry, rw, rh;
    for (int c = 0; c < static_cast<int>(mByCategory.size()); ++c)
        if (categoryRect(c, &rx, &ry, &rw, &rh) && inside(rx, ry, rw, rh))
            return {Hit::kCategory, c};
    for (int s : soundsOf(mCategory))
        if (soundRect(s, &rx, &ry, &rw, &rh) && inside(rx, ry, rw, rh)) return {Hit::kSound, s};
    const int pagerY = kPad + (categoryRows() - 1) * kRowHeight;
    if (y >= pagerY && y < pagerY + kRowHeight) {
        const int categories = static_cast<int>(mByCategory.size());
        if (categories > categoryRows() && inside(kPad, pagerY, kCategoryWidth, kRowHeight - 2))
            return {Hit::kCategoryPage, x < kPad + kCategoryWidth / 2 ? -1 : 1};
        const int left = kPad + kCategoryWidth + kGap;
        const int right = mWidth - kPad;
        if (static_cast<int>(soundsOf(mCategory).size()) > soundRows() * kSoundColumns &&
            x >= left && x < right)
            return {Hit::kSoundPage, x < (left + right) / 2 ? -1 : 1};
    }
    return {Hit::kNothing, 0};
}

int KSoundList::cursorAt(int x, int y) {
    return hitAt(x, y).kind == Hit::kNothing ? kCursorStandard : kCursorHand;
}

bool KSoundList::leftDown(bool, bool, int x, int y) {
    const Hit hit = hitAt(x, y);
    auto step = [](int page, int delta, int pages) { return (page + delta + pages) % pages; };
    switch (hit.kind) {
    case Hit::kNothing:
        return false;
    case Hit::kCategory:
        if (hit.value != mCategory) mSoundPage = 0;
        mCategory = hit.value;
        break;
    case Hit::kSound:
        if (mEffect) mEffect->loadLibrarySound(hit.value);
        break;
    case Hit::kCategoryPage: {
        const int perPage = categoryRows() - 1;
        const int count = static_cast<int>(mByCategory.size());
        mCategoryPage = step(mCategoryPage, hit.value, (count + perPage - 1) / perPage);
        break;
    }
    case Hit::kSoundPage: {
        const int perPage = (soundRows() - 1) * kSoundColumns;
        const int count = static_cast<int>(soundsOf(mCategory).size());
        mSoundPage = step(mSoundPage, hit.value, (count + perPage - 1) / perPage);
        break;
    }
    }
    invalidate();
    return true;
}

void KSoundList::drawRow(KCanvas& canvas, int x, int y, int width, const char* text, bool marked,
                         const unsigned char* fill) {
    if (fill) canvas.fillRectAlpha(x, y, width, kRowHeight - 2, fill);
    if (marked && mMarked && mMarked->colour()) {
        const unsigned char* c = mMarked->colour();
        const unsigned char mark[4] = {c[0], c[1], c[2], kMarkAlpha};
        canvas.fillCircle(mark, x + kTextInset / 2.0 + 1.0, y + (kRowHeight - 2) / 2.0, 2.5);
    }
    canvas.drawText(text, x + kTextInset + 2, 0 + y, width - kTextInset - 4, kRowHeight - 2,
                    marked ? mMarked : mFont, KCanvas::kAlignLeft);
}

void KSoundList::drawPager(KCanvas& canvas, int x, int y, int width, int page, int pages) {
    const std::string where = std::to_string(page + 1) + " / " + std::to_string(pages);
    canvas.drawText("< Prev", x + kTextInset, y, width / 2, kRowHeight - 2, mFont,
                    KCanvas::kAlignLeft);
    canvas.drawText(where.c_str(), x, y, width, kRowHeight - 2, mFont, KCanvas::kAlignCentre);
    canvas.drawText("Next >", x + width / 2, y, width / 2 - kTextInset, kRowHeight - 2, mFont,
                    KCanvas::kAlignRight);
}

void KSoundList::draw(KCanvas& canvas) {
    followLoaded();
    const KPresetLibrary* library = mEffect ? &mEffect->soundLibrary() : nullptr;
    if (!library) return;
    int x, y, w, h;
    const int categories = static_cast<int>(mByCategory.size());
    for (int c = 0; c < categories; ++c) {
        if (!categoryRect(c, &x, &y, &w, &h)) continue;
        const auto& sounds = mByCategory[static_cast<std::size_t>(c)];
        const bool holdsLoaded =
            std::find(sounds.begin(), sounds.end(), mShownLoaded) != sounds.end();
        drawRow(canvas, x, y, w, library->categories()[static_cast<std::size_t>(c)].c_str(),
                holdsLoaded, c == mCategory ? mRow : nullptr);
    }
    const int rows = categoryRows();
    const int pagerY = kPad + (rows - 1) * kRowHeight;
    if (categories > rows) {
        const int perPage = rows - 1;
        drawPager(canvas, kPad, pagerY, kCategoryWidth, mCategoryPage,
                  (categories + perPage - 1) / perPage);
    }
    for (int s : soundsOf(mCategory)) {
        if (!soundRect(s, &x, &y, &w, &h)) continue;
        drawRow(canvas, x, y, w, library->sounds()[static_cast<std::size_t>(s)].name.c_str(),
                s == mShownLoaded, s == mShownLoaded ? mLoaded : nullptr);
    }
    const int sounds = static_cast<int>(soundsOf(mCategory).size());
    if (sounds > soundRows() * kSoundColumns) {
        const int perPage = (soundRows() - 1) * kSoundColumns;
        const int left = kPad + kCategoryWidth + kGap;
        drawPager(canvas, left, pagerY, mWidth - kPad - left, mSoundPage,
                  (sounds + perPage - 1) / perPage);
    }
}

}  // namespace KAMO
