#pragma once
// Process-wide table of the byte blocks compiled into the plug-in. Every
// block registers itself from a static initialiser, so the table is complete
// before the host calls the entry point. Blocks are borrowed, never copied.

#include <cstdint>

namespace XP {

struct ResourceEntry {
    const char* name;
    std::uint64_t size;
    const unsigned char* data;
};

// Appends a static entry; called by the generated registrars.
void registerResource(const ResourceEntry* entry);

// First entry whose name equals `name` ignoring letter case. Stores the size
// through `size` when given; answers null (size untouched) when none matches.
const unsigned char* findResource(const char* name, std::uint64_t* size = nullptr);

// The entries in the order they registered, which differs between builds:
// callers that list them sort by name.
int resourceCount();
const ResourceEntry* resourceAt(int index);

}  // namespace XP
