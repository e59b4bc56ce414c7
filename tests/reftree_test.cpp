// The benchmarks' reference tree: reproducible, complete, and its merged selection (what the peers
// parse) equal to what the text store makes of the tree.
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

}  // namespace

// Same seed, same bytes; another seed, other values; a rerun replaces the tree; every level of
// the selections the benchmarks switch between has its file.
TEST(RefTree, ReproducibleAndComplete) {
    TempDir a, b, c;
    const std::string stray = a.Write("dev/Quendel/Stray.pp", "Left<1>\n");
    const GeneratorStats stats = Generate(a.Path(), 1, kSmallSchema);
    Generate(b.Path(), 1, kSmallSchema);
    Generate(c.Path(), 2, kSmallSchema);
    EXPECT_FALSE(fs::exists(stray));
    const auto first = FilesBelow(a.Path());
    EXPECT_EQ(first, FilesBelow(b.Path()));
    const std::string base = std::string("dev/Quendel/") + kBaseFile;
    EXPECT_NE(first.at(base), FilesBelow(c.Path()).at(base));
    EXPECT_EQ(stats.files, 1 + static_cast<int>(std::size(kListedFiles)) + 2 + kGroups +
                               kGroups * kProbes + kGroups * kProbes * kClinicals + kClinicals + 1);
    const Selection start = StartSelection();
    for (const Selection& s : {start, ClinicalSwitch(), ProbeSwitch(), GroupSwitch()}) {
        const auto files = SelectionFiles(a.Path(), s);
        // Only the start selection has a user-defined file (the last one listed).
        const bool isStart = s.f == start.f && s.p == start.p && s.a == start.a;
        for (size_t i = 0; i < files.size() - (isStart ? 0 : 1); ++i) {
            EXPECT_TRUE(fs::is_regular_file(files[i])) << files[i];
        }
    }
    for (const char* peer : {kPeerPp, kPeerIni, kPeerToml, kPeerCfg}) {
        EXPECT_GT(fs::file_size(PeerFile(a.Path(), peer)), 0u) << peer;
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

    ParamFile file(PeerFile(out.Path(), kPeerPp));
    ASSERT_TRUE(file.Parse(""));
    ParamTable expected;
    file.ForEachList([&](const std::string& section, const BlockList& list) {
        for (const auto& [key, value] : list.m_values) {
            expected[section][key] = value.m_text;
        }
    });
    ParamTable merged;
    bool userWins = false;  // the user-defined file takes part and wins where it speaks
    for (const auto& [section, entries] : store.GetMergedOrigins()) {
        for (const auto& [key, origin] : entries) {
            merged[section][key] = origin.m_value;
            userWins = userWins || origin.m_layer == "user-defined";
        }
    }
    EXPECT_EQ(merged, expected);
    EXPECT_TRUE(userWins);
    // The lookup entries come from the group clinical file, over the base file's values.
    for (const char* key : {kIntKey, kWordKey, kListKey}) {
        const auto origins = store.GetOrigins(kLookupSection, key);
        ASSERT_EQ(origins.size(), 2u) << key;
        EXPECT_EQ(origins[0].m_layer, "group clinical") << key;
        EXPECT_EQ(origins[1].m_layer, "base") << key;
    }
    const std::string& list = expected.at(kLookupSection).at(kListKey);
    EXPECT_EQ(std::count(list.begin(), list.end(), ',') + 1, kListLength);
}

TEST(PeerFormats, ValueTypesAndOneTableInEachFormat) {
    const std::pair<const char*, ValueType> cases[] = {
        {"-3", ValueType::Int},     {"-0.25", ValueType::Float},
        {"false", ValueType::Bool}, {"", ValueType::Text},
        {"-", ValueType::Text},     {".5", ValueType::Text},
        {"5.", ValueType::Text},    {"1.2.3", ValueType::Text},
        {"TRUE", ValueType::Text},  {"1.5, -2.0", ValueType::FloatList},
    };
    for (const auto& [text, type] : cases) {
        EXPECT_EQ(Classify(text), type) << "'" << text << "'";
    }
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
