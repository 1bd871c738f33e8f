#pragma once
// Base of every named framework object: a short, case-sensitive name and a
// run-time type hash that tells the concrete class of an object found by name.

#include <cstddef>
#include <typeinfo>

namespace KAMO {

class Named {
public:
    static constexpr int kNameLength = 35;

    Named();
    virtual ~Named() = default;

protected:
    char mName[kNameLength + 1];
};

class KIdBase : public Named {
public:
    KIdBase() = default;
    explicit KIdBase(const char* name);
    ~KIdBase() override = default;

    virtual const char* name() const { return mName; }
    // Only the first 35 characters count, letter case significant.
    virtual bool isNamed(const char* text) const;
    virtual std::size_t typeHash() const { return typeid(*this).hash_code(); }
    virtual void setName(const char* text);
    virtual bool isType(std::size_t hash) const { return typeHash() == hash; }
    virtual bool matches(const char* text, std::size_t hash) const {
        return isNamed(text) && isType(hash);
    }

    template <typename T>
    static std::size_t hashOf() {
        return typeid(T).hash_code();
    }
};

}  // namespace KAMO
