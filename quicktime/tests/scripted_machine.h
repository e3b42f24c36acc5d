// A machine scripted for the QuickTime loader's tests: libraries by full path with their
// entries and versions, the registry's QuickTime values, folders and the system directory,
// for cases a real machine cannot be put into on demand. The rest of the test platform
// answers as usual; this adds a record of what the loader asked.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/tests/test_platform.h"

class ScriptedMachine final : public TestPlatform {
public:
    struct Library {
        bool in_process = false;  // already loaded by the host when the test starts
        bool loadable = true;
        std::map<std::string, platform::entry_point> entries;
        int references = 0;
    };
    struct Version {
        std::uint32_t most;
        std::uint32_t least;
    };

    // --- the scripted machine ---
    std::map<std::string, Library> libraries;        // by full path
    std::map<std::string, std::string> registry;     // QuickTime key's values, stored with a terminator
    bool registry_fills_buffer = false;               // values fill every byte offered, unterminated
    std::set<std::string> existing_folders;          // written without a final separator
    std::optional<std::string> system_dir;           // none: the call fails
    std::map<std::string, Version> versions;         // files that carry a version resource

    // --- what the loader did, besides loads and system_dir_reads ---
    int registry_reads = 0;
    std::vector<std::string> entry_lookups;
    std::vector<std::uint32_t> module_name_sizes;     // the size of each module-name request
    int frees = 0;
    int version_reads = 0;
    int live_blocks = 0;

    Library& add_library(const std::string& path);
    std::string path_of(platform::module_handle module) const;

    platform::module_handle loaded_module(const char* file_name) override;
    std::uint32_t module_file_name(platform::module_handle module, char* buffer, std::uint32_t size) override;
    platform::module_handle load_library(const char* path) override;
    platform::entry_point find_entry(platform::module_handle module, const char* name) override;
    bool free_library(platform::module_handle module) override;
    bool read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) override;
    bool path_exists(const char* path) override;
    std::uint32_t system_directory(char* buffer, std::uint32_t size) override;
    std::uint32_t version_info_size(const char* path) override;
    bool version_info(const char* path, std::uint32_t size, void* block) override;
    bool query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) override;
    void* alloc_zeroed(std::uint32_t size) override;
    void free_block(void* block) override;

private:
    Library* library_at(platform::module_handle module);
};
