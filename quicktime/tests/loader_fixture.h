// Runs each loader test on a fresh fake machine with the binding back at its load-time state.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "quicktime/qt_binding.h"
#include "quicktime/qt_path_text.h"
#include "quicktime/tests/fake_platform.h"
#include "quicktime/tests/fake_quicktime.h"

// A path written with '|' for the separator the loader appends on this build.
inline std::string native(std::string path) {
    for (char& c : path)
        if (c == '|') c = qt_path::separator;
    return path;
}

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        qt_reset_binding_for_tests();
        fake_quicktime::reset();
        platform::install_platform(&os);
    }
    void TearDown() override {
        platform::install_platform(nullptr);
        qt_reset_binding_for_tests();
        fake_quicktime::reset();
    }

    // A QuickTime.qts in folder (given with its final separator) exporting all entries
    // but `missing`, with version a.b.c.d unless it has none.
    FakePlatform::Library& install_quicktime(const std::string& folder, const std::string& missing = {}) {
        FakePlatform::Library& library = os.add_library(folder + "QuickTime.qts");
        fake_quicktime::export_entries(library, missing);
        return library;
    }
    void give_version(const std::string& folder, std::uint32_t most, std::uint32_t least) {
        os.versions[folder + "QuickTime.qts"] = {most, least};
    }

    FakePlatform os;
};
