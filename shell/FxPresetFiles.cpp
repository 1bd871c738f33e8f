#include "shell/FxPresetFiles.h"

#include "framework/KEffect.h"
#include "framework/KPresetLibrary.h"
#include "xp/FxChunkFile.h"

#include <filesystem>
#include <fstream>

namespace KAMO {

namespace {

bool writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes,
                std::string* error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file && error) *error = "cannot write " + path.string();
    return static_cast<bool>(file);
}

}  // namespace

bool writeFxPresetFiles(KEffect& effect, const KPresetLibrary& library, const std::string& folder,
                        std::string* error) {
    AEffect* record = effect.getAeffect();
    ProgramBank& bank = effect.programBank();
    bank.resetPrograms();
    const unsigned char* defaults = bank.makeImage(0);
    const std::vector<unsigned char> defaultRecord(defaults, defaults + bank.recordLength());

    XP::FxChunkFile file;
    file.pluginId = record->uniqueID;
    file.pluginVersion = record->version;
    std::error_code failed;
    const std::filesystem::path top(folder);
    std::filesystem::remove_all(top, failed);
    for (const std::string& category : library.categories()) {
        std::filesystem::create_directories(top / category, failed);
        if (failed) {
            if (error) *error = "cannot make " + (top / category).string();
            return false;
        }
    }
    file.kind = XP::FxChunkFile::Program;
    file.count = effect.parameterCount();
    for (const KLibrarySound& sound : library.sounds()) {
        file.programName = sound.name;
        file.chunk = sound.record;
        if (!writeBytes(top / sound.category / (sound.name + ".fxp"), file.encode(), error))
            return false;
    }

    char name[kVstMaxEffectNameLen] = {};
    effect.getEffectName(name);
    const auto& sounds = library.sounds();
    const std::size_t perBank = static_cast<std::size_t>(bank.programCount());
    file.kind = XP::FxChunkFile::Bank;
    file.count = bank.programCount();
    file.programName.clear();
    for (std::size_t first = 0, number = 1; first < sounds.size(); first += perBank, ++number) {
        file.chunk.clear();
        for (std::size_t p = first; p < first + perBank; ++p) {
            const auto& next = p < sounds.size() ? sounds[p].record : defaultRecord;
            file.chunk.insert(file.chunk.end(), next.begin(), next.end());
        }
        const std::string bankName = std::string(name) + " Library " + std::to_string(number);
        if (!writeBytes(top / (bankName + ".fxb"), file.encode(), error)) return false;
    }
    return true;
}

}  // namespace KAMO
