#pragma once
// The built plug-in loaded in plughost, resumed at 48 kHz in blocks of 256,
// with a host window for its editor: what the tests that open the real
// editor start from. Skips without a display or a built plug-in; a derived
// SetUp goes on only when neither IsSkipped() nor HasFatalFailure().

#include "EditorTestSupport.h"

// Before any X11 header, whose macros clash with its names.
#include <gtest/gtest.h>

#include "tools/plughost/EditorHost.h"
#include "tools/plughost/PluginHost.h"

#include <memory>

namespace EditorTest {

class PluginEditorRig : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // How many edits of `kind` the host has heard so far.
    int count(plughost::EditEvent::Kind kind) const;

    plughost::PluginHost host;
    std::unique_ptr<plughost::PluginInstance> plugin;
    plughost::EditorHost window;
};

}  // namespace EditorTest
