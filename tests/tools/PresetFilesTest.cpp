// Program and bank files: the ones the build writes for the factory
// library, plughost's save command and --preset option, and the files it
// must refuse without touching the plug-in.

#include "tools/plughost/PluginHost.h"
#include "tools/plughost/PresetFiles.h"
#include "tools/plughost/Subcommands.h"
#include "xp/FxChunkFile.h"

#include "TempPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#if defined(MURLAN_PLUGIN) && defined(MURLAN_FXP_FOLDER)

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

int save(const plughost::SubcommandArgs& args, std::string* err = nullptr) {
    std::ostringstream out, errors;
    const int status = plughost::runSave(args, out, errors);
    if (err) *err = errors.str();
    return status;
}

const std::string kBell = std::string(MURLAN_FXP_FOLDER) + "/Bells and mallets/Glass Bell.fxp";
const std::string kBank = std::string(MURLAN_FXP_FOLDER) + "/Murlan Library 1.fxb";

}  // namespace

TEST(PresetFiles, WhatPlughostSavesOfALoadedFileIsThatFileByteForByte) {
    const std::string fxp = faketest::tempPath("bell.fxp"), fxb = faketest::tempPath("bank.fxb");
    std::string err;
    // By name from the library beside the plug-in, and from a file.
    ASSERT_EQ(save({MURLAN_PLUGIN, fxp, "--preset", "glass bell"}, &err), 0) << err;
    EXPECT_EQ(readBytes(fxp), readBytes(kBell));
    ASSERT_EQ(save({MURLAN_PLUGIN, fxp, "--preset", kBell}), 0);
    EXPECT_EQ(readBytes(fxp), readBytes(kBell));
    ASSERT_EQ(save({MURLAN_PLUGIN, fxb, "--preset", kBank}), 0);
    EXPECT_EQ(readBytes(fxb), readBytes(kBank));

    // A saved file read back and saved again: the same bytes.
    ASSERT_EQ(save({MURLAN_PLUGIN, fxp, "--preset", "Sub Bass", "--set", "Detune2=7"}), 0);
    const std::string again = faketest::tempPath("again.fxp");
    ASSERT_EQ(save({MURLAN_PLUGIN, again, "--preset", fxp}), 0);
    EXPECT_EQ(readBytes(again), readBytes(fxp));
    XP::FxChunkFile file;
    const Bytes bytes = readBytes(fxp);
    ASSERT_TRUE(XP::FxChunkFile::decode(bytes.data(), bytes.size(), file, &err)) << err;
    EXPECT_EQ(file.programName, "Sub Bass");
    EXPECT_EQ(XP::FxChunkFile::fourCCText(file.pluginId), "vQxe");

    // A bank from a file is the bank effSetChunk gives.
    plughost::PluginHost host;
    auto fromFile = host.load(MURLAN_PLUGIN, &err);
    auto fromChunk = host.load(MURLAN_PLUGIN, &err);
    ASSERT_TRUE(fromFile && fromChunk) << err;
    ASSERT_TRUE(plughost::loadPresetFile(*fromFile, kBank, &err)) << err;
    const Bytes bankBytes = readBytes(kBank);
    ASSERT_TRUE(XP::FxChunkFile::decode(bankBytes.data(), bankBytes.size(), file, &err));
    EXPECT_GT(fromChunk->setChunk(file.chunk, false), 0);
    EXPECT_EQ(fromFile->getChunk(false), fromChunk->getChunk(false));
    EXPECT_EQ(fromFile->programNameIndexed(0), "Init");
    for (const std::string& path : {fxp, fxb, again}) std::remove(path.c_str());
}

TEST(PresetFiles, AMalformedFileIsRefusedWithItsReasonAndTheBankStaysAsItWas) {
    const Bytes good = readBytes(kBell);
    ASSERT_GT(good.size(), XP::FxChunkFile::kProgramHeader);
    auto changed = [&](std::size_t at, const char* four) {
        Bytes b = good;
        std::copy(four, four + 4, b.begin() + static_cast<long>(at));
        return b;
    };
    auto withChunk = [&](std::size_t length) {  // sizes that agree, a chunk of `length`
        XP::FxChunkFile file;
        std::string error;
        XP::FxChunkFile::decode(good.data(), good.size(), file, &error);
        file.chunk.resize(length);
        return file.encode();
    };
    Bytes cut = good;
    cut.resize(good.size() - 10);
    Bytes bankAsProgram = readBytes(kBank);
    struct Case {
        const char* what;
        Bytes bytes;
        const char* says;
        const char* extension;
    };
    const std::vector<Case> cases = {
        {"magic", changed(0, "CcnX"), "CcnK", ".fxp"},
        {"byte size", changed(4, "\0\0\0\x01"), "bytes", ".fxp"},
        {"cut off", cut, "bytes", ".fxp"},
        {"kind", changed(8, "FPXX"), "neither", ".fxp"},
        {"parameter list", changed(8, "FxCk"), "parameter values", ".fxp"},
        {"plug-in", changed(16, "abcd"), "'abcd'", ".fxp"},
        {"chunk cut in a value", withChunk(good.size() - XP::FxChunkFile::kProgramHeader - 3),
         "refused", ".fxp"},
        {"long chunk", withChunk(good.size()), "takes", ".fxp"},
        {"tiny", Bytes(good.begin(), good.begin() + 20), "too short", ".fxp"},
        {"bank as program", bankAsProgram, "holds a bank", ".fxp"},
        {"program as bank", good, "holds a program", ".fxb"},
    };
    plughost::PluginHost host;
    std::string error;
    auto plugin = host.load(MURLAN_PLUGIN, &error);
    ASSERT_TRUE(plugin) << error;
    ASSERT_TRUE(plughost::applyPresetOption(*plugin, "Siren", &error)) << error;
    const Bytes before = plugin->getChunk(false);
    for (const Case& c : cases) {
        const std::string path = faketest::tempPath(std::string("bad") + c.extension);
        writeBytes(path, c.bytes);
        error.clear();
        EXPECT_FALSE(plughost::loadPresetFile(*plugin, path, &error)) << c.what;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
        EXPECT_NE(error.find("nothing loaded"), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(plugin->getChunk(false), before) << c.what;
        // The command line says the same and fails.
        std::string err;
        EXPECT_EQ(save({MURLAN_PLUGIN, faketest::tempPath("out.fxp"), "--preset", path}, &err), 1);
        EXPECT_NE(err.find(c.says), std::string::npos) << c.what << ": " << err;
        std::remove(path.c_str());
    }
    EXPECT_FALSE(plughost::applyPresetOption(*plugin, "No Such Sound", &error));
    EXPECT_NE(error.find("No Such Sound"), std::string::npos);
    EXPECT_EQ(plugin->getChunk(false), before);
    EXPECT_EQ(save({MURLAN_PLUGIN, faketest::tempPath("out.txt")}), 2);
}

// Files of the release before (one parameter fewer) load as the plug-in
// reads their chunks; a header's sizes never wrap; a name of the whole
// field is read as what is written back.
TEST(PresetFiles, OlderReleasesFilesLoadAndHeaderFieldsAreReadAsWritten) {
    const Bytes bankBytes = readBytes(kBank);
    XP::FxChunkFile file;
    std::string error;
    ASSERT_TRUE(XP::FxChunkFile::decode(bankBytes.data(), bankBytes.size(), file, &error));
    plughost::PluginHost host;
    auto plugin = host.load(MURLAN_PLUGIN, &error);
    auto direct = host.load(MURLAN_PLUGIN, &error);
    ASSERT_TRUE(plugin && direct) << error;
    const std::size_t record = plugin->getChunk(true).size(), older = record - 8;
    const std::size_t programs = file.chunk.size() / record;
    ASSERT_EQ(programs * record, file.chunk.size());
    Bytes cut;
    for (std::size_t p = 0; p < programs; ++p)
        cut.insert(cut.end(), file.chunk.begin() + long(p * record),
                   file.chunk.begin() + long(p * record + older));
    file.chunk = cut;
    const std::string path = faketest::tempPath("older.fxb");
    writeBytes(path, file.encode());
    ASSERT_TRUE(plughost::loadPresetFile(*plugin, path, &error)) << error;
    EXPECT_EQ(direct->setChunk(cut, false), VstIntPtr(cut.size()));
    const Bytes loaded = plugin->getChunk(false);
    EXPECT_EQ(loaded, direct->getChunk(false));
    for (std::size_t p = 0; p < programs; ++p)
        EXPECT_TRUE(std::equal(cut.begin() + long(p * older), cut.begin() + long((p + 1) * older),
                               loaded.begin() + long(p * record)))
            << p;
    std::remove(path.c_str());

    // A byte size near the top of the signed range, and one that wraps it.
    const std::pair<const char*, const char*> sizes[] = {
        {"\x7F\xFF\xFF\xFF", "gives 2147483655 bytes"},
        {"\xFF\xFF\xFF\xF8", "gives 4294967296 bytes"}};
    for (const auto& [size, says] : sizes) {
        Bytes bytes(XP::FxChunkFile::kProgramHeader, 0);
        std::copy_n("CcnK", 4, bytes.begin());
        std::copy_n(size, 4, bytes.begin() + 4);
        std::copy_n("FPCh", 4, bytes.begin() + 8);
        error.clear();
        EXPECT_FALSE(XP::FxChunkFile::decode(bytes.data(), bytes.size(), file, &error));
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
    // 28 name bytes without a terminator: read as the 27 that are written.
    XP::FxChunkFile named;
    named.programName = std::string(27, 'n');
    Bytes bytes = named.encode();
    bytes[28 + 27] = 'x';
    ASSERT_TRUE(XP::FxChunkFile::decode(bytes.data(), bytes.size(), file, &error)) << error;
    EXPECT_EQ(file.programName, named.programName);
    EXPECT_EQ(file.encode(), named.encode());
}

#endif
