#include "BenchSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace qmbench {

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status != 0)
        std::fprintf(stderr, "failed (%d): %s\n", status, command.c_str());
    return status;
}

void MakeSourceTree(const std::filesystem::path& root, int n, std::size_t averageSize) {
    static const char* words[] = {"install", "archive", "member",  "folder",  "setup", "value",
                                  "window",  "version", "library", "program", "data",  "file",
                                  "0x8000",  "return",  "static",  "config",  "\n",    "  "};
    std::uint32_t x = 2463534242u;
    auto next = [&x] {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x;
    };
    for (int i = 0; i < n; ++i) {
        const std::filesystem::path folder =
            root / ("dir" + std::to_string(i / 100)) / ("sub" + std::to_string(i % 7));
        std::filesystem::create_directories(folder);
        const std::size_t size = averageSize / 2 + next() % averageSize;
        std::string data;
        data.reserve(size + 16);
        while (data.size() < size) {
            if (next() % 4 == 0) {
                for (int k = 0; k < 8; ++k)
                    data += static_cast<char>(next());
            } else {
                data += words[next() % (sizeof words / sizeof *words)];
                data += ' ';
            }
        }
        data.resize(size);
        std::ofstream(folder / ("file" + std::to_string(i) + ".dat"), std::ios::binary) << data;
    }
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace qmbench
