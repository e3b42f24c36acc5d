// The first QuickTime call: loading, binding, the version decision and the reference query,
// including the paths where some of it fails.
#include <cstdint>
#include <string>
#include <vector>

#include "quicktime/qt_calls.h"
#include "quicktime/qt_loader.h"
#include "quicktime/qt_selectors.h"
#include "quicktime/tests/loader_fixture.h"

namespace {

const std::string qt_folder = native("C:|Program Files|QuickTime|");
const std::string qt_library = qt_folder + "QuickTime.qts";
const std::vector<std::string> all_entries = {"_CallComponentFunctionWithStorage", "_CallComponent",
                                              "theQuickTimeDispatcher"};

constexpr std::uint32_t version_ms(std::uint32_t a, std::uint32_t b) { return a << 16 | b; }

class LazyBindTest : public LoaderTest {
protected:
    // QuickTime found through "QTSysDir".
    ScriptedMachine::Library& quicktime(const std::string& missing = {}) {
        os.registry["QTSysDir"] = qt_folder;
        os.existing_folders.insert(qt_folder.substr(0, qt_folder.size() - 1));
        return install_quicktime(qt_folder, missing);
    }
    int dispatched(std::uint32_t selector) const {
        int count = 0;
        for (const auto& call : fake_quicktime::calls) count += call.selector == selector;
        return count;
    }
};

struct VersionCase {
    const char* name;
    std::uint32_t most;
    std::uint32_t least;
    bool passes;
};

class VersionRule : public LazyBindTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionRule, DecidesWhetherTheReferenceIsHandedBack) {
    const VersionCase& c = GetParam();
    ScriptedMachine::Library& library = quicktime();
    give_version(qt_folder, c.most, c.least);

    EXPECT_EQ(GetMoviesStickyError(), 0);
    EXPECT_EQ(qt_version_passed, c.passes);
    EXPECT_TRUE(qt_version_checked);
    EXPECT_EQ(dispatched(qt_selector::qtml_reference_query), c.passes ? 1 : 0);
    EXPECT_EQ(library.references, c.passes ? 0 : 1);
    EXPECT_EQ(qt_module == nullptr, c.passes);
    EXPECT_EQ(os.live_blocks, 0) << "the version block is freed";
    // The module's name is read into 261 bytes: a full MAX_PATH name and its zero.
    EXPECT_EQ(os.module_name_sizes, std::vector<std::uint32_t>{261});
}

INSTANTIATE_TEST_SUITE_P(
    LazyBindTest, VersionRule,
    ::testing::Values(VersionCase{"v7_0_2_0", version_ms(7, 0), version_ms(2, 0), true},
                      VersionCase{"v7_0_1_99", version_ms(7, 0), version_ms(1, 99), false},
                      VersionCase{"v7_0_258_0_counts_as_7_0_2_0", version_ms(7, 0), version_ms(258, 0), true},
                      VersionCase{"v7_0_257_0_counts_as_7_0_1_0", version_ms(7, 0), version_ms(257, 0), false},
                      VersionCase{"v7_0_1_512_counts_as_7_0_1_0", version_ms(7, 0), version_ms(1, 512), false},
                      VersionCase{"v7_0_2_5", version_ms(7, 0), version_ms(2, 5), true},
                      VersionCase{"v7_1_0_0", version_ms(7, 1), version_ms(0, 0), true},
                      VersionCase{"v8_0_0_0", version_ms(8, 0), version_ms(0, 0), true},
                      VersionCase{"v6_9_9_9", version_ms(6, 9), version_ms(9, 9), false},
                      VersionCase{"v7_256_0_0_counts_as_7_0_0_0", version_ms(7, 256), version_ms(0, 0), false},
                      VersionCase{"v7_7_9_0", version_ms(7, 7), version_ms(9, 0), true},
                      VersionCase{"v128_0_0_0_compared_unsigned", version_ms(128, 0), version_ms(0, 0), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LazyBindTest, NoVersionResourceFailsAndKeepsTheLibraryLoaded) {
    ScriptedMachine::Library& library = quicktime();

    EXPECT_EQ(GetMoviesStickyError(), 0) << "bound and in use even though the version failed";
    EXPECT_TRUE(qt_version_checked);
    EXPECT_FALSE(qt_version_passed);
    EXPECT_EQ(dispatched(qt_selector::qtml_reference_query), 0);
    EXPECT_EQ(library.references, 1);
    EXPECT_EQ(os.path_of(qt_module), qt_library);
    EXPECT_EQ(qt_bind_hook, nullptr);
}

TEST_F(LazyBindTest, TheVersionDecisionIsMadeOnce) {
    quicktime();
    give_version(qt_folder, version_ms(6, 0), 0);
    qt_module = os.load_library(qt_library.c_str());
    EXPECT_FALSE(qt_check_version());
    give_version(qt_folder, version_ms(7, 7), version_ms(9, 0));
    EXPECT_FALSE(qt_check_version());
    EXPECT_EQ(os.version_reads, 1);
}

TEST_F(LazyBindTest, ABoundQuickTimeIsReleasedWhenItStaysLoadedWithoutUs) {
    ScriptedMachine::Library& library = quicktime();
    give_version(qt_folder, version_ms(7, 7), version_ms(9, 0));

    GetMoviesStickyError();
    EXPECT_EQ(qt_bind_hook, nullptr);
    EXPECT_EQ(qt_dispatcher, &fake_quicktime::dispatcher);
    EXPECT_EQ(qt_call_component, &fake_quicktime::call_component);
    EXPECT_EQ(qt_call_component_with_storage, &fake_quicktime::call_component_with_storage);
    EXPECT_EQ(qt_module, nullptr);
    EXPECT_EQ(os.frees, 1);
    EXPECT_EQ(library.references, 0);
    // The query comes first, inside the bind; then the call that set it off.
    ASSERT_EQ(fake_quicktime::calls.size(), 2u);
    EXPECT_EQ(fake_quicktime::calls[0].selector, qt_selector::qtml_reference_query);
    EXPECT_EQ(fake_quicktime::calls[1].selector, qt_selector::GetMoviesStickyError);

    // Bound for good: no more searching, loading or releasing.
    ClearMoviesStickyError();
    EXPECT_EQ(os.loads.size(), 1u);
    EXPECT_EQ(os.frees, 1);
    EXPECT_EQ(dispatched(qt_selector::ClearMoviesStickyError), 1);
}

TEST_F(LazyBindTest, AQueryAnswerWithAZeroLowByteKeepsTheReference) {
    ScriptedMachine::Library& library = quicktime();
    give_version(qt_folder, version_ms(7, 7), version_ms(9, 0));
    fake_quicktime::reference_answer = 0x100;

    GetMoviesStickyError();
    EXPECT_EQ(os.frees, 0);
    EXPECT_EQ(library.references, 1);
    EXPECT_NE(qt_module, nullptr);
}

TEST_F(LazyBindTest, TheHostsQuickTimeIsTheOneLoaded) {
    quicktime();  // also reachable through the registry
    ScriptedMachine::Library& hosts = install_quicktime(native("D:|Host|"));
    hosts.in_process = true;
    hosts.references = 1;

    GetMoviesStickyError();
    ASSERT_EQ(os.loads.size(), 1u);
    EXPECT_EQ(os.loads[0], native("D:|Host|QuickTime.qts"));
    EXPECT_EQ(os.registry_reads, 0);
}

TEST_F(LazyBindTest, WithQuickTimeAbsentEachCallSearchesAgain) {
    os.system_dir = native("C:|WINDOWS|system32");
    os.existing_folders = {native("C:|WINDOWS|system32")};

    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    // Each call: the QuickTime folder, then for the extension folder the system directory
    // and the QuickTime folder once more.
    EXPECT_EQ(os.system_dir_reads, 2 * 3);
    EXPECT_EQ(os.loads.size(), 2u * 2u);
    EXPECT_EQ(qt_bind_hook, &qt_lazy_bind);
    EXPECT_EQ(qt_module, nullptr);
    EXPECT_FALSE(qt_version_checked);
}

struct MissingCase {
    const char* missing;
    std::size_t bound_before;  // how many of the names in order resolved before it
};

class MissingEntry : public LazyBindTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingEntry, LeavesTheHookSetAndKeepsWhatResolved) {
    const MissingCase& c = GetParam();
    ScriptedMachine::Library& library = quicktime(c.missing);  // and no version: the library stays

    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    EXPECT_EQ(qt_bind_hook, &qt_lazy_bind);
    EXPECT_EQ(qt_dispatcher, &qt_not_bound);
    EXPECT_EQ(qt_call_component_with_storage,
              c.bound_before > 0 ? qt_entry(&fake_quicktime::call_component_with_storage) : qt_entry(&qt_not_bound));
    EXPECT_EQ(qt_call_component,
              c.bound_before > 1 ? qt_entry(&fake_quicktime::call_component) : qt_entry(&qt_not_bound));
    const std::vector<std::string> looked_up(all_entries.begin(), all_entries.begin() + c.bound_before + 1);
    EXPECT_EQ(os.entry_lookups, looked_up);

    // The library stays loaded; the next call retries the names without loading again.
    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    EXPECT_EQ(os.loads.size(), 1u);
    EXPECT_EQ(library.references, 1);
    EXPECT_EQ(os.entry_lookups.size(), 2 * looked_up.size());
    EXPECT_EQ(os.version_reads, 1);
    EXPECT_TRUE(fake_quicktime::calls.empty());
}

INSTANTIATE_TEST_SUITE_P(LazyBindTest, MissingEntry,
                         ::testing::Values(MissingCase{"_CallComponentFunctionWithStorage", 0},
                                           MissingCase{"_CallComponent", 1},
                                           MissingCase{"theQuickTimeDispatcher", 2}),
                         [](const auto& info) {
                             std::string name = info.param.missing;
                             return name[0] == '_' ? name.substr(1) : name;
                         });

TEST_F(LazyBindTest, AnUnboundLibraryWithAGoodVersionIsReleasedAndLoadedAgain) {
    ScriptedMachine::Library& library = quicktime("theQuickTimeDispatcher");
    give_version(qt_folder, version_ms(7, 7), version_ms(9, 0));

    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    // The query's own stub ran the hook again: the names were tried twice, nothing loaded twice.
    EXPECT_EQ(os.entry_lookups.size(), 2 * all_entries.size());
    EXPECT_EQ(os.loads.size(), 1u);
    // Unbound, the query answered -2095, whose low byte is set: the library was released.
    EXPECT_EQ(os.frees, 1);
    EXPECT_EQ(library.references, 0);
    EXPECT_EQ(qt_module, nullptr);
    EXPECT_TRUE(fake_quicktime::calls.empty());

    EXPECT_EQ(GetMoviesStickyError(), qtNotBoundErr);
    EXPECT_EQ(os.loads.size(), 2u) << "the next call loads it again";
    EXPECT_EQ(os.frees, 2);
    EXPECT_EQ(os.version_reads, 1) << "the version is not read again";
}

}  // namespace
