#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "BenchCases.h"
#include "RefTree.h"
#include "textstore/ParamFile.h"

namespace bench {

BenchData LoadBenchData(const std::string& tree) {
    BenchData data;
    data.tree = tree;
    data.pp = reftree::PeerFile(tree, reftree::kPeerPp);
    data.ini = reftree::PeerFile(tree, reftree::kPeerIni);
    data.toml = reftree::PeerFile(tree, reftree::kPeerToml);
    data.cfg = reftree::PeerFile(tree, reftree::kPeerCfg);
    data.contentBytes = std::filesystem::file_size(data.pp);
    data.section = reftree::kLookupSection;
    data.intKey = reftree::kIntKey;
    data.wordKey = reftree::kWordKey;
    data.listKey = reftree::kListKey;
    data.intListKey = reftree::kIntListKey;
    data.boolListKey = reftree::kBoolListKey;

    IniMap map;
    if (!ParseIniMap(data.ini, map)) {
        throw std::runtime_error("cannot read " + data.ini);
    }
    const auto find = [&](const std::string& key) -> const std::string& {
        const auto it = map.find(data.section + "=" + key);
        if (it == map.end()) {
            throw std::runtime_error("no entry " + key + " in " + data.ini);
        }
        return it->second;
    };
    data.expectedInt = std::stoi(find(data.intKey));
    data.expectedWord = find(data.wordKey);
    data.listText = find(data.listKey);
    if (!FloatsFromChars(data.listText, data.expectedList) ||
        data.expectedList.size() != static_cast<size_t>(reftree::kListLength)) {
        throw std::runtime_error("the lookup list of " + data.ini + " is not 256 decimals");
    }
    // Written by the generator as "1, -2, ..." and "true, false, ...".
    std::istringstream ints(find(data.intListKey));
    for (std::string token; std::getline(ints, token, ',');) {
        data.expectedInts.push_back(std::stoi(token));
    }
    std::istringstream bools(find(data.boolListKey));
    for (std::string token; std::getline(bools, token, ',');) {
        data.expectedBools.push_back(token.find("true") != std::string::npos);
    }
    if (data.expectedInts.size() != static_cast<size_t>(reftree::kListLength) ||
        data.expectedBools.size() != static_cast<size_t>(reftree::kListLength)) {
        throw std::runtime_error("the int or bool lookup list of " + data.ini + " is not 256 long");
    }
    return data;
}

void ForEachSelectionEntry(
    const BenchData& data,
    const std::function<void(const std::string& section, const std::string& key,
                             const std::string& value)>& visit) {
    ParamFile file(data.pp);
    if (!file.Parse("")) {
        throw std::runtime_error("cannot read " + data.pp);
    }
    file.ForEachList([&](const std::string& section, const BlockList& list) {
        for (const auto& [key, value] : list.m_values) {
            visit(section, key, value.m_text);
        }
    });
}

}  // namespace bench
