// Where the loader looks for QuickTime.qts, and that its folder texts always fit.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "quicktime/qt_locator.h"
#include "quicktime/tests/loader_fixture.h"

namespace {

constexpr std::uint32_t folder_budget = 247;  // what the loader gives for "QuickTime.qts"
const std::string system32 = native("C:|WINDOWS|system32");

class LocatorTest : public LoaderTest {
protected:
    // find_quicktime_folder's answer, "" when it finds none.
    std::string quicktime_folder(std::uint32_t size = folder_budget) {
        std::vector<char> buffer(size, '#');
        return find_quicktime_folder(buffer.data(), size) ? std::string(buffer.data()) : std::string();
    }
    std::string extension_folder(std::uint32_t size = folder_budget) {
        std::vector<char> buffer(size, '#');
        const std::uint32_t length = find_quicktime_extension_folder(buffer.data(), size);
        EXPECT_EQ(length, std::strlen(buffer.data()));
        return buffer.data();
    }
};

TEST_F(LocatorTest, AQuickTimeTheHostLoadedIsUsedWithoutReadingTheRegistry) {
    os.add_library(native("D:|Host|Plugins|QuickTime.qts")).in_process = true;
    os.registry["QTSysDir"] = native("C:|QuickTime");
    os.existing_folders = {native("C:|QuickTime"), system32};
    os.system_dir = system32;

    EXPECT_EQ(quicktime_folder(), native("D:|Host|Plugins|"));
    EXPECT_EQ(os.registry_reads, 0);
    EXPECT_EQ(os.system_dir_reads, 0);
}

TEST_F(LocatorTest, ALoadedQuickTimeWhoseFolderDoesNotFitEndsTheSearch) {
    os.add_library(native("D:|A|Very|Long|Host|Folder|QuickTime.qts")).in_process = true;
    os.registry["QTSysDir"] = native("C:|QuickTime");
    os.existing_folders = {native("C:|QuickTime")};

    EXPECT_EQ(quicktime_folder(20), "");
    EXPECT_EQ(os.registry_reads, 0);
}

// The folder of a loaded module whose name has L characters is taken only when L - 12 < size.
TEST_F(LocatorTest, ALoadedQuickTimesFolderNeedsOneSpareByte) {
    const std::string path = native("D:|Host|Plugins|QuickTime.qts");
    os.add_library(path).in_process = true;
    const std::uint32_t boundary = static_cast<std::uint32_t>(path.size() - 12);
    EXPECT_EQ(quicktime_folder(boundary), "");
    EXPECT_EQ(quicktime_folder(boundary + 1), native("D:|Host|Plugins|"));
}

struct SourceCase {
    const char* name;
    std::optional<std::string> sys_dir_value;
    bool sys_dir_exists;
    std::optional<std::string> qts_folder_value;
    bool qts_folder_exists;
    bool system_dir_exists;
    const char* expected;          // '|' for the appended separator; "" for none
};

class SourceOrder : public LocatorTest, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(SourceOrder, EachSourceIsUsedOnlyWhenItsFolderExists) {
    const SourceCase& c = GetParam();
    if (c.sys_dir_value) os.registry["QTSysDir"] = *c.sys_dir_value;
    if (c.sys_dir_value && c.sys_dir_exists) os.existing_folders.insert(*c.sys_dir_value);
    if (c.qts_folder_value) os.registry["QuickTime.qts folder"] = *c.qts_folder_value;
    if (c.qts_folder_value && c.qts_folder_exists) os.existing_folders.insert(*c.qts_folder_value);
    os.system_dir = "S:/system";
    if (c.system_dir_exists) os.existing_folders.insert("S:/system");

    EXPECT_EQ(quicktime_folder(), native(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    LocatorTest, SourceOrder,
    ::testing::Values(
        SourceCase{"sys_dir_value_first", "A:/qt", true, "B:/qt", true, true, "A:/qt|"},
        SourceCase{"missing_sys_dir_folder_falls_to_qts_folder", "A:/gone", false, "B:/qt", true, true, "B:/qt|"},
        SourceCase{"then_the_system_directory", "A:/gone", false, "B:/gone", false, true, "S:/system|"},
        SourceCase{"absent_values_go_to_the_system_directory", std::nullopt, false, std::nullopt, false, true, "S:/system|"},
        SourceCase{"an_empty_value_counts_as_absent", "", true, "B:/qt", true, true, "B:/qt|"},
        SourceCase{"a_value_of_just_its_terminator_counts_as_absent", std::string("\0", 1), true, "B:/qt",
                   true, true, "B:/qt|"},
        SourceCase{"nothing_exists", "A:/gone", false, "B:/gone", false, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LocatorTest, AFailedSystemDirectoryReadIsNoFolder) {
    os.system_dir.reset();
    EXPECT_EQ(quicktime_folder(), "");
    EXPECT_EQ(os.system_dir_reads, 1);
}

TEST_F(LocatorTest, ASeparatorIsAppendedOnlyWhenTheFolderLacksOne) {
    const struct {
        std::string stored;
        std::string expected;
    } cases[] = {
        {"C:\\QuickTime", "C:\\QuickTime" + native("|")},
        {"C:\\QuickTime\\", "C:\\QuickTime\\"},
        {"/opt/quicktime/", "/opt/quicktime/"},
        {std::string("C:\\QT\0stale bytes", 17), "C:\\QT" + native("|")},
    };
    for (const auto& c : cases) {
        os.registry["QTSysDir"] = c.stored;
        char buffer[64];
        read_quicktime_dir_value("QTSysDir", buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer), c.expected) << c.stored;
    }
}

TEST_F(LocatorTest, TheSystemDirectoryGetsItsSeparatorToo) {
    os.system_dir = "C:\\";  // a root already ends in one
    os.existing_folders = {"C:"};
    EXPECT_EQ(quicktime_folder(), "C:\\");
    os.system_dir = system32;
    os.existing_folders = {system32};
    EXPECT_EQ(quicktime_folder(), system32 + native("|"));
}

TEST_F(LocatorTest, ExtensionFolderComesFromQTExtDirFirst) {
    os.registry["QTExtDir"] = native("E:|Extensions");
    os.system_dir = system32;
    os.existing_folders = {system32};
    EXPECT_EQ(extension_folder(), native("E:|Extensions|"));
}

TEST_F(LocatorTest, ExtensionFolderIsASubfolderOnlyWhenQuickTimeIsTheSystemDirectory) {
    const struct {
        const char* name;
        std::string quicktime_folder;  // as the registry holds it; "" to fall back to the system directory
        std::string expected;
    } cases[] = {
        {"system_directory_itself", "", native("C:|WINDOWS|system32|QuickTime|")},
        {"same_folder_named_in_the_registry", native("C:|WINDOWS|system32|"), native("C:|WINDOWS|system32|QuickTime|")},
        {"differs_only_in_case", native("C:|windows|SYSTEM32|"), native("C:|windows|SYSTEM32|")},
        {"any_other_folder", native("D:|QuickTime|"), native("D:|QuickTime|")},
    };
    for (const auto& c : cases) {
        os.registry.clear();
        os.existing_folders = {system32};
        os.system_dir = system32;
        if (!c.quicktime_folder.empty()) {
            os.registry["QTSysDir"] = c.quicktime_folder;
            os.existing_folders.insert(c.quicktime_folder.substr(0, c.quicktime_folder.size() - 1));
        }
        EXPECT_EQ(extension_folder(), c.expected) << c.name;
    }
}

TEST_F(LocatorTest, NoQuickTimeFolderMeansNoExtensionFolder) {
    os.system_dir = system32;  // exists nowhere
    char buffer[folder_budget];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(find_quicktime_extension_folder(buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(LocatorTest, TheLibraryIsLoadedFromTheQuickTimeFolderFirst) {
    os.registry["QTSysDir"] = native("C:|Program Files|QuickTime|");
    os.existing_folders = {native("C:|Program Files|QuickTime")};
    install_quicktime(native("C:|Program Files|QuickTime|"));

    const platform::module_handle module = load_quicktime_library("QuickTime.qts");
    EXPECT_EQ(os.path_of(module), native("C:|Program Files|QuickTime|QuickTime.qts"));
    EXPECT_EQ(os.loads.size(), 1u);
}

TEST_F(LocatorTest, TheExtensionFolderIsTriedWhenTheQuickTimeFolderHasNoLibrary) {
    os.system_dir = system32;
    os.existing_folders = {system32};
    install_quicktime(system32 + native("|QuickTime|"));

    const platform::module_handle module = load_quicktime_library("QuickTime.qts");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(os.loads, (std::vector<std::string>{system32 + native("|QuickTime.qts"),
                                                  system32 + native("|QuickTime|QuickTime.qts")}));
}

TEST_F(LocatorTest, TheBareNameIsNeverLoaded) {
    install_quicktime("");  // a QuickTime.qts the system's own search would find
    EXPECT_EQ(load_quicktime_library("QuickTime.qts"), nullptr);
    EXPECT_TRUE(os.loads.empty());

    os.system_dir = system32;
    os.existing_folders = {system32};
    EXPECT_EQ(load_quicktime_library("QuickTime.qts"), nullptr);
    for (const std::string& path : os.loads) EXPECT_NE(path, "QuickTime.qts");
    EXPECT_EQ(os.loads.size(), 2u);
}

// Folder texts at and past the budget: what reaches load_library always fits MAX_PATH.
TEST_F(LocatorTest, LongRegistryFoldersFitOrAreSkipped) {
    const struct {
        std::string value;
        bool used;
    } cases[] = {
        {std::string(245, 'q'), true},                        // 245 + separator + 13 + zero = 260
        {std::string(246, 'q') + native("|"), false},         // no room for the name
        {std::string(245, 'q') + native("|"), true},          // already ends in its separator
        {std::string(246, 'q'), false},                       // no room left for the separator
        {std::string(247, 'q'), false},                       // fills the budget
        {std::string(300, 'q'), false},                       // longer than the buffer
    };
    for (const auto& c : cases) {
        os.loads.clear();
        os.registry["QTSysDir"] = c.value;
        std::string folder = c.value;
        if (folder.back() == platform::path_separator) folder.pop_back();
        os.existing_folders = {folder};

        EXPECT_EQ(load_quicktime_library("QuickTime.qts"), nullptr);
        if (c.used) {
            ASSERT_FALSE(os.loads.empty());
            EXPECT_EQ(os.loads.front(), folder + native("|") + "QuickTime.qts");
            EXPECT_EQ(os.loads.front().size(), 259u);
        } else {
            EXPECT_TRUE(os.loads.empty()) << c.value.size();
        }
    }
}

TEST_F(LocatorTest, AnUnterminatedRegistryValueStaysInsideTheBuffer) {
    os.registry_fills_buffer = true;
    for (const std::string pattern : {"abc", "ab/"}) {
        os.registry["QTSysDir"] = pattern;
        for (std::uint32_t size : {2u, 3u, 40u, 247u}) {
            // A zero just past the buffer would hide a missing terminator from a read that overran.
            const std::string guard = std::string(1, '\0') + std::string(15, '#');
            std::vector<char> buffer(size, '#');
            buffer.insert(buffer.end(), guard.begin(), guard.end());
            read_quicktime_dir_value("QTSysDir", buffer.data(), size);
            const std::size_t length = strnlen(buffer.data(), size);
            EXPECT_LT(length, size) << "unterminated at size " << size;
            EXPECT_EQ(std::string(buffer.data() + size, 16), guard) << "overrun at size " << size;
            if (length > 0) {
                EXPECT_TRUE(qt_path::ends_with_separator(buffer.data()));
            }
        }
    }
}

TEST_F(LocatorTest, SystemDirectoryAndLoadedModuleAtMaxPathStayInsideTheBuffer) {
    const std::string long_folder = "C:" + std::string(256, 'd');  // 258 characters, a full MAX_PATH with its zero
    os.system_dir = long_folder;
    os.existing_folders = {long_folder};
    for (std::uint32_t size : {folder_budget, 259u, 260u}) {
        std::vector<char> buffer(size + 16, '#');
        find_quicktime_folder(buffer.data(), size);
        EXPECT_LT(strnlen(buffer.data(), size), size);
        EXPECT_EQ(std::string(buffer.data() + size, 16), std::string(16, '#'));
    }
    EXPECT_EQ(quicktime_folder(260), long_folder + native("|"));

    os.add_library(std::string(247, 'm') + native("|QuickTime.qts")).in_process = true;  // 261 characters
    os.registry_reads = 0;
    EXPECT_EQ(quicktime_folder(260), "") << "a cut module name is not a folder";
    EXPECT_EQ(os.registry_reads, 0);
}

TEST_F(LocatorTest, ExtensionFolderFitsAtTheLargestSize) {
    const std::string long_system = "C:" + std::string(257, 's');  // 259 characters
    os.system_dir = long_system;
    os.existing_folders = {long_system};
    install_quicktime(long_system + native("|"));
    std::vector<char> buffer(270 + 16, '#');
    // 259 characters leave no room for the separator within 260 - 10 bytes: no folder at all.
    EXPECT_EQ(find_quicktime_extension_folder(buffer.data(), 270), 0u);
    EXPECT_EQ(std::string(buffer.data() + 270, 16), std::string(16, '#'));

    const std::string fitting = "C:" + std::string(256, 's');  // 258 + separator = 259 characters
    os.system_dir = fitting;
    os.existing_folders = {fitting};
    EXPECT_EQ(find_quicktime_extension_folder(buffer.data(), 270), 269u);
    EXPECT_EQ(std::string(buffer.data()), fitting + native("|QuickTime|"));
    EXPECT_EQ(std::string(buffer.data() + 270, 16), std::string(16, '#'));
}

}  // namespace
