#include <windows.h>

#include <cstdint>
#include <cstring>

#include "simhost/win32/win32_import_patch.h"

namespace simhost {

namespace {

// A loaded image seen as bytes: every address it holds is an offset (RVA)
// checked against the image's size before it is read.
class LoadedImage {
public:
    explicit LoadedImage(void* module) : base_(static_cast<const std::uint8_t*>(module)) {
        const auto* dos = at<IMAGE_DOS_HEADER>(0, sizeof(IMAGE_DOS_HEADER), 0x1000);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
        const auto* nt = at<IMAGE_NT_HEADERS32>(static_cast<std::uint32_t>(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS32),
                                                0x1000);
        if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            return;
        size_ = nt->OptionalHeader.SizeOfImage;
        if (nt->OptionalHeader.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_IMPORT)
            imports_ = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    }

    bool valid() const { return size_ != 0; }
    const IMAGE_DATA_DIRECTORY& imports() const { return imports_; }

    // The object at rva when [rva, rva + bytes) lies inside `limit` bytes of the image.
    template <typename T>
    const T* at(std::uint32_t rva, std::uint32_t bytes, std::uint32_t limit) const {
        if (rva > limit || bytes > limit - rva) return nullptr;
        return reinterpret_cast<const T*>(base_ + rva);
    }
    template <typename T>
    const T* at(std::uint32_t rva, std::uint32_t bytes = sizeof(T)) const {
        return at<T>(rva, bytes, size_);
    }

    // A zero-terminated name at rva, or null when it runs past the image.
    const char* name(std::uint32_t rva) const {
        if (rva >= size_) return nullptr;
        const void* end = std::memchr(base_ + rva, 0, size_ - rva);
        return end ? reinterpret_cast<const char*>(base_ + rva) : nullptr;
    }

    std::uint8_t* writable(std::uint32_t rva) const { return const_cast<std::uint8_t*>(base_ + rva); }

private:
    const std::uint8_t* base_;
    std::uint32_t size_ = 0;
    IMAGE_DATA_DIRECTORY imports_{};
};

// The import address table slot of `function` in one library's descriptor.
ImportPatch find_slot(const LoadedImage& image, const IMAGE_IMPORT_DESCRIPTOR& library, const char* function,
                      std::uint32_t& slot_rva) {
    // The name table lists what is imported; without one (old linkers) the
    // address table itself still holds the names until binding.
    const std::uint32_t names = library.OriginalFirstThunk ? library.OriginalFirstThunk : library.FirstThunk;
    for (std::uint32_t i = 0;; ++i) {
        const std::uint32_t step = i * sizeof(IMAGE_THUNK_DATA32);
        const auto* entry = image.at<IMAGE_THUNK_DATA32>(names + step);
        const auto* slot = image.at<IMAGE_THUNK_DATA32>(library.FirstThunk + step);
        if (!entry || !slot) return ImportPatch::malformed;
        const std::uint32_t value = entry->u1.AddressOfData;
        if (value == 0) return ImportPatch::not_imported;
        if (value & IMAGE_ORDINAL_FLAG32) continue;  // imported by number: no name to match
        const char* imported = image.name(value + offsetof(IMAGE_IMPORT_BY_NAME, Name));
        if (!imported) return ImportPatch::malformed;
        if (std::strcmp(imported, function) == 0) {
            slot_rva = library.FirstThunk + step;
            return ImportPatch::replaced;
        }
    }
}

}  // namespace

ImportPatch replace_import(void* module, const char* library, const char* function, void* replacement,
                           void** original) {
    const LoadedImage image(module);
    if (!image.valid()) return ImportPatch::malformed;
    const IMAGE_DATA_DIRECTORY& directory = image.imports();
    if (directory.VirtualAddress == 0) return ImportPatch::not_imported;
    const std::uint32_t count = directory.Size / sizeof(IMAGE_IMPORT_DESCRIPTOR);
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto* descriptor =
            image.at<IMAGE_IMPORT_DESCRIPTOR>(directory.VirtualAddress + i * sizeof(IMAGE_IMPORT_DESCRIPTOR));
        if (!descriptor) return ImportPatch::malformed;
        if (descriptor->Name == 0) break;  // the zero descriptor ends the list
        const char* name = image.name(descriptor->Name);
        if (!name) return ImportPatch::malformed;
        if (lstrcmpiA(name, library) != 0) continue;

        std::uint32_t slot_rva = 0;
        const ImportPatch found = find_slot(image, *descriptor, function, slot_rva);
        if (found == ImportPatch::not_imported) continue;  // a library may be listed more than once
        if (found != ImportPatch::replaced) return found;

        auto* slot = reinterpret_cast<void**>(image.writable(slot_rva));
        DWORD previous_protection = 0;
        if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &previous_protection))
            return ImportPatch::protected_page;
        if (original) *original = *slot;
        *slot = replacement;
        DWORD ignored = 0;
        VirtualProtect(slot, sizeof(void*), previous_protection, &ignored);
        FlushInstructionCache(GetCurrentProcess(), slot, sizeof(void*));
        return ImportPatch::replaced;
    }
    return ImportPatch::not_imported;
}

const char* import_patch_text(ImportPatch result) {
    switch (result) {
        case ImportPatch::replaced: return "replaced";
        case ImportPatch::not_imported: return "not imported";
        case ImportPatch::malformed: return "malformed import directory";
        case ImportPatch::protected_page: return "import table not writable";
    }
    return "?";
}

}  // namespace simhost
