// The model of every selection at once, against the library and on small trees: its winners, the
// overrides that never win or change nothing, and what changes between two versions of a tree.
#include <corvel/CorvelControl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ToolRun.h"
#include "inspect/lint/TreeLint.h"
#include "inspect/matrix/ModelLoad.h"
#include "inspect/matrix/SelectionSet.h"
#include "inspect/matrix/TreeImpact.h"
#include "inspect/pack/ResourcePack.h"
#include "inspect/report/Explanation.h"
#include "inspect/report/StdoutCapture.h"

namespace {

namespace fs = std::filesystem;

const std::string kSource = QUENDEL_SOURCE_DIR;

SelectionOptions ExampleTree(const std::string& store, const std::string& root) {
    SelectionOptions options;
    options.m_root = root;
    options.m_userRoot = kSource + "/examples/userdefined";
    options.m_productRule = "Compact";
    options.m_store = store;
    return options;
}

// For every selection of the example tree and every entry some file sets, the model's winner is
// the value and the layer that a Quendel of that selection returns: through the text store with
// its user-defined file, and through the binary store of the packed tree with its product files.
TEST(TreeModel, WinnersAreTheLibrarysInEverySelection) {
    LogCapture quiet;
    StdoutCapture casts;
    TempDir packed;
    fs::create_directories(packed.Path() + "/dev");
    PackResult result;
    std::string error;
    PackOptions pack;
    pack.m_dir = kSource + "/examples/shipped/dev/Quendel";
    pack.m_output = packed.Path() + "/dev/Quendel.bin";
    ASSERT_TRUE(PackTree(pack, result, error)) << error;
    for (const auto& [store, root] :
         {std::pair<std::string, std::string>{"text", kSource + "/examples/shipped"},
          {"bin", packed.Path()}}) {
        SCOPED_TRACE(store);
        SelectionOptions options = ExampleTree(store, root);
        TreeModel model;
        std::vector<std::string> warnings;
        ASSERT_TRUE(LoadModel(options, model, warnings, error)) << error;
        EXPECT_TRUE(warnings.empty());
        ASSERT_EQ(model.Selections().size(), 12u);  // 4 transducers, 3 clinical settings
        const auto names = model.EntryNames();
        ASSERT_GT(names.size(), 30u);
        size_t products = 0;
        for (size_t s = 0; s < model.Selections().size(); ++s) {
            const ModelSelection& chosen = model.Selections()[s];
            products += chosen.m_product.empty() ? 0 : 1;
            options.m_group = chosen.m_group;
            options.m_probe = chosen.m_probe;
            options.m_clinical = chosen.m_clinical;
            Selection selection;
            ASSERT_TRUE(selection.Open(options, error)) << error;
            for (const auto& [section, key] : names) {
                const Explanation expected = Explain(selection, section, key);
                const Holder* winner = model.Winner(s, *model.Holders(section, key));
                const std::string where = chosen.m_group + "/" + chosen.m_probe + "/" +
                                          chosen.m_clinical + " " + section + " " + key;
                ASSERT_EQ(winner != nullptr, expected.m_found) << where;
                if (winner != nullptr) {
                    EXPECT_EQ(model.Entry(*winner).m_value, expected.m_value) << where;
                    EXPECT_EQ(model.LayerName(s, model.RankIn(winner->m_file, s)),
                              expected.m_layers.front().m_layer)
                        << where;
                }
            }
        }
        EXPECT_EQ(products, store == "bin" ? 3u : 0u);  // LN18 with the Compact transducer file
    }
}

// An override that a higher layer outranks wherever its file is read, and one that repeats
// what it overrides everywhere, are found with the setting that outranks or lies below; one that
// wins or differs in a single selection is not.
TEST(TreeModel, OverridesThatNeverWinOrChangeNothing) {
    TempDir dir;
    const auto write = [&](const std::string& relative, const std::string& text) {
        return dir.Write("dev/Quendel/" + relative, text);
    };
    write("ImgResBase.pp", "<S>\nA<1>\nB<1>\nC<1>\nD<1>\n");
    write("Clns/ImgResClnBase.pp", "<S>\nE<4>\n");  // base level: never an override
    write("Clns/X/ImgResCln.pp", "<S>\nA<9>\nE<5>\n");
    write("Clns/Y/ImgResCln.pp", "<S>\nD<2>\nE<6>\n");
    write("G/ImgResGrp.pp", "<S>\nC<2>\n");
    write("G/P/X/ImgResCln.pp", "<S>\nA<5>\n");
    write("G/P/ImgResXdr.pp", "<S>\nA<3>\nB<1>\nD<3>\n");  // D wins only in G/P/X
    write("G/P/Y/ImgResCln.pp", "<S>\nC<2>\n");  // as the group file, in its only selection
    write("G/Q/ImgResXdr.pp", "<S>\nC<1>\n");    // differs from the group it overrides
    TreeLint lint;
    std::string error;
    ASSERT_TRUE(LintTree({"Quendel", dir.Path() + "/dev/Quendel/", "", "Quendel/",
                          dir.Path() + "/user/Quendel/", ""},
                         lint, error))
        << error;
    std::vector<std::string> found;
    for (const LintFinding& finding : lint.m_findings) {
        found.push_back(fs::path(finding.m_file).lexically_relative(dir.Path()).string() + ":" +
                        std::to_string(finding.m_line) + " " + finding.m_message + " [" +
                        finding.m_rule + "]");
    }
    const std::vector<std::string> expected = {
        "dev/Quendel/G/P/ImgResXdr.pp:3 value \"1\" is the value it overrides "
        "(ImgResBase.pp:3 (base)) in every selection that reads this file: it changes nothing "
        "[redundant-override]",
        "dev/Quendel/G/P/X/ImgResCln.pp:2 value \"5\" never takes effect: "
        "Clns/X/ImgResCln.pp:2 (clinical) outranks it in every selection that reads this file "
        "[masked-override]",
        "dev/Quendel/G/P/Y/ImgResCln.pp:2 value \"2\" is the value it overrides "
        "(G/ImgResGrp.pp:2 (group)) in every selection that reads this file: it changes nothing "
        "[redundant-override]",
    };
    EXPECT_EQ(found, expected);
}

TEST(TreeModel, SelectionSetsAreWrittenCompactly) {
    std::vector<SelectionName> all;
    for (const char* group : {"G", "H"}) {
        for (const char* probe : {"P1", "P2"}) {
            for (const char* clinical : {"A", "B"}) {
                all.push_back({group, probe, clinical});
            }
        }
    }
    const auto chosen = [&](auto pick) {
        std::vector<bool> flags;
        for (const SelectionName& s : all) {
            flags.push_back(pick(s));
        }
        return DescribeSelections(all, flags);
    };
    EXPECT_EQ(chosen([](const SelectionName&) { return true; }), "all 8 selections");
    EXPECT_EQ(
        chosen([](const SelectionName& s) { return s.m_group == "G" && s.m_clinical == "A"; }),
        "2 of 8: all 2 transducers of G in A");
    EXPECT_EQ(chosen([](const SelectionName& s) { return s.m_probe == "P2"; }),
              "4 of 8: G P2, H P2 in every clinical setting");
    EXPECT_EQ(chosen([](const SelectionName& s) {
                  return s.m_clinical == "B" || (s.m_group == "H" && s.m_probe == "P1");
              }),
              "5 of 8: H P1 in A; every transducer in B");
}

// Two versions of a tree: each change of a value with the selections it reaches and where it is
// set, a change that a higher layer hides, a selection that comes; through two roots and through
// the git revisions of one.
TEST(TreeModel, ImpactOfAChangeOnEverySelection) {
    TempDir dir;
    const std::string base = "<S>\nA<1>\nB<1>\nC<1>\n";
    for (const char* version : {"old", "new"}) {
        const std::string root = std::string(version) + "/dev/Quendel/";
        dir.Write(root + "ImgResBase.pp", base);
        dir.Write(root + "Clns/X/ImgResCln.pp", "<S>\nB<7>\n");
        dir.Write(root + "Clns/Y/ImgResCln.pp", "# none\n");
        dir.Write(root + "G/ImgResGrp.pp", "<S>\nA<1>\n");
        dir.Write(root + "G/P/ImgResXdr.pp", "# none\n");
        dir.Write(root + "G/P/X/ImgResCln.pp",
                  std::string("<S>\nB<") + (version[0] == 'o' ? "5" : "6") + ">\n");
    }
    dir.Write("new/dev/Quendel/G/ImgResGrp.pp", "<S>\nA<2>\nB<3>\n");  // B hidden under X only
    dir.Write("new/dev/Quendel/G/Q/ImgResXdr.pp", "<S>\nA<4>\n");      // a new transducer
    dir.Write("new/dev/Quendel/G/P/ImgResXdr.pp", "<S>\nC<1>\n");      // wins, with the same value
    const auto side = [&](const std::string& version, const std::string& revision) {
        ImpactSide out;
        out.m_tree.m_root = dir.Path() + "/" + version + "/dev/Quendel/";
        out.m_tree.m_userDir = dir.Path() + "/user/Quendel/";
        out.m_revision = revision;
        return out;
    };
    const auto run = [](const ImpactSide& from, const ImpactSide& to) {
        TreeImpact impact;
        std::vector<std::string> warnings;
        std::string error;
        EXPECT_TRUE(ComputeImpact(from, to, impact, warnings, error)) << error;
        std::vector<std::string> lines;
        for (const ImpactChange& change : impact.m_changes) {
            lines.push_back(*change.m_section + " " + *change.m_key + " " +
                            (change.m_from ? *change.m_from : "-") + " -> " +
                            (change.m_to ? *change.m_to : "-") + ": " +
                            DescribeSelections(impact.m_selections, change.m_selections) + ", " +
                            impact.m_names[change.m_places.front().second.m_file]);
        }
        for (const MaskedChange& masked : impact.m_masked) {
            lines.push_back("masked " + masked.m_file + ":" + std::to_string(masked.m_line) + " " +
                            masked.m_from.value_or("-") + " -> " + masked.m_to.value_or("-"));
        }
        for (const SelectionName& added : impact.m_added) {
            lines.push_back("added " + added.m_group + " " + added.m_probe + " " +
                            added.m_clinical);
        }
        return lines;
    };
    const std::vector<std::string> wanted = {
        "S A 1 -> 2: all 2 selections, G/ImgResGrp.pp",
        "S B 1 -> 3: 1 of 2: every transducer in Y, G/ImgResGrp.pp",
        "masked G/P/ImgResXdr.pp:2 - -> 1",  // a new winner with the old value changes nothing
        "masked G/P/X/ImgResCln.pp:2 5 -> 6",
        "added G Q X",
        "added G Q Y",
    };
    EXPECT_EQ(run(side("old", ""), side("new", "")), wanted);

    // The same two versions as two revisions of a git repository, and one against the working
    // tree; a revision that is an option or names nothing is refused.
    const std::string repo = dir.Path() + "/repo";
    const std::string git = "git -C " + Quoted(repo) + " -c user.name=t -c user.email=t@t ";
    ASSERT_EQ(
        RunCommand("mkdir -p " + Quoted(repo) + " && cp -r " + Quoted(dir.Path() + "/old/dev") +
                   " " + Quoted(repo) + "/ && " + git + "init -q && " + git + "add -A && " + git +
                   "commit -qm old && cp -r " + Quoted(dir.Path() + "/new/dev") + " " +
                   Quoted(repo) + "/ && " + git + "add -A && " + git + "commit -qm new")
            .status,
        0);
    ImpactSide older = side("old", "HEAD~1");
    older.m_tree.m_root = repo + "/dev/Quendel/";
    ImpactSide newer = older;
    newer.m_revision = "HEAD";
    EXPECT_EQ(run(older, newer), wanted);
    newer.m_revision.clear();
    EXPECT_EQ(run(older, newer), wanted);
    for (const auto& [bad, why] : std::vector<std::pair<std::string, std::string>>{
             {"--output=x", "not a revision: \"--output=x\""},
             {"no-such-revision", "no commit \"no-such-revision\" in the git repository of "}}) {
        older.m_revision = bad;
        TreeImpact impact;
        std::vector<std::string> warnings;
        std::string error;
        EXPECT_FALSE(ComputeImpact(older, newer, impact, warnings, error)) << bad;
        EXPECT_EQ(error.substr(0, why.size()), why);
    }
}

}  // namespace
