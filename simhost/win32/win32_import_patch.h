// Replacing one imported function of a loaded module: its slot in the
// module's import address table is pointed at a function of ours, so every
// call the module makes through that import reaches us instead. The module's
// code is untouched; it still makes the real call.
#pragma once

namespace simhost {

enum class ImportPatch {
    replaced,
    not_imported,  // the module does not import that function from that library
    malformed,     // the import directory does not fit inside the image
    protected_page,  // the table could not be made writable
};

// Finds `function` imported by name from `library` (letter case aside) in
// `module`, a loaded image, and points its slot at `replacement`. The slot's
// previous value goes to *original when given.
ImportPatch replace_import(void* module, const char* library, const char* function, void* replacement,
                           void** original = nullptr);

const char* import_patch_text(ImportPatch result);

}  // namespace simhost
