#include "tools/plughost/PresetFiles.h"

#include "xp/FxChunkFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <strings.h>

namespace plughost {

namespace {

namespace fs = std::filesystem;

bool hasExtension(const std::string& path, const char* extension) {
    return strcasecmp(fs::path(path).extension().string().c_str(), extension) == 0;
}

// The program file called `name` in `folder` or one level below it.
std::string findProgramFile(const fs::path& folder, const std::string& name) {
    std::error_code failed;
    for (const auto& entry : fs::recursive_directory_iterator(folder, failed)) {
        const fs::path& path = entry.path();
        if (entry.is_regular_file(failed) && hasExtension(path.string(), ".fxp") &&
            strcasecmp(path.stem().string().c_str(), name.c_str()) == 0)
            return path.string();
    }
    return "";
}

}  // namespace

std::string presetFolderOf(const std::string& pluginPath) {
    const fs::path plugin(pluginPath);
    return (plugin.parent_path() / (plugin.stem().string() + "Presets")).string();
}

bool applyPresetOption(PluginInstance& plugin, const std::string& what, std::string* error) {
    if (hasExtension(what, ".fxp") || hasExtension(what, ".fxb"))
        return loadPresetFile(plugin, what, error);
    const std::string folder = presetFolderOf(plugin.path());
    const std::string path = findProgramFile(folder, what);
    if (path.empty()) {
        if (error) *error = "--preset " + what + ": no such program file in " + folder;
        return false;
    }
    return loadPresetFile(plugin, path, error);
}

bool loadPresetFile(PluginInstance& plugin, const std::string& path, std::string* error) {
    auto fail = [&](const std::string& message) {
        if (error) *error = path + ": " + message + "; nothing loaded";
        return false;
    };
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("cannot be read");
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    XP::FxChunkFile file;
    std::string problem;
    if (!XP::FxChunkFile::decode(bytes.data(), bytes.size(), file, &problem)) return fail(problem);
    const bool bank = file.kind == XP::FxChunkFile::Bank;
    if (hasExtension(path, bank ? ".fxp" : ".fxb"))
        return fail(std::string("holds a ") + (bank ? "bank" : "program") + ", not a " +
                    (bank ? "program" : "bank"));
    const VstInt32 id = plugin.effect()->uniqueID;
    if (file.pluginId != id)
        return fail("made for plug-in '" + XP::FxChunkFile::fourCCText(file.pluginId) +
                    "', this is '" + XP::FxChunkFile::fourCCText(id) + "'");
    if (!(plugin.flags() & effFlagsProgramChunks)) return fail("the plug-in keeps no chunks");
    if (bank && file.count != plugin.numPrograms())
        return fail("holds " + std::to_string(file.count) + " programs, the plug-in has " +
                    std::to_string(plugin.numPrograms()));
    // The plug-in alone knows which images it can read (an older release's
    // is shorter than today's): it is handed the file's chunk at the file's
    // length and its answer decides. A chunk longer than the plug-in's own
    // comes from a newer release and is refused here already.
    const std::size_t longest = plugin.getChunk(!bank).size();
    if (file.chunk.size() > longest)
        return fail("its chunk holds " + std::to_string(file.chunk.size()) +
                    " bytes, more than the plug-in's " + (bank ? "bank" : "program") + " takes (" +
                    std::to_string(longest) + ")");
    if (plugin.setChunk(file.chunk, !bank, longest) == 0)
        return fail("the plug-in refused the chunk");
    return true;
}

bool savePresetFile(PluginInstance& plugin, const std::string& path, bool bank,
                    std::string* error) {
    if (!(plugin.flags() & effFlagsProgramChunks)) {
        if (error) *error = "the plug-in keeps no chunks to save";
        return false;
    }
    XP::FxChunkFile file;
    file.kind = bank ? XP::FxChunkFile::Bank : XP::FxChunkFile::Program;
    file.pluginId = plugin.effect()->uniqueID;
    file.pluginVersion = plugin.effect()->version;
    file.count = bank ? plugin.numPrograms() : plugin.numParams();
    if (!bank) file.programName = plugin.programName();
    file.chunk = plugin.getChunk(!bank);
    const std::vector<unsigned char> bytes = file.encode();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace plughost
