// POSIX platform: modules through the dynamic linker, QuickTime's registry values from
// the environment, the plug-in's own folder as the system directory, and the version note
// a media library carries in place of a Windows version resource.
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/elf_version_note.h"
#include "platform/native_platform.h"

namespace platform {

namespace {

// The one registry key with values here; each value is read from an environment variable.
constexpr char quicktime_key[] = "Software\\Apple Computer, Inc.\\QuickTime";
struct registry_value {
    const char* name;
    const char* variable;
};
constexpr registry_value quicktime_values[] = {
    {"QTSysDir", "ORBIVANE_QTSYSDIR"},
    {"QuickTime.qts folder", "ORBIVANE_QTS_FOLDER"},
    {"QTExtDir", "ORBIVANE_QTEXTDIR"},
};
constexpr char system_dir_variable[] = "ORBIVANE_SYSTEM_DIR";

// Copies text the way the Windows directory calls answer: its length when it fits with its
// zero, else the size needed (zero included) with the buffer untouched.
std::uint32_t copy_out(const std::string& text, char* buffer, std::uint32_t size) {
    if (text.size() + 1 > size) return static_cast<std::uint32_t>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<std::uint32_t>(text.size());
}

std::string executable_path() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::string absolute(const char* path) {
    if (!path || !*path) return executable_path();  // the dynamic linker leaves the main program unnamed
    char resolved[PATH_MAX];
    return realpath(path, resolved) ? std::string(resolved) : std::string(path);
}

const char* file_name_of(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

struct name_search {
    const char* file_name;
    std::string path;
    bool found = false;
};

int match_file_name(dl_phdr_info* info, std::size_t, void* data) {
    auto& search = *static_cast<name_search*>(data);
    if (!info->dlpi_name || !*info->dlpi_name) return 0;
    if (std::strcmp(file_name_of(info->dlpi_name), search.file_name) != 0) return 0;
    search.path = info->dlpi_name;
    search.found = true;
    return 1;
}

struct address_search {
    ElfW(Addr) address;
    std::string path;
    bool found = false;
};

int match_address(dl_phdr_info* info, std::size_t, void* data) {
    auto& search = *static_cast<address_search*>(data);
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        const ElfW(Addr) start = info->dlpi_addr + segment.p_vaddr;
        if (search.address >= start && search.address - start < segment.p_memsz) {
            search.path = absolute(info->dlpi_name);
            search.found = true;
            return 1;
        }
    }
    return 0;
}

// The folder of the module that holds this code: the plug-in library, or a test program
// linked with the plug-in's code.
std::string own_folder() {
    static const char anchor = 0;
    address_search search{reinterpret_cast<ElfW(Addr)>(&anchor), {}, false};
    dl_iterate_phdr(match_address, &search);
    if (!search.found) return {};
    const std::size_t slash = search.path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : search.path.substr(0, slash);
}

// A file read through pread, every range checked against the file's size.
class file_bytes final : public elf_version::byte_source {
public:
    explicit file_bytes(const char* path) : fd_(open(path, O_RDONLY | O_CLOEXEC)) {
        struct stat status {};
        if (fd_ >= 0 && fstat(fd_, &status) == 0 && S_ISREG(status.st_mode))
            size_ = static_cast<std::uint64_t>(status.st_size);
    }
    ~file_bytes() override {
        if (fd_ >= 0) close(fd_);
    }
    file_bytes(const file_bytes&) = delete;
    file_bytes& operator=(const file_bytes&) = delete;

    bool read(std::uint64_t offset, std::size_t size, unsigned char* out) override {
        if (fd_ < 0 || offset > size_ || size > size_ - offset) return false;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
            if (got <= 0) return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }
    std::uint64_t size() const override { return size_; }

private:
    int fd_;
    std::uint64_t size_ = 0;
};

bool read_version(const char* path, elf_version::file_version& version) {
    if (!path) return false;
    file_bytes file(path);
    return elf_version::read_version_note(file, version);
}

}  // namespace

// GetModuleHandleA: a module already in the process whose file name is exactly file_name.
// No reference is kept: the probing dlopen is matched by a dlclose.
module_handle NativePlatform::loaded_module(const char* file_name) {
    if (!file_name || !*file_name) return nullptr;
    name_search search{file_name, {}, false};
    dl_iterate_phdr(match_file_name, &search);
    if (!search.found) return nullptr;
    void* handle = dlopen(search.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle;
}

// GetModuleFileNameA: the module's absolute path; none names the program. A name that does
// not fit is cut to size - 1 characters and the answer is size, as on Windows.
std::uint32_t NativePlatform::module_file_name(module_handle module, char* buffer, std::uint32_t size) {
    if (!buffer || size == 0) return 0;
    std::string path;
    if (!module) {
        path = executable_path();
    } else {
        link_map* map = nullptr;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return 0;
        path = absolute(map->l_name);
    }
    if (path.empty()) return 0;
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<std::uint32_t>(path.size());
}

module_handle NativePlatform::load_library(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

entry_point NativePlatform::find_entry(module_handle module, const char* name) {
    return reinterpret_cast<entry_point>(dlsym(module, name));
}

bool NativePlatform::free_library(module_handle module) { return module && dlclose(module) == 0; }

// Registry reads: only the QuickTime key exists, its values come from the environment (set
// but empty reads as an empty value). Like RegQueryValueExA, a value that does not fit with
// its zero fails and leaves the buffer alone.
bool NativePlatform::read_machine_string(const char* key, const char* value, char* buffer, std::uint32_t size) {
    if (!key || !value || strcasecmp(key, quicktime_key) != 0) return false;
    for (const registry_value& entry : quicktime_values) {
        if (strcasecmp(value, entry.name) != 0) continue;
        const char* text = std::getenv(entry.variable);
        if (!text) return false;
        const std::size_t length = std::strlen(text);
        if (!buffer || length + 1 > size) return false;
        std::memcpy(buffer, text, length + 1);
        return true;
    }
    return false;
}

bool NativePlatform::path_exists(const char* path) { return path && access(path, F_OK) == 0; }

// GetSystemDirectoryA: the folder holding the plug-in, so a QuickTime.qts installed beside
// it is found with no setting; ORBIVANE_SYSTEM_DIR overrides it. No final separator.
std::uint32_t NativePlatform::system_directory(char* buffer, std::uint32_t size) {
    std::string folder;
    if (const char* forced = std::getenv(system_dir_variable); forced && *forced) {
        folder = forced;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    } else {
        folder = own_folder();
    }
    if (folder.empty()) return 0;
    return copy_out(folder, buffer, size);
}

// The version resource: the ".note.qtversion" note read from the file itself. The block
// handed out holds that note as it stands in the file.
std::uint32_t NativePlatform::version_info_size(const char* path) {
    elf_version::file_version version;
    return read_version(path, version) ? static_cast<std::uint32_t>(elf_version::note_size) : 0;
}

bool NativePlatform::version_info(const char* path, std::uint32_t size, void* block) {
    elf_version::file_version version;
    if (!block || size < elf_version::note_size || !read_version(path, version)) return false;
    elf_version::write_note(version, static_cast<unsigned char*>(block));
    return true;
}

bool NativePlatform::query_fixed_file_version(const void* block, std::uint32_t* most, std::uint32_t* least) {
    elf_version::file_version version;
    if (!block || !elf_version::parse_note(static_cast<const unsigned char*>(block), version)) return false;
    if (most) *most = version.most;
    if (least) *least = version.least;
    return true;
}

}  // namespace platform
