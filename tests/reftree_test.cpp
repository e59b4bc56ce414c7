// The benchmarks' reference tree: reproducible, complete, with the value mix it promises, and
// its merged selection (what the peers parse) equal to what the text store makes of the tree.
#include <gtest/gtest.h>

#include <corvel/CorvelControl.h>

#include <filesystem>
#include <map>
#include <string>

#include "PeerFormats.h"
#include "RefTree.h"
#include "RefTreeGenerator.h"
#include "TestSupport.h"
#include "textstore/ParamFile.h"
#include "textstore/ResourceMsgImp.h"

namespace fs = std::filesystem;
using namespace reftree;

namespace {

constexpr int kSmallSchema = 60;

std::map<std::string, std::string> FilesBelow(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), dir).string()] = ReadWholeFile(entry.path());
        }
    }
    return files;
}

// The merged selection as the generator wrote it for the peers.
ParamTable SelectionTable(const std::string& out) {
    ParamFile file(PeerFile(out, kPeerPp));
    EXPECT_TRUE(file.Parse(""));
    ParamTable table;
    file.ForEachList([&](const std::string& section, const BlockList& list) {
        for (const auto& [key, value] : list.m_values) {
            table[section][key] = value.m_text;
        }
    });
    return table;
}

}  // namespace

TEST(RefTree, SameSeedWritesSameBytesOtherSeedOthers) {
    TempDir a, b, c;
    Generate(a.Path(), 1, kSmallSchema);
    Generate(b.Path(), 1, kSmallSchema);
    Generate(c.Path(), 2, kSmallSchema);
    const auto first = FilesBelow(a.Path());
    EXPECT_EQ(first, FilesBelow(b.Path()));
    const auto other = FilesBelow(c.Path());
    const std::string base = std::string("dev/Quendel/") + kBaseFile;
    ASSERT_EQ(other.count(base), 1u);
    EXPECT_NE(first.at(base), other.at(base));
}

TEST(RefTree, EveryLevelHasItsFilesAndARerunReplacesTheTree) {
    TempDir out;
    const std::string stray = out.Write("dev/Quendel/Stray.pp", "Left<1>\n");
    const GeneratorStats stats = Generate(out.Path(), 1, kSmallSchema);
    EXPECT_FALSE(fs::exists(stray));
    const int expected = 1 + static_cast<int>(std::size(kListedFiles)) + 2 + kGroups +
                         kGroups * kProbes + kGroups * kProbes * kClinicals + kClinicals + 1;
    EXPECT_EQ(stats.files, expected);
    const Selection start = StartSelection();
    for (const Selection& s : {start, ClinicalSwitch(), ProbeSwitch(), GroupSwitch()}) {
        const auto files = SelectionFiles(out.Path(), s);
        // Only the start selection has a user-defined file (the last one listed).
        const bool isStart = s.f == start.f && s.p == start.p && s.a == start.a;
        for (size_t i = 0; i < files.size() - (isStart ? 0 : 1); ++i) {
            EXPECT_TRUE(fs::is_regular_file(files[i])) << files[i];
        }
    }
    for (const char* peer : {kPeerPp, kPeerIni, kPeerToml, kPeerCfg}) {
        EXPECT_GT(fs::file_size(PeerFile(out.Path(), peer)), 0u) << peer;
    }
}

TEST(RefTree, MergedSelectionIsWhatTheTextStoreMakesOfTheTree) {
    TempDir out;
    Generate(out.Path(), 3, kSmallSchema);
    LogCapture quiet;
    corvel::ClearSettings();
    corvel::SetSetting("Path", "ShippedRoot", out.Path());
    corvel::SetSetting("Path", "SystemHQUserDefinedRoot", UserDefinedRoot(out.Path()));
    const Selection s = StartSelection();
    ResourceMsgImp store(s.f, s.p, s.a);
    store.Refresh();
    corvel::ClearSettings();

    const ParamTable expected = SelectionTable(out.Path());
    ParamTable merged;
    for (const auto& [section, entries] : store.GetMergedOrigins()) {
        for (const auto& [key, origin] : entries) {
            merged[section][key] = origin.m_value;
        }
    }
    EXPECT_EQ(merged, expected);
    // The lookup entries come from the group clinical file, over the base file's values.
    for (const char* key : {kIntKey, kWordKey, kListKey}) {
        const auto origins = store.GetOrigins(kLookupSection, key);
        ASSERT_EQ(origins.size(), 2u) << key;
        EXPECT_EQ(origins[0].m_layer, "group clinical") << key;
        EXPECT_EQ(origins[1].m_layer, "base") << key;
    }
    // The user-defined file takes part and wins where it speaks.
    bool userWins = false;
    for (const auto& [section, entries] : store.GetMergedOrigins()) {
        for (const auto& [key, origin] : entries) {
            userWins = userWins || origin.m_layer == "user-defined";
        }
    }
    EXPECT_TRUE(userWins);
}

TEST(RefTree, SelectionHasTheValueMixAndNesting) {
    TempDir out;
    Generate(out.Path(), 4, 400);
    const ParamTable table = SelectionTable(out.Path());
    std::map<ValueType, double> share;
    double total = 0;
    size_t deepest = 0;
    for (const auto& [section, entries] : table) {
        deepest = std::max<size_t>(deepest, std::count(section.begin(), section.end(), ':') + 1);
        for (const auto& [key, value] : entries) {
            const ValueType type = Classify(value);
            share[type] += 1;
            total += 1;
            if (type == ValueType::FloatList) {
                const auto elements = std::count(value.begin(), value.end(), ',') + 1;
                EXPECT_GE(elements, 16) << section << " " << key;
                EXPECT_LE(elements, 256) << section << " " << key;
            }
        }
    }
    EXPECT_EQ(deepest, 3u);
    EXPECT_NEAR(share[ValueType::Int] / total, 0.50, 0.06);
    EXPECT_NEAR(share[ValueType::Float] / total, 0.25, 0.05);
    EXPECT_NEAR(share[ValueType::Bool] / total, 0.10, 0.04);
    EXPECT_NEAR(share[ValueType::FloatList] / total, 0.10, 0.04);
    EXPECT_NEAR(share[ValueType::Text] / total, 0.05, 0.03);
    const std::string& list = table.at(kLookupSection).at(kListKey);
    EXPECT_EQ(std::count(list.begin(), list.end(), ',') + 1, kListLength);
}

TEST(PeerFormats, ValueTextsAreTypedAsThePeersNeedThem) {
    const std::pair<const char*, ValueType> cases[] = {
        {"12", ValueType::Int},      {"-3", ValueType::Int},
        {"1.5", ValueType::Float},   {"-0.25", ValueType::Float},
        {"true", ValueType::Bool},   {"false", ValueType::Bool},
        {"Linear", ValueType::Text}, {"1.5, -2.0", ValueType::FloatList},
        {"", ValueType::Text},       {"-", ValueType::Text},
        {".5", ValueType::Text},     {"5.", ValueType::Text},
        {"1.2.3", ValueType::Text},  {"TRUE", ValueType::Text},
    };
    for (const auto& [text, type] : cases) {
        EXPECT_EQ(Classify(text), type) << "'" << text << "'";
    }
}

TEST(PeerFormats, OneTableInEachFormat) {
    const ParamTable table = {
        {"A", {{"Mode", "Log"}, {"N", "3"}}},
        {"A:B:C", {{"Curve", "0.5, 1.25"}, {"On", "true"}}},
    };
    EXPECT_EQ(FormatIni(table),
              "[A]\nMode = Log\nN = 3\n\n[A:B:C]\nCurve = 0.5, 1.25\nOn = true\n\n");
    EXPECT_EQ(FormatToml(table),
              "[A]\nMode = \"Log\"\nN = 3\n\n[A.B.C]\nCurve = [0.5, 1.25]\nOn = true\n\n");
    EXPECT_EQ(FormatLibconfig(table),
              "A = {\n  Mode = \"Log\";\n  N = 3;\n  B = {\n    C = {\n"
              "      Curve = [ 0.5, 1.25 ];\n      On = true;\n    };\n  };\n};\n");
}
