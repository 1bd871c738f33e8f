#pragma once
// Growable pointer arrays of the framework. PtrList never owns its elements;
// PtrMgr deletes every non-null element on clear() and on destruction.
// Growth is by a fixed step so that sizes are predictable (see setCount).

#include <cstring>

namespace KAMO {

template <typename T>
class PtrList {
public:
    static constexpr int kDefaultGrowth = 32;

    explicit PtrList(int growthStep = kDefaultGrowth)
        : mGrowth(growthStep > 0 ? growthStep : kDefaultGrowth) {}
    PtrList(const PtrList&) = delete;
    PtrList& operator=(const PtrList&) = delete;
    virtual ~PtrList() { delete[] mItems; }

    virtual void add(T* p) {
        if (mCount == mCapacity) reserveExactly(mCapacity + mGrowth);
        mItems[mCount++] = p;
    }
    virtual void clear() { mCount = 0; }
    virtual T* get(int i) const { return mItems[i]; }
    virtual int count() const { return mCount; }
    virtual void setCount(int n) {
        if (n < 0) n = 0;
        if (mCapacity < n) reserveExactly(n);
        mCount = n;
    }
    virtual void setCountFill(int n, T* p) {
        setCount(n);
        for (int i = 0; i < mCount; ++i) mItems[i] = p;
    }
    virtual void set(int i, T* p) { mItems[i] = p; }
    virtual bool isEmpty() const { return mCount == 0; }
    virtual void copyFrom(const PtrList& other) {
        if (&other == this) return;
        if (mCapacity < other.mCount) reserveExactly(other.mCount);
        if (other.mCount > 0) std::memcpy(mItems, other.mItems, sizeof(T*) * other.mCount);
        mCount = other.mCount;
    }
    virtual void assignFrom(const PtrList& other) { copyFrom(other); }

    int capacity() const { return mCapacity; }
    int growthStep() const { return mGrowth; }

    // First non-null entry whose name matches; earlier entries win.
    T* find(const char* text) const {
        for (int i = 0; i < mCount; ++i) {
            T* p = mItems[i];
            if (p && p->isNamed(text)) return p;
        }
        return nullptr;
    }
    // Index of the first entry that is p, or -1.
    int indexOf(const T* p) const {
        for (int i = 0; i < mCount; ++i)
            if (mItems[i] == p) return i;
        return -1;
    }

protected:
    void reserveExactly(int n) {
        T** items = new T*[n];
        if (mCount > 0) std::memcpy(items, mItems, sizeof(T*) * mCount);
        delete[] mItems;
        mItems = items;
        mCapacity = n;
    }

    T** mItems = nullptr;
    int mCapacity = 0;
    int mCount = 0;
    int mGrowth;
};

template <typename T>
class PtrMgr : public PtrList<T> {
public:
    using PtrList<T>::PtrList;
    ~PtrMgr() override { deleteAll(); }

    void clear() override {
        deleteAll();
        PtrList<T>::clear();
    }

private:
    void deleteAll() {
        for (int i = 0; i < this->count(); ++i) {
            delete this->get(i);
            this->set(i, nullptr);
        }
    }
};

}  // namespace KAMO
