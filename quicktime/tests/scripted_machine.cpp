#include "quicktime/tests/scripted_machine.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr char quicktime_key[] = "Software\\Apple Computer, Inc.\\QuickTime";
constexpr std::uint32_t version_magic = 0xFEEF04BD;  // what a fixed-file-info record starts with
constexpr std::uint32_t version_block_size = 92;     // any size larger than the record will do

struct version_block {
    std::uint32_t magic;
    std::uint32_t most;
    std::uint32_t least;
};

std::string without_final_separator(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

std::string file_name_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ScriptedMachine::Library& ScriptedMachine::add_library(const std::string& path) { return libraries[path]; }

ScriptedMachine::Library* ScriptedMachine::library_at(platform::module_handle module) {
    for (auto& [path, library] : libraries)
        if (&library == module) return &library;
    return nullptr;
}

std::string ScriptedMachine::path_of(platform::module_handle module) const {
    for (const auto& [path, library] : libraries)
        if (&library == module) return path;
    return {};
}

platform::module_handle ScriptedMachine::loaded_module(const char* file_name) {
    for (auto& [path, library] : libraries)
        if (library.in_process && file_name_of(path) == file_name) return &library;
    return nullptr;
}

std::uint32_t ScriptedMachine::module_file_name(platform::module_handle module, char* buffer, std::uint32_t size) {
    module_name_sizes.push_back(size);
    const std::string path = path_of(module);
    if (path.empty() || size == 0) return 0;
    // As on Windows: a name that does not fit is cut, and the answer is the size given.
    const std::size_t copied = path.size() < size ? path.size() : size - 1;
    std::memcpy(buffer, path.data(), copied);
    buffer[copied] = '\0';
    return path.size() < size ? static_cast<std::uint32_t>(copied) : size;
}

platform::module_handle ScriptedMachine::load_library(const char* path) {
    loads.emplace_back(path);
    auto found = libraries.find(path);
    if (found == libraries.end() || !found->second.loadable) return nullptr;
    found->second.in_process = true;
    ++found->second.references;
    return &found->second;
}

platform::entry_point ScriptedMachine::find_entry(platform::module_handle module, const char* name) {
    entry_lookups.emplace_back(name);
    Library* library = library_at(module);
    if (!library) return nullptr;
    auto entry = library->entries.find(name);
    return entry == library->entries.end() ? nullptr : entry->second;
}

bool ScriptedMachine::free_library(platform::module_handle module) {
    ++frees;
    Library* library = library_at(module);
    if (!library || library->references == 0) return false;
    if (--library->references == 0) library->in_process = false;
    return true;
}

bool ScriptedMachine::read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) {
    ++registry_reads;
    if (std::strcmp(key, quicktime_key) != 0) return false;
    auto found = registry.find(value);
    if (found == registry.end()) return false;
    const std::string& bytes = found->second;
    if (registry_fills_buffer) {
        // The worst a registry read can do: every byte offered, and no terminator.
        for (std::uint32_t i = 0; i < size; ++i) buffer[i] = bytes.empty() ? 'x' : bytes[i % bytes.size()];
        return true;
    }
    // Stored as a string value: its bytes and a terminator.
    if (bytes.size() + 1 > size) return false;
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    return true;
}

bool ScriptedMachine::path_exists(const char* path) { return existing_folders.count(without_final_separator(path)) > 0; }

std::uint32_t ScriptedMachine::system_directory(char* buffer, std::uint32_t size) {
    ++system_dir_reads;
    if (!system_dir) return 0;
    if (system_dir->size() + 1 > size) return static_cast<std::uint32_t>(system_dir->size() + 1);
    std::memcpy(buffer, system_dir->c_str(), system_dir->size() + 1);
    return static_cast<std::uint32_t>(system_dir->size());
}


std::uint32_t ScriptedMachine::version_info_size(const char* path) {
    ++version_reads;
    return versions.count(path) ? version_block_size : 0;
}

bool ScriptedMachine::version_info(const char* path, std::uint32_t size, void* block) {
    auto found = versions.find(path);
    if (found == versions.end() || size < sizeof(version_block)) return false;
    const version_block record{version_magic, found->second.most, found->second.least};
    std::memcpy(block, &record, sizeof record);
    return true;
}

bool ScriptedMachine::query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) {
    version_block record;
    std::memcpy(&record, block, sizeof record);
    if (record.magic != version_magic) return false;
    *most = record.most;
    *least = record.least;
    return true;
}

void* ScriptedMachine::alloc_zeroed(std::uint32_t size) {
    ++live_blocks;
    return std::calloc(1, size);
}

void ScriptedMachine::free_block(void* block) {
    --live_blocks;
    std::free(block);
}
