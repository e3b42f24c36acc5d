// Runs each loader test on a fresh scripted machine (installed while the test lives) with the
// binding back at its load-time state.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "quicktime/qt_binding.h"
#include "quicktime/qt_path_text.h"
#include "quicktime/tests/scripted_machine.h"
#include "quicktime/tests/fake_quicktime.h"

// A path written with '|' for the separator the loader appends on this build.
inline std::string native(std::string path) {
    for (char& c : path)
        if (c == '|') c = platform::path_separator;
    return path;
}

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        qt_reset_binding_for_tests();
        fake_quicktime::reset();
    }
    void TearDown() override {
        qt_reset_binding_for_tests();
        fake_quicktime::reset();
    }

    // A QuickTime.qts in folder (given with its final separator) exporting all entries
    // but `missing`, with version a.b.c.d unless it has none.
    ScriptedMachine::Library& install_quicktime(const std::string& folder, const std::string& missing = {}) {
        ScriptedMachine::Library& library = os.add_library(folder + "QuickTime.qts");
        fake_quicktime::export_entries(library, missing);
        return library;
    }
    void give_version(const std::string& folder, std::uint32_t most, std::uint32_t least) {
        os.versions[folder + "QuickTime.qts"] = {most, least};
    }

    ScriptedMachine os;
};
