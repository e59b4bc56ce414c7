// quendel_bench_lsp_rss TREE: what the editor server costs in memory, in a fresh process: it
// starts, reads the reference tree and publishes the diagnostics of one opened group clinical
// file; prints the growth of the peak resident set and the bytes of the tree's parameter files.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "LspDriver.h"
#include "RefTree.h"

namespace {

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

unsigned long long TreeBytes(const std::string& dir) {
    unsigned long long bytes = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().extension() == ".pp") {
            bytes += entry.file_size();
        }
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TREE\n", argv[0]);
        return 2;
    }
    const std::string tree = argv[1];
    const std::string file = reftree::ResourceRoot(tree) + "Grp3/Xdr2/Cln05/ImgResCln.pp";
    try {
        const long long before = StatusBytes("VmRSS");
        bench::LspDriver driver;
        driver.Initialize(tree);
        driver.Open(file);
        if (!driver.TakePublished(file) || !driver.TreeRead()) {
            std::fprintf(stderr, "%s: no diagnostics from the tree for %s\n", argv[0],
                         file.c_str());
            return 1;
        }
        const long long peak = StatusBytes("VmHWM");
        std::printf(
            "%lld %llu\n", peak - before,
            TreeBytes(reftree::ResourceRoot(tree)) + TreeBytes(reftree::UserDefinedRoot(tree)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
