// The line scan alone, on one thread: the first MEGABYTES of a log (8-bit) in memory, scanned
// in parts of 4 MiB as a read's batches are; the best of five rounds.
//   zt_scan_bench LOG [MEGABYTES]
#include "diagnose/LineScan.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zt_scan_bench LOG [MEGABYTES]\n");
        return 2;
    }
    const size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 200;
    std::ifstream file(argv[1], std::ios::binary);
    std::string bytes(megabytes << 20, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    const size_t lineFeed = bytes.rfind('\n');
    if (lineFeed == std::string::npos) {
        std::fprintf(stderr, "no whole line in %s\n", argv[1]);
        return 1;
    }
    const size_t end = lineFeed + 1;
    diagnose::TextDecoder decoder;
    decoder.form = diagnose::TextForm::Ansi8;
    const std::vector<size_t> bounds =
        diagnose::SplitAtLines(bytes.data(), end, 1, static_cast<unsigned>(end >> 22) + 1);
    diagnose::PartScan part;
    size_t lines = 0;
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        lines = 0;
        const auto start = std::chrono::steady_clock::now();
        for (size_t k = 0; k + 1 < bounds.size(); ++k) {
            part.Clear();
            diagnose::ScanPart(bytes.data(), bounds[k], bounds[k + 1], decoder, part);
            lines += part.lines.size();
        }
        best =
            std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("scanned: %.1f MB, %zu lines\n", end / 1e6, lines);
    std::printf("scan on one thread: %.3f s, %.0f ns a line\n", best,
                best * 1e9 / static_cast<double>(lines));
    return 0;
}
