#include "xp/ResourceTable.h"

#include <strings.h>

namespace XP {
namespace {

// A plain growable array rather than a standard container: it is built by
// static initialisers of other translation units, so it must come into being
// on first use (function-local static) and stay trivially simple.
struct Table {
    const ResourceEntry** items = nullptr;
    int capacity = 0;
    int count = 0;
    int growth = 16;

    ~Table() { delete[] items; }

    void add(const ResourceEntry* e) {
        if (count == capacity) {
            const ResourceEntry** grown = new const ResourceEntry*[capacity + growth];
            for (int i = 0; i < count; ++i) grown[i] = items[i];
            delete[] items;
            items = grown;
            capacity += growth;
        }
        items[count++] = e;
    }
};

Table& table() {
    static Table t;
    return t;
}

}  // namespace

void registerResource(const ResourceEntry* entry) {
    if (entry && entry->name) table().add(entry);
}

const unsigned char* findResource(const char* name, std::uint64_t* size) {
    if (!name) return nullptr;
    const Table& t = table();
    for (int i = 0; i < t.count; ++i) {
        if (strcasecmp(t.items[i]->name, name) == 0) {
            if (size) *size = t.items[i]->size;
            return t.items[i]->data;
        }
    }
    return nullptr;
}

int resourceCount() { return table().count; }

const ResourceEntry* resourceAt(int index) {
    const Table& t = table();
    return index >= 0 && index < t.count ? t.items[index] : nullptr;
}

}  // namespace XP
