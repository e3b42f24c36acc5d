// Pages the browser test needs that no movie of ours makes yet: several
// viewers on one page, or one viewer whose config fields are replaced (view
// states, animated views, reversed or swapped controls), the movie's samples
// standing in as that config's frames, in order.
//   web_page_fixture PAGE.html MOVIE...
//   web_page_fixture --config JSON PAGE.html MOVIE
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "objecttool/output_file.h"
#include "objecttool/tool_error.h"
#include "objecttool/web_page.h"

int main(int argc, char** argv) {
    using namespace objecttool;
    std::vector<std::string> args(argv + 1, argv + argc);
    nlohmann::ordered_json fields;
    if (args.size() > 1 && args[0] == "--config") {
        fields = nlohmann::ordered_json::parse(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "Usage: web_page_fixture [--config JSON] PAGE.html MOVIE...\n");
        return 2;
    }
    try {
        std::vector<std::unique_ptr<ObjectMovie>> movies;
        std::vector<PageViewer> viewers;
        for (std::size_t i = 1; i < args.size(); ++i) {
            movies.push_back(std::make_unique<ObjectMovie>(args[i]));
            viewers.push_back(movie_viewer(*movies.back(), args[i], {}));
        }
        if (!fields.is_null()) {
            PageViewer& v = viewers.front();
            v.config.update(fields);
            v.frame_count = std::size_t(v.config["columns"]) * std::size_t(v.config["rows"]) *
                            std::size_t(v.config.value("framesPerView", 1)) *
                            (v.config.contains("states") ? v.config["states"].size() : 1);
        }
        write_file_atomically(args[0], [&](const AppendBytes& out) { write_page(out, viewers, {}); });
    } catch (const tool_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
