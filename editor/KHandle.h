#pragma once
// Owner of one system handle (an X display, window, colormap or cursor, a
// GLX or nanovg context, a framebuffer, a thread): releases it exactly once,
// when reset or destroyed. Move-only. The release function is a plain
// function taking an optional context (usually the display the handle
// belongs to), so that each owner says in one line how its handle goes.

#include <utility>

namespace KAMO {

template <typename T>
class KHandle {
public:
    using Release = void (*)(void* context, T value);

    KHandle() = default;
    KHandle(T value, Release release, void* context = nullptr)
        : mValue(value), mRelease(release), mContext(context), mValid(true) {}
    ~KHandle() { reset(); }

    KHandle(const KHandle&) = delete;
    KHandle& operator=(const KHandle&) = delete;
    KHandle(KHandle&& other) noexcept { take(other); }
    KHandle& operator=(KHandle&& other) noexcept {
        if (this != &other) {
            reset();
            take(other);
        }
        return *this;
    }

    // Releases the handle now (if one is held).
    void reset() {
        if (mValid && mRelease) mRelease(mContext, mValue);
        mValid = false;
        mValue = T{};
        mRelease = nullptr;
        mContext = nullptr;
    }

    T get() const { return mValue; }
    bool isValid() const { return mValid; }
    explicit operator bool() const { return mValid; }

private:
    void take(KHandle& other) {
        mValue = other.mValue;
        mRelease = other.mRelease;
        mContext = other.mContext;
        mValid = other.mValid;
        other.mValid = false;
        other.mValue = T{};
        other.mRelease = nullptr;
        other.mContext = nullptr;
    }

    T mValue{};
    Release mRelease = nullptr;
    void* mContext = nullptr;
    bool mValid = false;
};

}  // namespace KAMO
