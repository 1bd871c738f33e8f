#pragma once
// What every object of the VST 3 face shares: the interface declarations
// (Debian's dpf-source, used where they are installed), the shape of an
// interface pointer, reference counts and the 16-bit strings of the format.
//
// A VST 3 interface pointer is the address of a pointer to a table of
// functions. Each object here holds one Vst3Face per interface it offers;
// the host gets the face's address, and every function of the table finds
// the object again through the face's owner.

#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>
#include <travesty/host.h>
#include <travesty/unit.h>
#include <travesty/view.h>

#include <atomic>
#include <cstdint>
#include <initializer_list>

namespace KAMO {

template <typename Owner>
struct Vst3Face {
    const void* table;
    Owner* owner;

    void* pointer() { return this; }
    static Owner* of(void* self) { return static_cast<Vst3Face*>(self)->owner; }
};

// The FUnknown entries of an owner's tables: each finds the owner through
// the face and asks its queryInterface, ref or unref.
template <typename Owner>
struct Vst3Unknown {
    static v3_result V3_API query(void* face, const v3_tuid iid, void** out) {
        return Vst3Face<Owner>::of(face)->queryInterface(iid, out);
    }
    static std::uint32_t V3_API ref(void* face) { return Vst3Face<Owner>::of(face)->ref(); }
    static std::uint32_t V3_API unref(void* face) { return Vst3Face<Owner>::of(face)->unref(); }

    template <typename Table>
    static void fill(Table& table) {
        table.query_interface = query;
        table.ref = ref;
        table.unref = unref;
    }
};

// A reference count that deletes its owner at zero.
template <typename Owner>
class Vst3RefCount {
public:
    std::uint32_t ref() { return ++count_; }
    std::uint32_t unref(Owner* owner) {
        const std::uint32_t left = --count_;
        if (left == 0) delete owner;
        return left;
    }

private:
    std::atomic<std::uint32_t> count_{1};
};

// A null id (hosts pass one by mistake) matches nothing.
inline bool sameId(const v3_tuid a, const v3_tuid b) { return a && b && v3_tuid_match(a, b); }

// Hands out `face` for `iid` when it is one of the ids given, with a reference.
template <typename Owner>
bool offerFace(const v3_tuid iid, Vst3Face<Owner>& face, void** out,
               std::initializer_list<const std::uint8_t*> ids) {
    for (const std::uint8_t* id : ids)
        if (sameId(iid, id)) {
            face.owner->ref();
            *out = face.pointer();
            return true;
        }
    return false;
}

// Calls on an interface pointer the host handed us.
template <typename T>
T* vst3Methods(T** object) {
    return v3_cpp_obj(object);
}
template <typename T>
void vst3Release(T** object) {
    if (object) v3_cpp_obj_unref(object);
}

// ASCII to the format's 16-bit strings and back; other characters become
// '?', and the terminator always fits.
void toUtf16(std::int16_t* out, int size, const char* text);
void fromUtf16(char* out, int size, const std::int16_t* text);
void copyText(char* out, int size, const char* text);

}  // namespace KAMO
