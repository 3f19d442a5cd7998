#pragma once
// What the benchmarks share: a shell command that reports its failure, a tree of files that
// compress about as program files do, a clock and the median of timings.
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace qmbench {

int Shell(const std::string& command);

// n files in folders of about 100 (seven subfolders each), each about averageSize bytes of
// text-like content mixed with random bytes; the same tree on every run.
void MakeSourceTree(const std::filesystem::path& root, int n, std::size_t averageSize);

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point start);
double Median(std::vector<double> values);

} // namespace qmbench
