// A tree kept checked as its files change: after each edit, every file's findings and every
// selection's winners are what a tree read afresh from the edited files gives. The edits reach
// each rule across files: values, lines that move, names a base-level file defines or drops,
// sections, list lengths, silencing comments, findings of a file's own that explain an entry.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "inspect/lint/CheckedTree.h"

namespace {

const char* const kFiles[][2] = {
    {"FileConfig.pp", "FileNumbers<1>\nFile0<Common/List.pp>\n"},
    {"Common/List.pp", "<L>\nCurve<1, 2, 3>\nWidth<4>\n"},
    {"ImgResBase.pp", "<S>\nA<1>\nB<1>\nC<1>\nFlag<true>\n<L>\nCurve<1, 2, 3>\n"},
    {"Clns/ImgResClnBase.pp", "<S>\nC<2>\n"},
    {"Clns/X/ImgResCln.pp", "<S>\nA<9>\n"},
    {"Clns/Y/ImgResCln.pp", "<L>\nCurve<1, 2, 3>\n"},
    {"G/ImgResGrp.pp", "<S>\nB<1>\nFlag<ture>\n<L>\nCurve<1, 2>\n"},
    {"G/P/ImgResXdr.pp", "<S>\nA<3>\nAa<5>\n"},
    {"G/P/X/ImgResCln.pp", "<S>\nA<5>\n"},
    {"G/Q/ImgResXdr.pp", "<Sx>\nB<2>\n"},
    {"G/Extra.pp", "<S>\nA<7>\n"},
};

std::vector<std::string> Described(const CheckedTree& tree, uint32_t file) {
    std::vector<std::string> lines;
    for (const LintFinding& f : tree.FindingsOf(file)) {
        lines.push_back(std::to_string(f.m_line) + ":" + std::to_string(f.m_column) + " " +
                        f.m_rule + " " + f.m_message);
    }
    return lines;
}

// The winner of every selection for every name, by file and line.
std::vector<std::string> Winners(const CheckedTree& tree) {
    const TreeModel& model = tree.Model();
    std::vector<std::string> lines;
    for (const auto& [section, key] : model.EntryNames()) {
        for (size_t s = 0; s < model.Selections().size(); ++s) {
            const Holder* winner = model.Winner(s, *model.Holders(section, key));
            lines.push_back(std::to_string(s) + " " + section + " " + key + " " +
                            (winner == nullptr ? "-" : model.Where(*winner)));
        }
    }
    return lines;
}

class CheckedTreeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& [relative, text] : kFiles) {
            m_dir.Write("dev/Quendel/" + std::string(relative), text);
        }
        m_tree.m_name = "Quendel";
        m_tree.m_root = m_dir.Path() + "/dev/Quendel/";
        m_tree.m_userDir = m_dir.Path() + "/user/Quendel/";
        m_tree.m_dirPrefix = "Quendel/";
        std::vector<std::string> errors;
        std::string error;
        ASSERT_TRUE(m_checked.Load(m_tree, FileReader(), true, errors, error)) << error;
    }

    // Edits a file on disk and in the kept tree; false when the kept tree refuses the edit.
    bool Edit(const std::string& relative, const std::string& text) {
        const std::string path = m_dir.Write("dev/Quendel/" + relative, text);
        std::vector<uint32_t> touched;
        return m_checked.Replace(m_checked.FindFile(path),
                                 std::make_shared<const FileLint>(LintText(text, path)), touched);
    }

    // The kept tree against one read afresh.
    void ExpectAsFresh() {
        CheckedTree fresh;
        std::vector<std::string> errors;
        std::string error;
        ASSERT_TRUE(fresh.Load(m_tree, FileReader(), true, errors, error)) << error;
        ASSERT_EQ(fresh.Files().size(), m_checked.Files().size());
        for (uint32_t file = 0; file < fresh.Files().size(); ++file) {
            SCOPED_TRACE(fresh.Files()[file].m_relative);
            EXPECT_EQ(Described(m_checked, m_checked.FindFile(fresh.Files()[file].m_path)),
                      Described(fresh, file));
        }
        EXPECT_EQ(Winners(m_checked), Winners(fresh));
    }

    TempDir m_dir;
    TreeLocation m_tree;
    CheckedTree m_checked;
};

TEST_F(CheckedTreeTest, EditsGiveWhatAFreshReadGives) {
    // Every rule across files is there to begin with.
    std::vector<std::string> rules;
    for (uint32_t file = 0; file < m_checked.Files().size(); ++file) {
        for (const LintFinding& finding : m_checked.FindingsOf(file)) {
            rules.push_back(finding.m_rule);
        }
    }
    std::sort(rules.begin(), rules.end());
    rules.erase(std::unique(rules.begin(), rules.end()), rules.end());
    EXPECT_EQ(rules, (std::vector<std::string>{"dead-file", "masked-override", "redundant-override",
                                               "type-mismatch", "unknown-override"}));

    const std::tuple<const char*, const char*, const char*> edits[] = {
        {"a base value", "ImgResBase.pp",
         "<S>\nA<2>\nB<1>\nC<1>\nFlag<true>\n<L>\nCurve<1, 2, 3>\n"},
        {"base lines move", "ImgResBase.pp",
         "\n# moved\n<S>\nA<2>\nB<1>\nC<1>\nFlag<true>\n<L>\nCurve<1, 2, 3>\n"},
        {"a base key renamed", "ImgResBase.pp",
         "\n# moved\n<S>\nA<2>\nBb<1>\nC<1>\nFlag<true>\n<L>\nCurve<1, 2, 3>\n"},
        {"a type mended", "G/ImgResGrp.pp", "<S>\nB<1>\nFlag<true>\n<L>\nCurve<1, 2>\n"},
        {"a finding silenced", "G/P/ImgResXdr.pp",
         "<S>\nA<3>\nAa<5>  # quendel-lint: disable=unknown-override\n"},
        {"a list length shared", "Clns/Y/ImgResCln.pp", "<L>\nCurve<1, 2>\n"},
        {"a list length alone", "Clns/Y/ImgResCln.pp", "<L>\nCurve<1, 2, 3>\n"},
        {"a masked value changed", "G/P/X/ImgResCln.pp", "<S>\nA<9>\n"},
        {"a section defined", "Clns/ImgResClnBase.pp", "<S>\nC<2>\n<Sx>\nB<0>\n"},
        {"a key set twice", "G/ImgResGrp.pp", "<S>\nB<1>\nB<2\nFlag<true>\n<L>\nCurve<1, 2>\n"},
        {"an own finding gone", "G/ImgResGrp.pp", "<S>\nB<1>\nFlag<true>\n<L>\nCurve<1, 2>\n"},
        {"a dead file", "G/Extra.pp", "<S>\nA<8>\n"},
        {"a listed file", "Common/List.pp", "<L>\nCurve<1, 2>\nWidth<4>\n"},
        {"a section dropped", "Clns/ImgResClnBase.pp", "<S>\nC<2>\n"},
    };
    for (const auto& [what, relative, text] : edits) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(Edit(relative, text));
        ExpectAsFresh();
    }
}

// A file configuration that lists other files changes what the tree reads: the kept tree
// refuses it (it is read again); one that lists the same files is taken.
TEST_F(CheckedTreeTest, ListChangesAskForANewRead) {
    EXPECT_TRUE(Edit("FileConfig.pp", "# the same list\nFileNumbers<1>\nFile0<Common/List.pp>\n"));
    ExpectAsFresh();
    EXPECT_FALSE(Edit("FileConfig.pp", "FileNumbers<0>\nFile0<Common/List.pp>\n"));
}

}  // namespace
