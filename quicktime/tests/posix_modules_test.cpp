// The POSIX platform's stand-ins for the Windows module, registry, directory and version
// calls, on real files, real libraries and the real environment.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;
platform::Platform& os() { return platform::native_platform(); }

constexpr char quicktime_key[] = "Software\\Apple Computer, Inc.\\QuickTime";

// Sets an environment variable for one scope and puts back what was there.
class scoped_env {
public:
    scoped_env(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~scoped_env() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
    scoped_env(const scoped_env&) = delete;
    scoped_env& operator=(const scoped_env&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class scoped_folder {
public:
    scoped_folder() {
        path_ = fs::temp_directory_path() / ("orbivane-posix-" + std::to_string(getpid()));
        fs::create_directories(path_);
    }
    ~scoped_folder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST(PosixRegistry, QuickTimeValuesComeFromTheEnvironment) {
    const struct {
        const char* value_name;
        const char* variable;
    } values[] = {{"QTSysDir", "ORBIVANE_QTSYSDIR"},
                  {"QuickTime.qts folder", "ORBIVANE_QTS_FOLDER"},
                  {"QTExtDir", "ORBIVANE_QTEXTDIR"}};
    for (const auto& v : values) {
        char buffer[64];
        {
            scoped_env set(v.variable, "/opt/quicktime/");
            std::memset(buffer, '#', sizeof buffer);
            ASSERT_TRUE(os().read_machine_string(quicktime_key, v.value_name, buffer, sizeof buffer)) << v.value_name;
            EXPECT_STREQ(buffer, "/opt/quicktime/");
            // Registry names ignore letter case.
            EXPECT_TRUE(os().read_machine_string("SOFTWARE\\apple computer, inc.\\quicktime", v.value_name, buffer,
                                                 sizeof buffer));
        }
        {
            scoped_env empty(v.variable, "");
            ASSERT_TRUE(os().read_machine_string(quicktime_key, v.value_name, buffer, sizeof buffer));
            EXPECT_STREQ(buffer, "") << "set but empty is an empty value";
        }
        scoped_env unset(v.variable, nullptr);
        EXPECT_FALSE(os().read_machine_string(quicktime_key, v.value_name, buffer, sizeof buffer));
    }
}

TEST(PosixRegistry, OtherKeysAndValuesAreMissingAndLongValuesDoNotFit) {
    scoped_env set("ORBIVANE_QTSYSDIR", "/opt/quicktime");
    char buffer[16];
    EXPECT_FALSE(os().read_machine_string("Software\\Other", "QTSysDir", buffer, sizeof buffer));
    EXPECT_FALSE(os().read_machine_string(quicktime_key, "InstallDir", buffer, sizeof buffer));

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(os().read_machine_string(quicktime_key, "QTSysDir", buffer, 14)) << "14 characters and a zero";
    EXPECT_EQ(buffer[0], '#') << "a value that does not fit leaves the buffer alone";
    EXPECT_TRUE(os().read_machine_string(quicktime_key, "QTSysDir", buffer, 15));
}

TEST(PosixSystemDirectory, IsTheFolderHoldingThePluginCode) {
    scoped_env unset("ORBIVANE_SYSTEM_DIR", nullptr);
    // This program links the plug-in's code, so its own folder stands for the plug-in's.
    const std::string expected = fs::canonical("/proc/self/exe").parent_path().string();
    char buffer[4096];
    const std::uint32_t length = os().system_directory(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(length, expected.size());

    char small[4];
    EXPECT_EQ(os().system_directory(small, sizeof small), expected.size() + 1) << "the size needed, zero included";
}

TEST(PosixSystemDirectory, InALoadedModuleIsThatModulesFolder) {
    scoped_env unset("ORBIVANE_SYSTEM_DIR", nullptr);
    const fs::path probe = fs::canonical(ORBIVANE_TEST_PROBE);
    void* module = dlopen(probe.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    using probe_fn = unsigned (*)(char*, unsigned);
    auto system_directory = reinterpret_cast<probe_fn>(dlsym(module, "orbivane_probe_system_directory"));
    ASSERT_NE(system_directory, nullptr);
    char buffer[4096];
    EXPECT_GT(system_directory(buffer, sizeof buffer), 0u);
    EXPECT_EQ(std::string(buffer), probe.parent_path().string());
    EXPECT_NE(probe.parent_path(), fs::canonical("/proc/self/exe").parent_path());
    dlclose(module);
}

TEST(PosixSystemDirectory, CanBeOverriddenWithoutItsFinalSeparator) {
    scoped_env set("ORBIVANE_SYSTEM_DIR", "/srv/quicktime/");
    char buffer[64];
    EXPECT_EQ(os().system_directory(buffer, sizeof buffer), 14u);
    EXPECT_STREQ(buffer, "/srv/quicktime");
}

TEST(PosixFiles, PathExistsIsAccess) {
    scoped_folder folder;
    EXPECT_TRUE(os().path_exists(folder.path().c_str()));
    EXPECT_TRUE(os().path_exists((folder.path().string() + "/").c_str()));
    EXPECT_FALSE(os().path_exists((folder.path() / "missing").c_str()));
}

// --- version notes in hand-made ELF files ---

void put(std::vector<unsigned char>& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
    if (bytes.size() < at + width) bytes.resize(at + width);
    for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::vector<unsigned char> note(const std::string& name, std::uint32_t type, std::vector<unsigned char> desc) {
    std::vector<unsigned char> bytes;
    put(bytes, 0, name.size() + 1, 4);
    put(bytes, 4, desc.size(), 4);
    put(bytes, 8, type, 4);
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.push_back(0);
    while (bytes.size() % 4) bytes.push_back(0);
    bytes.insert(bytes.end(), desc.begin(), desc.end());
    while (bytes.size() % 4) bytes.push_back(0);
    return bytes;
}

std::vector<unsigned char> version_desc(std::uint32_t most, std::uint32_t least) {
    std::vector<unsigned char> desc;
    put(desc, 0, most, 4);
    put(desc, 4, least, 4);
    return desc;
}

struct Section {
    std::string name;
    std::vector<unsigned char> contents;
};

// An ELF file of the given class holding the sections, a name table last; `patch` may
// spoil it afterwards given where its section headers start.
struct ElfFile {
    bool is64 = true;
    std::vector<Section> sections;

    std::size_t header_size() const { return is64 ? 64 : 52; }
    std::size_t entry_size() const { return is64 ? 64 : 40; }

    std::vector<unsigned char> build(std::size_t* table_at = nullptr) const {
        std::vector<unsigned char> bytes(header_size(), 0);
        const unsigned char ident[] = {0x7f, 'E', 'L', 'F', static_cast<unsigned char>(is64 ? 2 : 1), 1, 1};
        std::memcpy(bytes.data(), ident, sizeof ident);
        std::vector<Section> all = sections;
        std::string names(1, '\0');
        std::vector<std::size_t> name_at, data_at;
        for (const Section& s : all) {
            name_at.push_back(names.size());
            names += s.name + '\0';
        }
        name_at.push_back(names.size());
        names += std::string(".shstrtab") + '\0';
        all.push_back({".shstrtab", std::vector<unsigned char>(names.begin(), names.end())});
        for (const Section& s : all) {
            data_at.push_back(bytes.size());
            bytes.insert(bytes.end(), s.contents.begin(), s.contents.end());
        }
        while (bytes.size() % 8) bytes.push_back(0);
        const std::size_t table = bytes.size();
        if (table_at) *table_at = table;
        bytes.resize(table + entry_size() * (all.size() + 1), 0);  // entry 0 stays the null section
        for (std::size_t i = 0; i < all.size(); ++i) {
            const std::size_t entry = table + entry_size() * (i + 1);
            put(bytes, entry, name_at[i], 4);
            put(bytes, entry + 4, i + 1 == all.size() ? 3 : 7, 4);  // string table / note
            put(bytes, entry + (is64 ? 24 : 16), data_at[i], is64 ? 8 : 4);
            put(bytes, entry + (is64 ? 32 : 20), all[i].contents.size(), is64 ? 8 : 4);
        }
        put(bytes, is64 ? 0x28 : 0x20, table, is64 ? 8 : 4);
        put(bytes, is64 ? 0x3A : 0x2E, entry_size(), 2);
        put(bytes, is64 ? 0x3C : 0x30, all.size() + 1, 2);
        put(bytes, is64 ? 0x3E : 0x32, all.size(), 2);
        return bytes;
    }
};

class VersionNoteTest : public ::testing::Test {
protected:
    std::string write(const std::vector<unsigned char>& bytes) {
        const std::string path = (folder.path() / ("lib" + std::to_string(count++) + ".qts")).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    // The version the platform reads, or none.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> version_of(const std::string& path) {
        const std::uint32_t size = os().version_info_size(path.c_str());
        if (size == 0) return std::nullopt;
        std::vector<unsigned char> block(size, 0);
        if (!os().version_info(path.c_str(), size, block.data())) return std::nullopt;
        std::uint32_t most = 0, least = 0;
        if (!os().query_fixed_file_version(block.data(), &most, &least)) return std::nullopt;
        return std::make_pair(most, least);
    }
    scoped_folder folder;
    int count = 0;
};

const std::vector<unsigned char> v7_7_9_0 = note("QuickTime", 1, version_desc(0x00070007, 0x00090000));

TEST_F(VersionNoteTest, IsReadFromBothElfClasses) {
    for (bool is64 : {true, false}) {
        ElfFile elf{is64, {{".text", std::vector<unsigned char>(40, 0x90)}, {".note.qtversion", v7_7_9_0}}};
        EXPECT_EQ(version_of(write(elf.build())), std::make_pair(0x00070007u, 0x00090000u)) << is64;
    }
}

TEST_F(VersionNoteTest, IsFoundAfterOtherNotesInItsSection) {
    std::vector<unsigned char> notes = note("GNU", 3, std::vector<unsigned char>(20, 0xAB));
    const auto version = note("QuickTime", 1, version_desc(0x00070000, 0x00020000));
    notes.insert(notes.end(), version.begin(), version.end());
    EXPECT_EQ(version_of(write(ElfFile{true, {{".note.qtversion", notes}}}.build())),
              std::make_pair(0x00070000u, 0x00020000u));
}

TEST_F(VersionNoteTest, OtherNotesAndSectionsAreNoVersion) {
    const std::vector<Section> cases[] = {
        {{".note.qtversion", note("QuickTime", 2, version_desc(7, 0))}},  // another type
        {{".note.qtversion", note("QuickTimX", 1, version_desc(7, 0))}},  // another owner
        {{".note.qtversion", note("QuickTime", 1, {7, 0, 0, 0})}},        // a short descriptor
        {{".note.qtversio", v7_7_9_0}},                                   // another section
        {{".note.qtversion.x", v7_7_9_0}},
        {},
    };
    for (const auto& sections : cases) EXPECT_EQ(version_of(write(ElfFile{true, sections}.build())), std::nullopt);
}

TEST_F(VersionNoteTest, LengthsInTheFileAreNeverTrusted) {
    const ElfFile good{true, {{".note.qtversion", v7_7_9_0}}};
    std::size_t table = 0;
    const std::vector<unsigned char> bytes = good.build(&table);
    const std::size_t note_entry = table + 64;  // the note's section header
    const std::size_t note_at = good.header_size();
    const struct {
        const char* name;
        std::size_t at;
        std::uint64_t value;
        std::size_t width;
    } patches[] = {
        {"section past the end", note_entry + 24, 1u << 30, 8},
        {"section size past the end", note_entry + 32, 1u << 30, 8},
        {"section offset wraps", note_entry + 24, ~std::uint64_t(0) - 4, 8},
        {"note name size huge", note_at, 0xFFFFFFF0u, 4},
        {"note descriptor size huge", note_at + 4, 0xFFFFFFF0u, 4},
        {"section table past the end", 0x28, 1u << 30, 8},
        {"section table offset wraps", 0x28, ~std::uint64_t(0) - 100, 8},
        {"name table index out of range", 0x3E, 7, 2},
        {"section entries too small", 0x3A, 16, 2},
        {"section name past its table", note_entry, 1u << 20, 4},
        {"big-endian file", 5, 2, 1},
        {"unknown class", 4, 3, 1},
    };
    ASSERT_TRUE(version_of(write(bytes)).has_value());
    for (const auto& p : patches) {
        std::vector<unsigned char> spoiled = bytes;
        put(spoiled, p.at, p.value, p.width);
        EXPECT_EQ(version_of(write(spoiled)), std::nullopt) << p.name;
    }
    for (std::size_t cut : {std::size_t(3), std::size_t(40), note_at + 20, table + 70, bytes.size() - 1}) {
        EXPECT_EQ(version_of(write(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut))), std::nullopt)
            << "cut at " << cut;
    }
}

TEST_F(VersionNoteTest, FilesWithoutNotesHaveNoVersion) {
    EXPECT_EQ(version_of(write({'h', 'e', 'l', 'l', 'o'})), std::nullopt);
    EXPECT_EQ(version_of((folder.path() / "missing.qts").string()), std::nullopt);
    EXPECT_EQ(version_of(folder.path().string()), std::nullopt);
    // A real program without the note: this one.
    EXPECT_EQ(os().version_info_size(fs::canonical("/proc/self/exe").c_str()), 0u);
}

// --- the real media library ---

TEST(PosixModules, TheMediaLibraryLoadsBindsAndCarriesItsVersion) {
    const std::string library = fs::canonical(ORBIVANE_TEST_QTS).string();
    const std::string file_name = fs::path(library).filename().string();
    ASSERT_EQ(file_name, "QuickTime.qts");

    platform::module_handle loaded = os().load_library(library.c_str());
    ASSERT_NE(loaded, nullptr) << dlerror();
    EXPECT_EQ(os().loaded_module("QuickTime.qts"), loaded);
    EXPECT_EQ(os().loaded_module("QuickTime"), nullptr) << "the whole file name, not a prefix";
    EXPECT_EQ(os().loaded_module("quicktime.qts"), nullptr) << "file names keep their case here";

    char name[4096];
    EXPECT_EQ(os().module_file_name(loaded, name, sizeof name), library.size());
    EXPECT_EQ(std::string(name), library);
    char cut[8];
    EXPECT_EQ(os().module_file_name(loaded, cut, sizeof cut), sizeof cut) << "a cut name answers the size";
    EXPECT_EQ(std::string(cut), library.substr(0, 7));

    for (const char* entry : {"theQuickTimeDispatcher", "_CallComponent", "_CallComponentFunctionWithStorage"})
        EXPECT_NE(os().find_entry(loaded, entry), nullptr) << entry;
    EXPECT_EQ(os().find_entry(loaded, "NoSuchEntry"), nullptr);

    const std::uint32_t size = os().version_info_size(library.c_str());
    ASSERT_GT(size, 0u);
    void* block = os().alloc_zeroed(size);
    ASSERT_TRUE(os().version_info(library.c_str(), size, block));
    std::uint32_t most = 0, least = 0;
    EXPECT_TRUE(os().query_fixed_file_version(block, &most, &least));
    os().free_block(block);
    EXPECT_EQ(most, 0x00070007u);  // 7.7
    EXPECT_EQ(least, 0x00090000u); // 9.0

    EXPECT_TRUE(os().free_library(loaded));
}

}  // namespace
