#pragma once
// The state the plug-in faces that keep one blob (VST 3, CLAP) save and
// restore through their host bridge: the effect's bank image (the bytes of the VST 2.4 bank chunk)
// followed by the current program as a little-endian 32-bit number. The
// bank of an older release (fewer parameters) is taken, the others get
// their defaults; bytes of any other length, or with a value outside
// [0, 1] or a program outside the bank, are refused and change nothing.

#include <cstddef>
#include <vector>

namespace KAMO {

class KEffect;
class KHostBridge;

namespace KFaceState {

// Today's state is the longest one: a reader takes at most this many bytes
// and refuses more.
std::size_t longest(const KEffect& effect);
// Empty when the effect gives no bank.
std::vector<unsigned char> save(KHostBridge& bridge);
// Takes a whole state or nothing (KHostBridge::takeState checks it);
// false when refused.
bool load(KHostBridge& bridge, const unsigned char* bytes, std::size_t size);

}  // namespace KFaceState

}  // namespace KAMO
