// quendel_bench_rss text|binary TREE: initialises one store for the start selection of the
// reference tree in this fresh process and prints three byte counts: the growth of the peak
// resident set, the growth of the resident set, and the bytes of the files the store read.
// A process of its own per store keeps one store's peak out of the other's figure.
#include <quendel/Quendel.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "HostSetup.h"
#include "RefTree.h"

namespace {

// A "VmRSS:"-style line of /proc/self/status, in bytes; -1 when absent.
long long StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    const size_t length = std::strlen(field);
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
            return std::stoll(line.substr(length + 1)) * 1024;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool text = argc == 3 && std::strcmp(argv[1], "text") == 0;
    if (argc != 3 || (!text && std::strcmp(argv[1], "binary") != 0)) {
        std::fprintf(stderr, "usage: %s text|binary TREE\n", argv[0]);
        return 2;
    }
    const std::string tree = argv[2];
    bench::ConfigureHost(tree, text ? bench::StoreKind::Text : bench::StoreKind::Binary);
    const reftree::Selection start = reftree::StartSelection();
    const uint64_t bytesRead = text ? reftree::TotalBytes(reftree::SelectionFiles(tree, start))
                                    : reftree::TotalBytes({bench::PackedFile(tree)});

    const long long before = StatusBytes("VmRSS");
    Quendel quendel;
    quendel.Initial(start.f, start.p, start.a);
    int probe = 0;
    if (!quendel.GetParameter(reftree::kLookupSection, reftree::kIntKey, probe, 0)) {
        std::fprintf(stderr, "%s: the store answers nothing\n", argv[0]);
        return 1;
    }
    const long long peak = StatusBytes("VmHWM");
    const long long resident = StatusBytes("VmRSS");
    if (before < 0 || peak < 0 || resident < 0) {
        std::fprintf(stderr, "%s: no resident set figures in /proc/self/status\n", argv[0]);
        return 1;
    }
    std::printf("%lld %lld %llu\n", peak - before, resident - before,
                static_cast<unsigned long long>(bytesRead));
    return 0;
}
