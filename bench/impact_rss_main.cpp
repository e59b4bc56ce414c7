// quendel_bench_impact_rss TREE OTHER: what the impact between two reference trees costs in
// memory, in a fresh process: prints the growth of the peak resident set and the bytes of the
// two trees' parameter files.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "RefTree.h"
#include "inspect/matrix/TreeImpact.h"

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

ImpactSide Side(const std::string& out, const std::string& user) {
    ImpactSide side;
    side.m_tree.m_root = reftree::ResourceRoot(out);
    side.m_tree.m_userDir = user;
    return side;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TREE OTHER\n", argv[0]);
        return 2;
    }
    const std::string user = reftree::UserDefinedRoot(argv[1]) + "/" + reftree::kResourceName + "/";
    const long long before = StatusBytes("VmRSS");
    TreeImpact impact;
    std::vector<std::string> warnings;
    std::string error;
    if (!ComputeImpact(Side(argv[1], user), Side(argv[2], user), impact, warnings, error)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    const long long peak = StatusBytes("VmHWM");
    std::printf(
        "%lld %llu %zu\n", peak - before,
        TreeBytes(reftree::ResourceRoot(argv[1])) + TreeBytes(reftree::ResourceRoot(argv[2])),
        impact.m_changes.size());
    return 0;
}
