// Times web and sheet on one movie (the default demo capture is the target:
// well under a second each), or web over a folder of movies (one page each
// and the index). Not a test: run it by hand on a quiet machine.
//   objecttool_bench MOVIE|FOLDER [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "objecttool/contact_sheet.h"
#include "objecttool/tool_error.h"
#include "objecttool/web_batch.h"
#include "objecttool/web_page.h"

namespace {

void report(const char* what, int runs, const std::function<void()>& work) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-6s best %.3f s, median %.3f s, worst %.3f s over %d runs\n", what, seconds.front(),
                seconds[seconds.size() / 2], seconds.back(), runs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: objecttool_bench MOVIE|FOLDER [RUNS]\n");
        return 2;
    }
    const std::string movie = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const auto folder = std::filesystem::temp_directory_path() / "objecttool-bench";
    std::filesystem::create_directories(folder);
    try {
        if (std::filesystem::is_directory(movie)) {
            const std::vector<std::string> movies = objecttool::batch_movies({movie});
            std::size_t failed = 0;
            report("web", runs, [&] {
                failed = 0;
                for (const auto& e : objecttool::write_web_pages(movies, (folder / "pages").string(), {},
                                                                 [](const std::string&) {}))
                    failed += e.page.empty();
            });
            std::uintmax_t bytes = 0;
            for (const auto& page : std::filesystem::directory_iterator(folder / "pages")) bytes += page.file_size();
            std::printf("%zu movies, %zu failed, pages and index %ju bytes\n", movies.size(), failed, bytes);
            std::filesystem::remove_all(folder);
            return failed ? 1 : 0;
        }
        report("web", runs, [&] { objecttool::write_web_page(movie, (folder / "page.html").string(), {}); });
        report("sheet", runs, [&] { objecttool::write_contact_sheet(movie, (folder / "sheet.png").string(), {}); });
        std::printf("page %ju bytes, sheet %ju bytes, movie %ju bytes\n",
                    std::uintmax_t(std::filesystem::file_size(folder / "page.html")),
                    std::uintmax_t(std::filesystem::file_size(folder / "sheet.png")),
                    std::uintmax_t(std::filesystem::file_size(movie)));
    } catch (const objecttool::tool_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::filesystem::remove_all(folder);
    return 0;
}
