// Parameter texts: the parser and the lookup of one file on each piece of the input, then the
// text store over a tree written from the input, its merge, provenance, raw and typed lookups and
// a re-selection, all compared with the reference model of the format and the merge.
//
// Input: the files of one selection separated by the byte 0x1e, in this order: base file,
// file configuration, clinical base, group, transducer, group clinical, clinical, user-defined,
// then the files the configuration may list ("Common/ImgResDisplay.pp", "Common/ImgResFactory.pp",
// "Common/Extra.pp"). A missing piece is a missing file.
#include <corvel/CorvelControl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "FuzzCheck.h"
#include "ReferenceParamText.h"
#include "ReferenceRules.h"
#include "resource/ValueText.h"
#include "textstore/ParamFile.h"
#include "textstore/ResourceMsgImp.h"

namespace {

namespace fs = std::filesystem;
using fuzzcheck::Fail;
using fuzzcheck::Require;

constexpr char kSeparator = '\x1e';
constexpr char kGroup[] = "Convex";
constexpr char kProbe[] = "CX5";
constexpr char kClinical[] = "Abdomen";
constexpr size_t kConfigPiece = 1;
constexpr size_t kCheckedEntries = 24;  // entries looked up per file and per store

// Where each piece is written: below the resource root, or below the user-defined root.
struct FileSlot {
    const char* layer;  // the store's name of the layer, empty for the file configuration
    std::string relative;
    bool user;
};

const std::vector<FileSlot>& Slots() {
    static const std::string selection =
        std::string(kGroup) + "/" + kProbe + "/" + kClinical + "/ImgResCln.pp";
    static const std::vector<FileSlot> slots = {
        {"base", "ImgResBase.pp", false},
        {"", "FileConfig.pp", false},
        {"clinical base", "Clns/ImgResClnBase.pp", false},
        {"group", std::string(kGroup) + "/ImgResGrp.pp", false},
        {"transducer", std::string(kGroup) + "/" + kProbe + "/ImgResXdr.pp", false},
        {"group clinical", selection, false},
        {"clinical", std::string("Clns/") + kClinical + "/ImgResCln.pp", false},
        {"user-defined", selection, true},
        {"", "Common/ImgResDisplay.pp", false},
        {"", "Common/ImgResFactory.pp", false},
        {"", "Common/Extra.pp", false},
    };
    return slots;
}

std::string g_dir;         // the temporary tree
std::string g_root;        // the resource root: <dir>/shipped/dev/Quendel/
std::string g_userRoot;    // <dir>/user
std::string g_userDir;     // <dir>/user/Quendel/
size_t g_logLines = 0;     // host log lines since the last count
size_t g_failedReads = 0;  // of them, failed reads

std::string PathOf(const FileSlot& slot) {
    return (slot.user ? g_userDir : g_root) + slot.relative;
}

void RemoveTree() {
    std::error_code error;
    fs::remove_all(g_dir, error);
}

std::vector<std::string> SplitPieces(const std::string& input) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (pieces.size() + 1 < Slots().size()) {
        const size_t end = input.find(kSeparator, start);
        if (end == std::string::npos) {
            break;
        }
        pieces.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    pieces.push_back(input.substr(start));
    return pieces;
}

// The configuration names files relative to the root as it stands; ".." could lead out of the
// temporary tree, so it is taken out before the file is written.
std::string Confined(std::string config) {
    reference::ReplaceAll("..", "_.", config);
    return config;
}

// Writes only the files that change, which most runs leave as they are.
void WriteTree(const std::vector<std::string>& pieces) {
    static std::vector<std::string> written(Slots().size());
    static std::vector<bool> present(Slots().size(), false);
    for (size_t i = 0; i < Slots().size(); ++i) {
        const std::string path = PathOf(Slots()[i]);
        const bool wanted = i < pieces.size();
        if (wanted == present[i] && (!wanted || written[i] == pieces[i])) {
            continue;
        }
        present[i] = wanted;
        if (wanted) {
            written[i] = pieces[i];
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << pieces[i];
            Require(static_cast<bool>(out), "cannot write the tree");
        } else {
            std::error_code error;
            fs::remove(path, error);
        }
    }
}

// ---- One file ----

reference::FlatTree Flatten(const ParamFile& file) {
    reference::FlatTree tree;
    file.ForEachList([&tree](const std::string& path, const BlockList& list) {
        auto& entries = tree[path];
        for (const auto& [key, value] : list.m_values) {
            entries[key] = reference::Entry{value.m_text, value.m_line};
        }
    });
    return tree;
}

// Queries built from a stored section path and key: as written, with blanks, with the forms a
// caller may use for the top section, and some that must miss.
std::vector<std::pair<std::string, std::string>> QueriesFor(const std::string& path,
                                                            const std::string& key) {
    std::string spaced = path;
    reference::ReplaceAll(":", " :\t", spaced);
    std::string doubled = path;
    reference::ReplaceAll(":", "::", doubled);
    const std::string global = std::string(reference::kGlobal) + ":";
    const std::string below =
        path.compare(0, global.size(), global) == 0 ? path.substr(global.size() - 1) : ":" + path;
    return {{path, key},    {spaced, " " + key + "\t"}, {below, key}, {"", key}, {path + ":", key},
            {doubled, key}, {path, key + "x"}};
}

// Returns the tree of the file.
reference::FlatTree CheckFile(const std::string& text, const std::string& filter) {
    ParamFile file("memory");
    file.ParseText(text, filter);
    reference::ParamText expected;
    expected.Parse(text, filter);
    const reference::FlatTree tree = expected.Flatten();
    Require(Flatten(file) == tree, "parsed tree");

    size_t checked = 0;
    for (const auto& [path, entries] : tree) {
        for (const auto& entry : entries) {
            if (++checked > kCheckedEntries) {
                return tree;
            }
            for (const auto& [section, key] : QueriesFor(path, entry.first)) {
                std::string value = "untouched";
                std::string expectedValue = "untouched";
                Require(file.Lookup(section, key, value) ==
                            expected.Lookup(section, key, expectedValue),
                        "ParamFile::Lookup result");
                Require(value == expectedValue, "ParamFile::Lookup value");
            }
        }
    }
    return tree;
}

// Every line of text read as a tag.
void CheckTags(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    for (int n = 0; n < 16 && std::getline(lines, line); ++n) {
        const std::string s = "<" + line;
        std::string name;
        std::string path;
        std::string rest;
        std::string expectedName;
        std::string expectedPath;
        std::string expectedRest;
        Require(ParseTag(s, name, path, rest) ==
                    reference::ParamText::SplitTag(s, expectedName, expectedPath, expectedRest),
                "ParseTag result");
        Require(name == expectedName && path == expectedPath && rest == expectedRest,
                "ParseTag parts");
    }
}

// ---- The store ----

struct Layer {
    std::string name;
    std::string path;
    reference::FlatTree tree;
};

// The pieces of the input and the trees they parse to.
struct Tree {
    std::vector<std::string> pieces;
    std::vector<reference::FlatTree> trees;
};

// A file as the store's reader finds it; false when it cannot be read.
bool ReadReference(const Tree& input, const std::string& path, reference::FlatTree& tree) {
    std::error_code error;
    if (path.find('\0') != std::string::npos || !fs::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    const auto piece = std::find(input.pieces.begin(), input.pieces.end(), text);
    if (piece != input.pieces.end()) {
        tree = input.trees[static_cast<size_t>(piece - input.pieces.begin())];
        return true;
    }
    reference::ParamText file;
    file.Parse(text, "");
    tree = file.Flatten();
    return true;
}

// The listed files the configuration names, in index order; reads tried counts every attempt.
std::vector<Layer> ListedLayers(const Tree& input, size_t& readsTried) {
    std::vector<Layer> layers;
    readsTried = 0;
    if (input.pieces.size() <= kConfigPiece) {
        return layers;
    }
    reference::ParamText config;
    config.Parse(input.pieces[kConfigPiece], "");
    std::string count;
    if (!config.Lookup("", "FileNumbers", count) || !reference::IsNumber(count)) {
        return layers;
    }
    const long n = std::atoi(count.c_str());
    const reference::List* global = config.Group(reference::kGlobal);
    if (n < 1 || global == nullptr) {
        return layers;
    }
    // "File" and i written in decimal, for i below the count.
    std::vector<std::pair<long, std::string>> listed;
    for (const auto& [key, entry] : global->values) {
        const std::string digits = key.compare(0, 4, "File") == 0 ? key.substr(4) : "";
        if (digits.empty() || digits.size() > 10 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const long long index = std::stoll(digits);
        if (std::to_string(index) == digits && index < n) {
            listed.emplace_back(static_cast<long>(index), key);
        }
    }
    std::sort(listed.begin(), listed.end());
    for (const auto& [index, key] : listed) {
        ++readsTried;
        Layer layer{key, g_root + global->values.at(key).value, {}};
        if (ReadReference(input, layer.path, layer.tree)) {
            layers.push_back(std::move(layer));
        }
    }
    return layers;
}

// The files of the slots in order of precedence, highest first, for the given levels.
std::vector<Layer> SlotLayers(const Tree& input, bool withProbe) {
    static const char* const kOrder[] = {
        "user-defined", "clinical", "clinical base", "group clinical",
        "transducer",   "group",    "base"};
    std::vector<Layer> layers;
    for (const char* name : kOrder) {
        const std::string layerName = name;
        if (!withProbe && (layerName == "transducer" || layerName == "group clinical")) {
            continue;
        }
        for (size_t i = 0; i < Slots().size() && i < input.pieces.size(); ++i) {
            if (layerName == Slots()[i].layer) {
                layers.push_back(Layer{layerName, PathOf(Slots()[i]), input.trees[i]});
            }
        }
    }
    return layers;
}

std::vector<Layer> Joined(std::vector<Layer> slots, std::vector<Layer> listed) {
    std::move(listed.begin(), listed.end(), std::back_inserter(slots));
    return slots;
}

// Lowest precedence first, so that higher layers replace what lower ones set.
OriginTable MergeLayers(const std::vector<Layer>& layers) {
    OriginTable table;
    for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
        for (const auto& [path, entries] : layer->tree) {
            if (entries.empty()) {
                continue;  // a section without entries answers nothing and is not listed
            }
            auto& section = table[path];
            for (const auto& [key, entry] : entries) {
                section[key] = ValueOrigin{layer->name, layer->path, entry.line, entry.value};
            }
        }
    }
    return table;
}

bool SameOrigins(const OriginTable& a, const OriginTable& b) {
    auto same = [](const ValueOrigin& x, const ValueOrigin& y) {
        return x.m_layer == y.m_layer && x.m_path == y.m_path && x.m_line == y.m_line &&
               x.m_value == y.m_value;
    };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&same](const auto& x, const auto& y) {
               return x.first == y.first && x.second.size() == y.second.size() &&
                      std::equal(x.second.begin(), x.second.end(), y.second.begin(),
                                 [&same](const auto& p, const auto& q) {
                                     return p.first == q.first && same(p.second, q.second);
                                 });
           });
}

// The text a lookup must find: blanks leave both names, then they are compared exactly.
bool Expected(const OriginTable& table, const std::string& section, const std::string& key,
              std::string& value) {
    const auto found = table.find(reference::Erased(" ", section));
    if (found == table.end()) {
        return false;
    }
    const auto entry = found->second.find(reference::Erased(" ", key));
    if (entry == found->second.end()) {
        return false;
    }
    value = entry->second.m_value;
    return true;
}

// The typed getters answer by the conversion of the raw text, or the default.
void CheckGetters(IResourceMsg& store, const std::string& section, const std::string& key,
                  const std::string* text) {
    int number = 0;
    int expectedNumber = -5;
    const bool intOk = text != nullptr && ToInt(*text, expectedNumber);
    Require(store.GetParameter(section, key, number, -5) == intOk, "int getter result");
    Require(number == (intOk ? expectedNumber : -5), "int getter value");

    const std::vector<double> defaults{9.5, 8.5, 7.5};
    std::vector<double> list;
    std::vector<double> expectedList;
    const bool listOk = text != nullptr && ToDoubleVector(*text, expectedList);
    if (listOk && expectedList.size() < defaults.size()) {
        expectedList.insert(expectedList.end(), defaults.begin() + expectedList.size(),
                            defaults.end());
    }
    Require(store.GetParameter(section, key, list, defaults) == listOk, "list getter result");
    Require(list == (listOk ? expectedList : defaults), "list getter value");

    std::string value;
    Require(store.GetParameter(section, key, value, std::string("def")) == (text != nullptr),
            "string getter result");
    Require(value == (text != nullptr ? *text : "def"), "string getter value");
}

void CheckStoreAnswers(ResourceMsgImp& store, const std::vector<Layer>& layers, bool getters) {
    const std::vector<LayerInfo> loaded = store.GetLayers();
    Require(loaded.size() == layers.size(), "loaded layers");
    for (size_t i = 0; i < layers.size(); ++i) {
        Require(loaded[i].m_name == layers[i].name && loaded[i].m_path == layers[i].path,
                "loaded layer");
    }
    const OriginTable table = MergeLayers(layers);
    Require(SameOrigins(store.GetMergedOrigins(), table), "merged table");

    size_t checked = 0;
    for (const auto& [path, entries] : table) {
        for (const auto& entry : entries) {
            if (++checked > kCheckedEntries) {
                return;
            }
            for (const auto& [section, key] : QueriesFor(path, entry.first)) {
                std::string value = "untouched";
                std::string expected = "untouched";
                const bool found = Expected(table, section, key, expected);
                Require(store.GetRawValue(section, key, value) == found, "GetRawValue result");
                Require(value == expected, "GetRawValue value");
                if (getters) {
                    CheckGetters(store, section, key, found ? &expected : nullptr);
                }
            }
            // Provenance follows the lookup's name rules; its first origin is the winner.
            const std::vector<ValueOrigin> origins = store.GetOrigins(path, entry.first);
            const auto section = table.find(reference::Erased(" ", path));
            const ValueOrigin* winner = nullptr;
            if (section != table.end()) {
                const auto found = section->second.find(reference::Erased(" ", entry.first));
                winner = found == section->second.end() ? nullptr : &found->second;
            }
            Require(origins.empty() == (winner == nullptr), "GetOrigins result");
            Require(winner == nullptr || (origins.front().m_layer == winner->m_layer &&
                                          origins.front().m_line == winner->m_line &&
                                          origins.front().m_value == winner->m_value),
                    "GetOrigins winner");
        }
    }
}

void CheckStore(const Tree& input) {
    size_t listedReads = 0;
    const std::vector<Layer> listed = ListedLayers(input, listedReads);
    const std::vector<Layer> layers = Joined(SlotLayers(input, true), listed);
    const size_t pieces = input.pieces.size();

    g_logLines = 0;
    g_failedReads = 0;
    ResourceMsgImp store(kGroup, kProbe, kClinical);
    // Eight files are tried, each logged once, the file configuration twice, and each listed
    // file once; every file that is not there is a failure.
    constexpr size_t kSlotFiles = 8;
    const size_t missingSlots = kSlotFiles - std::min(pieces, kSlotFiles);
    const size_t configMissing = pieces > kConfigPiece ? 0 : 1;
    Require(g_logLines == kSlotFiles + 1 + listedReads, "log lines of the reads");
    Require(g_failedReads == missingSlots + configMissing + (listedReads - listed.size()),
            "failed reads");

    // Nothing is visible before the first Refresh.
    const OriginTable table = MergeLayers(layers);
    for (const auto& [path, entries] : table) {
        std::string value;
        Require(entries.empty() || !store.GetRawValue(path, entries.begin()->first, value),
                "an entry is visible before Refresh");
    }
    store.Refresh();
    CheckStoreAnswers(store, layers, true);

    // The same selection again gives the same table.
    store.Reload("", "", "");
    store.SetGroup(kGroup);
    store.SetProbe(kProbe);
    store.SetClinical(kClinical);
    store.SetUserDefined(kGroup, kProbe, kClinical);
    store.Refresh();
    CheckStoreAnswers(store, layers, false);

    // Without a transducer, its file and the group clinical file leave the merge.
    store.SetProbe("");
    store.Refresh();
    CheckStoreAnswers(store, Joined(SlotLayers(input, false), listed), false);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // The int-cast warning of the typed getters is of no interest here.
    static std::stringbuf discard;
    std::cout.rdbuf(&discard);

    // Files in memory where the system offers it: every run writes and reads a few.
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "quendel-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        Fail("cannot create a temporary directory");
    }
    g_dir = pattern;
    std::atexit(RemoveTree);
    g_root = g_dir + "/shipped/dev/Quendel/";
    g_userRoot = g_dir + "/user";
    g_userDir = g_userRoot + "/Quendel/";
    for (const FileSlot& slot : Slots()) {
        fs::create_directories(fs::path(PathOf(slot)).parent_path());
    }

    unsetenv("CORVEL_SETTINGS");
    corvel::ClearSettings();
    corvel::SetSetting("Path", "ShippedRoot", g_dir + "/shipped");
    corvel::SetSetting("Path", "SystemHQUserDefinedRoot", g_userRoot);
    corvel::SetLogSink([](const std::string& line) {
        ++g_logLines;
        if (line.rfind("ERROR [Cat_09] Read File : ", 0) == 0) {
            ++g_failedReads;
        }
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzzcheck::CurrentInput() = &input;

    Tree tree{SplitPieces(input), {}};
    if (tree.pieces.size() > kConfigPiece) {
        tree.pieces[kConfigPiece] = Confined(tree.pieces[kConfigPiece]);
    }
    for (const std::string& piece : tree.pieces) {
        tree.trees.push_back(CheckFile(piece, ""));
    }
    CheckFile(tree.pieces.front(), " Probe ");
    CheckTags(tree.pieces.front());

    WriteTree(tree.pieces);
    CheckStore(tree);
    return 0;
}
