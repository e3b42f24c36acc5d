// Replacing an import in a loaded image: this test program's own imports,
// and images built byte by byte that lie about their sizes.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "simhost/win32/win32_import_patch.h"

namespace simhost {
namespace {

UINT WINAPI fixed_code_page() { return 4242; }

// The compiler takes an import's address table slot for a constant and may
// load it once per function; each call here reads the slot afresh, as a
// module's code does the first time it makes the call.
__attribute__((noipa)) UINT code_page() { return GetACP(); }

TEST(ImportPatch, CallsThroughTheReplacedImportReachTheReplacement) {
    void* self = GetModuleHandleA(nullptr);
    const UINT real = code_page();
    ASSERT_NE(real, 4242u);

    void* original = nullptr;
    ASSERT_EQ(replace_import(self, "kernel32.dll", "GetACP", reinterpret_cast<void*>(&fixed_code_page),
                             &original),
              ImportPatch::replaced);
    EXPECT_EQ(code_page(), 4242u);

    // Putting the original back restores the real call; the library name matches in any case.
    void* ours = nullptr;
    ASSERT_EQ(replace_import(self, "KERNEL32.DLL", "GetACP", original, &ours), ImportPatch::replaced);
    EXPECT_EQ(ours, reinterpret_cast<void*>(&fixed_code_page));
    EXPECT_EQ(code_page(), real);
}

TEST(ImportPatch, AFunctionNotImportedFromThatLibraryIsLeftAlone) {
    void* self = GetModuleHandleA(nullptr);
    const struct {
        const char* library;
        const char* function;
    } cases[] = {
        {"user32.dll", "GetACP"},      // imported, but from another library
        {"kernel32.dll", "NoSuchFunctionAnywhere"},  // the library is imported, the name is not
        {"nosuchlibrary.dll", "GetACP"},
    };
    for (const auto& c : cases) {
        void* original = reinterpret_cast<void*>(1);
        EXPECT_EQ(replace_import(self, c.library, c.function, reinterpret_cast<void*>(&fixed_code_page), &original),
                  ImportPatch::not_imported)
            << c.library << "!" << c.function;
        EXPECT_EQ(original, reinterpret_cast<void*>(1)) << "nothing is reported as replaced";
    }
    EXPECT_NE(code_page(), 4242u);
}

// A loaded image in memory: headers, one import descriptor for "comdlg32.dll"
// naming "GetSaveFileNameA", and its address table.
class FakeImage {
public:
    static constexpr std::uint32_t size = 0x1000;
    static constexpr std::uint32_t nt_at = 0x80;
    static constexpr std::uint32_t descriptors_at = 0x200;
    static constexpr std::uint32_t library_name_at = 0x300;
    static constexpr std::uint32_t names_at = 0x340;
    static constexpr std::uint32_t slots_at = 0x380;
    static constexpr std::uint32_t function_name_at = 0x3C0;

    FakeImage() : bytes_(size) {
        dos().e_magic = IMAGE_DOS_SIGNATURE;
        dos().e_lfanew = nt_at;
        nt().Signature = IMAGE_NT_SIGNATURE;
        nt().OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
        nt().OptionalHeader.SizeOfImage = size;
        nt().OptionalHeader.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
        imports() = {descriptors_at, 2 * sizeof(IMAGE_IMPORT_DESCRIPTOR)};
        descriptor().Name = library_name_at;
        descriptor().OriginalFirstThunk = names_at;
        descriptor().FirstThunk = slots_at;
        std::strcpy(reinterpret_cast<char*>(&bytes_[library_name_at]), "comdlg32.dll");
        std::strcpy(reinterpret_cast<char*>(&bytes_[function_name_at + 2]), "GetSaveFileNameA");
        word_at(names_at) = function_name_at;
        word_at(slots_at) = 0x12345678;  // the loader's address of the real function
    }

    void* base() { return bytes_.data(); }
    IMAGE_DOS_HEADER& dos() { return *reinterpret_cast<IMAGE_DOS_HEADER*>(&bytes_[0]); }
    IMAGE_NT_HEADERS32& nt() { return *reinterpret_cast<IMAGE_NT_HEADERS32*>(&bytes_[nt_at]); }
    IMAGE_DATA_DIRECTORY& imports() { return nt().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]; }
    IMAGE_IMPORT_DESCRIPTOR& descriptor() { return *reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(&bytes_[descriptors_at]); }
    std::uint32_t& word_at(std::uint32_t at) { return *reinterpret_cast<std::uint32_t*>(&bytes_[at]); }
    std::uint8_t& byte_at(std::uint32_t at) { return bytes_[at]; }

    ImportPatch patch() {
        return replace_import(base(), "comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(0xCAFE));
    }

private:
    std::vector<std::uint8_t> bytes_;
};

TEST(ImportPatch, AWellFormedImageGetsItsSlotReplaced) {
    FakeImage image;
    ASSERT_EQ(image.patch(), ImportPatch::replaced);
    EXPECT_EQ(image.word_at(FakeImage::slots_at), 0xCAFEu);
}

TEST(ImportPatch, ImagesThatPointOutsideThemselvesAreRefusedUntouched) {
    const struct {
        const char* what;
        void (*spoil)(FakeImage&);
        ImportPatch expected;
    } cases[] = {
        {"no MZ signature", [](FakeImage& i) { i.dos().e_magic = 0; }, ImportPatch::malformed},
        {"NT headers past the first page", [](FakeImage& i) { i.dos().e_lfanew = 0x7FFFFFF0; }, ImportPatch::malformed},
        {"negative NT header offset", [](FakeImage& i) { i.dos().e_lfanew = -8; }, ImportPatch::malformed},
        {"a 64-bit optional header",
         [](FakeImage& i) { i.nt().OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR64_MAGIC; }, ImportPatch::malformed},
        {"import directory past the image", [](FakeImage& i) { i.imports().VirtualAddress = FakeImage::size - 4; },
         ImportPatch::malformed},
        {"import directory offset near 4 GB", [](FakeImage& i) { i.imports().VirtualAddress = 0xFFFFFFF0; },
         ImportPatch::malformed},
        {"library name past the image", [](FakeImage& i) { i.descriptor().Name = FakeImage::size + 16; },
         ImportPatch::malformed},
        {"address table past the image", [](FakeImage& i) { i.descriptor().FirstThunk = FakeImage::size - 2; },
         ImportPatch::malformed},
        {"function name past the image", [](FakeImage& i) { i.word_at(FakeImage::names_at) = FakeImage::size - 1; },
         ImportPatch::malformed},
        {"function name without its terminator",
         [](FakeImage& i) {
             i.word_at(FakeImage::names_at) = FakeImage::size - 8;
             for (std::uint32_t at = FakeImage::size - 8; at < FakeImage::size; ++at) i.byte_at(at) = 'A';
         },
         ImportPatch::malformed},
        {"no import directory", [](FakeImage& i) { i.imports() = {0, 0}; }, ImportPatch::not_imported},
        {"imported by ordinal only", [](FakeImage& i) { i.word_at(FakeImage::names_at) = IMAGE_ORDINAL_FLAG32 | 7; },
         ImportPatch::not_imported},
    };
    for (const auto& c : cases) {
        FakeImage image;
        c.spoil(image);
        EXPECT_EQ(image.patch(), c.expected) << c.what;
        EXPECT_EQ(image.word_at(FakeImage::slots_at), 0x12345678u) << c.what << ": the slot must stay as it was";
    }
}

}  // namespace
}  // namespace simhost
