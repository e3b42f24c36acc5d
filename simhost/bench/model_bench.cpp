// Time and peak memory of reading a model, as the host reads one for --model.
//
//   cmake --build build/<dir> --target simhost_model_bench
//   build/<dir>/simhost/bench/simhost_model_bench --write-sphere 1000000 /tmp/sphere.obj
//   build/<dir>/simhost/bench/simhost_model_bench /tmp/sphere.obj
//
// The first writes an OBJ sphere of about that many triangles (with vertex
// normals and texture positions, as exporters write them); the second reads a
// model and reports its triangles, the seconds taken and the process's peak
// resident memory (one model per run, so the peak is that model's).
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "simhost/rendering/loaded_model.h"

namespace {

int write_sphere(long triangles, const char* path) {
    const int rows = std::max(2, static_cast<int>(std::sqrt(triangles / 2.0)));
    const int columns = std::max(3, static_cast<int>(triangles / (2 * rows)));
    std::FILE* out = std::fopen(path, "w");
    if (!out) return std::perror(path), 1;
    const double pi = 3.14159265358979323846;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i) {
            const double polar = pi * j / rows, turn = 2 * pi * i / columns;
            const double x = std::sin(polar) * std::cos(turn), y = std::cos(polar), z = std::sin(polar) * std::sin(turn);
            std::fprintf(out, "v %.9f %.9f %.9f\nvn %.6f %.6f %.6f\nvt %.6f %.6f\n", x, y, z, x, y, z,
                         double(i) / columns, 1 - double(j) / rows);
        }
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const int a = j * (columns + 1) + i + 1, b = a + 1, c = a + columns + 1, d = c + 1;
            std::fprintf(out, "f %d/%d/%d %d/%d/%d %d/%d/%d\nf %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, c, c, c, b, b, b, b,
                         b, b, c, c, c, d, d, d);
        }
    return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write-sphere") == 0) return write_sphere(std::atol(argv[2]), argv[3]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: simhost_model_bench MODEL | --write-sphere TRIANGLES FILE.obj\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    std::size_t triangles = 0;
    std::string outcome = "read";
    try {
        triangles = simhost::load_model(argv[1]).triangles;
    } catch (const simhost::model_error& e) {
        outcome = std::string("refused: ") + e.what();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s: %s, %zu triangles, %.2f s, peak memory %.0f MB\n", argv[1], outcome.c_str(), triangles, seconds,
                usage.ru_maxrss / 1024.0);
}
