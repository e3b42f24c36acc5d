// The library as a file: what it exports, what it needs, the version it
// carries, and that it stays loaded once loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "medialayer/movie_api.h"
#include "medialayer/src/movie_model.h"
#include "qts_library.h"
#include "test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <elf.h>

#include <cstdio>
#include <memory>
#endif

namespace qts_test {
namespace {

// The version the loader's check reads: 7.7.9.0.
constexpr std::uint32_t expected_version_ms = 0x00070007;
constexpr std::uint32_t expected_version_ls = 0x00090000;

const std::set<std::string> expected_exports = {
    "theQuickTimeDispatcher",       "_CallComponent",           "_CallComponentFunctionWithStorage",
    "medialayer_fault_reset",       "medialayer_fault_on_call", "medialayer_fault_on_selector",
    "medialayer_fault_on_write",    "medialayer_get_live_counts", "medialayer_call_count",
    "medialayer_flatten_deletes_first",
};

class LibraryImage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(QtsLibrary::get().error, ""); }
};

#ifdef _WIN32

const IMAGE_NT_HEADERS32* nt_headers(HMODULE module) {
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
}

TEST_F(LibraryImage, ExportsExactlyTheEntriesAndTestControls) {
    auto module = static_cast<HMODULE>(QtsLibrary::get().module);
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const IMAGE_DATA_DIRECTORY& directory = nt_headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) found.insert(reinterpret_cast<const char*>(base + names[i]));
    EXPECT_EQ(found, expected_exports);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(base + exports->Name)), "QuickTime.qts");
}

TEST_F(LibraryImage, NeedsOnlyLibrariesTheSystemShips) {
    auto module = static_cast<HMODULE>(QtsLibrary::get().module);
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const IMAGE_DATA_DIRECTORY& directory = nt_headers(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    char system[MAX_PATH] = {};
    ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
    int count = 0;
    for (const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import, ++count) {
        const std::string name = reinterpret_cast<const char*>(base + import->Name);
        const std::string path = std::string(system) + "\\" + name;
        EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << name << " is not a system library";
    }
    EXPECT_GT(count, 0);
}

TEST_F(LibraryImage, CarriesItsFileVersion) {
    const std::string path = library_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_size = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixed_size));
    ASSERT_GE(fixed_size, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwFileVersionMS, expected_version_ms);
    EXPECT_EQ(fixed->dwFileVersionLS, expected_version_ls);
    char* text = nullptr;
    UINT text_size = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", reinterpret_cast<void**>(&text),
                               &text_size));
    EXPECT_STREQ(text, "7.7.9.0");
}

TEST_F(LibraryImage, StaysLoadedAfterEveryReferenceIsReleased) {
    ASSERT_NE(qt::qtml_reference_query() & 0xFF, 0);
    HMODULE again = LoadLibraryA(library_path().c_str());
    ASSERT_EQ(again, static_cast<HMODULE>(QtsLibrary::get().module));
    FreeLibrary(again);
    FreeLibrary(again);  // the reference this test program took first
    EXPECT_EQ(GetModuleHandleA("QuickTime.qts"), again);
    EXPECT_EQ(qt::qtml_reference_query() & 0xFF, 1);
}

#else

std::string run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[4096];
    while (pipe && !std::feof(pipe.get())) out.append(buffer, std::fread(buffer, 1, sizeof buffer, pipe.get()));
    return out;
}

TEST_F(LibraryImage, ExportsExactlyTheEntriesAndTestControls) {
    const std::string listing = run("nm -D --defined-only '" + library_path() + "'");
    std::set<std::string> found;
    std::size_t at = 0;
    while (at < listing.size()) {
        const std::size_t end = std::min(listing.find('\n', at), listing.size());
        const std::string line = listing.substr(at, end - at);
        at = end + 1;
        const std::size_t space = line.rfind(' ');
        if (space != std::string::npos) found.insert(line.substr(space + 1));
    }
    EXPECT_EQ(found, expected_exports);
}

TEST_F(LibraryImage, CarriesItsFileVersionAsANote) {
    const std::vector<std::uint8_t> image = read_bytes(library_path());
    ASSERT_GE(image.size(), sizeof(Elf64_Ehdr));
    Elf64_Ehdr header;
    std::memcpy(&header, image.data(), sizeof header);
    ASSERT_EQ(std::memcmp(header.e_ident, ELFMAG, SELFMAG), 0);
    ASSERT_LE(header.e_shoff + std::uint64_t(header.e_shnum) * sizeof(Elf64_Shdr), image.size());
    const auto section = [&](std::size_t i) {
        Elf64_Shdr s;
        std::memcpy(&s, image.data() + header.e_shoff + i * sizeof(Elf64_Shdr), sizeof s);
        return s;
    };
    const Elf64_Shdr names = section(header.e_shstrndx);
    bool found = false;
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr s = section(i);
        const char* name = reinterpret_cast<const char*>(image.data() + names.sh_offset + s.sh_name);
        if (std::strcmp(name, ".note.qtversion") != 0) continue;
        found = true;
        EXPECT_EQ(s.sh_type, std::uint32_t(SHT_NOTE));
        ASSERT_EQ(s.sh_size, 32u);
        std::uint32_t words[3], version[2];
        std::memcpy(words, image.data() + s.sh_offset, sizeof words);
        std::memcpy(version, image.data() + s.sh_offset + 24, sizeof version);
        EXPECT_EQ(words[0], 10u);  // "QuickTime" and its terminator
        EXPECT_EQ(words[1], 8u);
        EXPECT_EQ(words[2], 1u);
        EXPECT_EQ(std::memcmp(image.data() + s.sh_offset + 12, "QuickTime\0\0\0", 12), 0);
        EXPECT_EQ(version[0], expected_version_ms);
        EXPECT_EQ(version[1], expected_version_ls);
    }
    EXPECT_TRUE(found);
}

TEST_F(LibraryImage, StaysLoadedAfterEveryReferenceIsReleased) {
    ASSERT_NE(qt::qtml_reference_query() & 0xFF, 0);
    void* again = dlopen(library_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_EQ(again, QtsLibrary::get().module);
    dlclose(again);
    dlclose(again);  // the reference this test program took first
    EXPECT_NE(dlopen(library_path().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
    EXPECT_EQ(qt::qtml_reference_query() & 0xFF, 1);
}

#endif

// The program links its own copy of the core; the library must use the copy
// inside it. A write fault armed in the program's copy leaves the library's
// writes alone.
TEST_F(LibraryImage, CoreInsideTheLibraryIsItsOwn) {
    ScratchDir dir;
    medialayer::set_write_fault_hook([](std::uint64_t, std::uint64_t) { return OSErr(-34); });
    std::unique_ptr<medialayer::MovieWriter> writer;
    medialayer::VideoFormat format;
    format.codec = medialayer::codec_raw;
    format.width = format.height = 2;
    OSErr local = medialayer::MovieWriter::create(dir.file("local.mov"), 600, format, writer);
    if (local == noErr) {
        writer->append_sample("abcdefghijkl", 12, 60);
        local = writer->finish();
    }
    EXPECT_EQ(local, -34);  // the program's copy is armed

    FSSpec spec{};
    std::string path = dir.file("through-library.mov");
    qt::NativePathNameToFSSpec(path.data(), &spec, 0);
    std::int16_t file = 0;
    Movie movie = nullptr;
    ASSERT_EQ(qt::CreateMovieFile(&spec, four_cc("TVOD"), -2, std::int32_t(0x90000000u), &file, &movie), noErr);
    std::int16_t id = -1;
    EXPECT_EQ(qt::AddMovieResource(movie, file, &id, nullptr), noErr);
    qt::CloseMovieFile(file);
    qt::DisposeMovie(movie);
    medialayer::set_write_fault_hook(nullptr);
    EXPECT_GT(read_bytes(path).size(), 8u);
}

}  // namespace
}  // namespace qts_test
