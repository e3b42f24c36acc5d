// The one output policy on real files in a private folder: what is refused
// before any work, and how a file is written, replaced and kept whole.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "commandkit/output_file.h"
#include "commandkit/output_policy.h"

namespace commandkit {
namespace {

namespace fs = std::filesystem;

struct Folder {
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "commandkit-XXXXXX").string();
        path = mkdtemp(pattern.data());
        chmod(path.c_str(), 0755);  // others may enter, for the unprivileged child
    }
    ~Folder() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

void write(const std::string& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << text;
    chmod(path.c_str(), mode);
}

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t mode_of(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Runs `body` in a child process (as `uid` when given); answers its exit status.
int in_child(const std::function<int()>& body, uid_t uid = uid_t(-1)) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (uid != uid_t(-1) && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0)) _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

// What check() says: empty when the run is accepted.
std::string refusal(const RunFiles& files) {
    try {
        files.check();
        return "";
    } catch (const usage_error& e) {
        return e.what();
    }
}

TEST(OutputPolicy, RefusesBeforeAnyWorkWhatWouldHarmAFile) {
    Folder f;
    write(f / "movie.mov", "the user's movie");
    link((f / "movie.mov").c_str(), (f / "hard.mov").c_str());
    write(f / "target.html", "an older page");
    symlink("target.html", (f / "link.html").c_str());
    symlink("nowhere.html", (f / "dangling.html").c_str());
    mkfifo((f / "fifo").c_str(), 0644);
    fs::create_directory(f / "folder");
    const bool made_device = mknod((f / "device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;

    const struct {
        const char* rule;
        std::vector<std::string> inputs, outputs;
        const char* refusal;  // empty: accepted
    } cases[] = {
        {"a new name", {f / "movie.mov"}, {f / "new.html"}, ""},
        {"an existing regular file", {f / "movie.mov"}, {f / "target.html"}, ""},
        {"a link to a regular file", {f / "movie.mov"}, {f / "link.html"}, ""},
        {"the input, spelled otherwise", {f / "movie.mov"}, {f / "folder/../movie.mov"}, "is the input"},
        {"the input, under another name", {f / "movie.mov"}, {f / "hard.mov"}, "is the input"},
        {"the input, through a link", {f / "target.html"}, {f / "link.html"}, "is the input"},
        {"another output, a new name spelled twice", {}, {f / "new.html", f / "./new.html"}, "is the output"},
        {"another output, through a link", {}, {f / "target.html", f / "link.html"}, "is the output"},
        {"a folder", {}, {f / "folder"}, "is a folder"},
        {"a FIFO", {}, {f / "fifo"}, "not a regular file"},
        {"/dev/full", {}, {"/dev/full"}, "not a regular file"},
        {"/dev/stdout", {}, {"/dev/stdout"}, ""},  // decided by what it is, below
        {"a dangling link", {}, {f / "dangling.html"}, "does not exist"},
        {"a missing folder", {}, {f / "missing/page.html"}, "does not exist"},
        {"a file as folder", {}, {f / "movie.mov/page.html"}, "is not a folder"},
        {"a folder as input", {f / "folder"}, {f / "new.html"}, "is a folder"},
        {"a FIFO as input", {f / "fifo"}, {f / "new.html"}, "not a regular file"},
        {"a device", {}, {made_device ? f / "device" : "/dev/null"}, "not a regular file"},
    };
    for (const auto& c : cases) {
        RunFiles files;
        for (const std::string& path : c.inputs) files.input("the input", path);
        for (const std::string& path : c.outputs) files.output("the output", path);
        std::string expected = c.refusal;
        if (c.outputs.front() == "/dev/stdout" && !fs::is_regular_file("/dev/stdout")) expected = "not a regular file";
        const std::string said = refusal(files);
        if (expected.empty()) {
            EXPECT_EQ(said, "") << c.rule;
        } else {
            EXPECT_NE(said.find(expected), std::string::npos) << c.rule << ": " << said;
            EXPECT_EQ(said.find('\n'), std::string::npos) << said;
            // A clash names both files.
            const std::string& other = c.inputs.empty() ? c.outputs[0] : c.inputs[0];
            if (expected.rfind("is the", 0) == 0) {
                EXPECT_NE(said.find(other), std::string::npos) << said;
            }
        }
    }
    EXPECT_EQ(read(f / "movie.mov"), "the user's movie");
    EXPECT_TRUE(fs::is_fifo(f / "fifo"));
}

TEST(OutputPolicy, AReadOnlyFileIsRefusedForItsOwnerAsCpRefusesIt) {
    Folder f;
    write(f / "locked.png", "an older sheet", 0444);
    const uid_t nobody = 65534;
    if (geteuid() == 0) {
        // As root cp replaces it; the owner of the file may not.
        EXPECT_EQ(refusal([&] { RunFiles r; r.output("the sheet", f / "locked.png"); return r; }()), "");
        ASSERT_EQ(chown((f / "locked.png").c_str(), nobody, nobody), 0);
    } else if (geteuid() != nobody) {
        GTEST_SKIP() << "needs root to run the check as the file's non-root owner";
    }
    const int status = in_child(
        [&] {
            RunFiles files;
            files.output("the sheet", f / "locked.png");
            const std::string said = refusal(files);
            return said.find("is read-only for you") != std::string::npos ? 0 : 1;
        },
        geteuid() == 0 ? nobody : uid_t(-1));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read(f / "locked.png"), "an older sheet");
}

TEST(OutputFile, ReplacesWholeThroughALinkKeepingPermissions) {
    Folder f;
    write(f / "private.html", "an older page", 0600);
    symlink("private.html", (f / "link.html").c_str());
    write_output_file(f / "link.html", "the new page");
    EXPECT_TRUE(fs::is_symlink(f / "link.html"));
    EXPECT_EQ(read(f / "private.html"), "the new page");
    EXPECT_EQ(mode_of(f / "private.html"), 0600u);

    const mode_t mask = umask(022);
    write_output_file(f / "fresh.png", "a new sheet");
    umask(mask);
    EXPECT_EQ(mode_of(f / "fresh.png"), 0644u);
    EXPECT_EQ(std::distance(fs::directory_iterator(f.path), fs::directory_iterator()), 3);  // no temporaries
}

TEST(OutputFile, AFailedWriteLeavesTheOlderFileAndNoTemporary) {
    Folder f;
    write(f / "movie.json", "the older file");
    // A file size limit fails the write as a full disk would.
    const int status = in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            write_output_file(f / "movie.json", std::string(4096, 'x'));
        } catch (const output_error& e) {
            const std::string said = e.what();
            return said == "Cannot write " + (f / "movie.json") + ": file too large." ? 0 : 2;
        }
        return 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read(f / "movie.json"), "the older file");
    EXPECT_EQ(std::distance(fs::directory_iterator(f.path), fs::directory_iterator()), 1);
}

TEST(OutputFile, StandardOutputIsAStreamWhoseErrorsAreReported) {
    for (const char* device : {"/dev/full", "/dev/null"}) {
        const int status = in_child([&] {
            const int fd = open(device, O_WRONLY);
            if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) return 3;
            try {
                write_standard_output("the movie's atoms\n");
            } catch (const output_error& e) {
                return std::string(e.what()) == "Cannot write to standard output: no space left on device." ? 1 : 2;
            }
            return 0;
        });
        EXPECT_EQ(status, std::string(device) == "/dev/full" ? 1 : 0) << device;
    }
}

}  // namespace
}  // namespace commandkit
