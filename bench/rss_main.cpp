// quendel_bench_rss text|binary TREE [lists]: initialises one store for the start selection of
// the reference tree in this fresh process and prints three byte counts: the growth of the peak
// resident set, the growth of the resident set, and the bytes of the files the store read.
// With "lists", every list of the selection is then read once as floats and one element of it
// taken, so that the figures include the converted forms the store keeps. A process of its own
// per store keeps one store's peak out of the other's figure.
#include <quendel/Quendel.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

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

// Section and key of every list of the selection, from the INI peer file, read line by line
// so that nothing of the file stays in memory.
std::vector<std::pair<std::string, std::string>> ListEntries(const std::string& tree) {
    std::vector<std::pair<std::string, std::string>> lists;
    std::ifstream ini(reftree::PeerFile(tree, reftree::kPeerIni));
    std::string section;
    for (std::string line; std::getline(ini, line);) {
        const size_t equals = line.find(" = ");
        if (!line.empty() && line.front() == '[') {
            section = line.substr(1, line.size() - 2);
        } else if (equals != std::string::npos && line.find(',', equals) != std::string::npos) {
            lists.emplace_back(section, line.substr(0, equals));
        }
    }
    return lists;
}

}  // namespace

int main(int argc, char** argv) {
    const bool text = argc >= 3 && std::strcmp(argv[1], "text") == 0;
    const bool readLists = argc == 4 && std::strcmp(argv[3], "lists") == 0;
    if (argc < 3 || argc > 4 || (argc == 4 && !readLists) ||
        (!text && std::strcmp(argv[1], "binary") != 0)) {
        std::fprintf(stderr, "usage: %s text|binary TREE [lists]\n", argv[0]);
        return 2;
    }
    const std::string tree = argv[2];
    bench::ConfigureHost(tree, text ? bench::StoreKind::Text : bench::StoreKind::Binary);
    const reftree::Selection start = reftree::StartSelection();
    const uint64_t bytesRead = text ? reftree::TotalBytes(reftree::SelectionFiles(tree, start))
                                    : reftree::TotalBytes({bench::PackedFile(tree)});

    const auto lists = readLists ? ListEntries(tree) : decltype(ListEntries(tree)){};
    std::vector<float> floats;
    floats.reserve(reftree::kListLength);
    const long long before = StatusBytes("VmRSS");
    Quendel quendel;
    quendel.Initial(start.f, start.p, start.a);
    int probe = 0;
    if (!quendel.GetParameter(reftree::kLookupSection, reftree::kIntKey, probe, 0)) {
        std::fprintf(stderr, "%s: the store answers nothing\n", argv[0]);
        return 1;
    }
    size_t read = 0;
    for (const auto& [section, key] : lists) {
        // The binary store reads no user-defined file, so a list only that file sets is absent.
        read += quendel.GetParameter(section, key, floats, {}) ? 1 : 0;
        quendel.GetParamInArray(section, key, 0, 0.0);
    }
    if (readLists && read * 2 < lists.size()) {
        std::fprintf(stderr, "%s: the store reads %zu of %zu lists\n", argv[0], read, lists.size());
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
