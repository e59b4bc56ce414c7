// The questions about every selection of the reference tree at once: the whole-tree lint with and
// without the checks across selections, one entry in every selection (text files, resource
// file), and what a change does to every selection (one file edited, another tree altogether).
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "BenchCases.h"
#include "CaseRegistry.h"
#include "HostSetup.h"
#include "RefTree.h"
#include "inspect/lint/TreeLint.h"
#include "inspect/matrix/KeyMatrix.h"
#include "inspect/matrix/TreeImpact.h"
#include "inspect/matrix/TreeModel.h"

namespace fs = std::filesystem;

namespace bench {
namespace {

TreeLocation TextTree(const std::string& out) {
    TreeLocation tree;
    tree.m_name = reftree::kResourceName;
    tree.m_root = reftree::ResourceRoot(out);
    tree.m_userDir = reftree::UserDefinedRoot(out) + "/" + reftree::kResourceName + "/";
    tree.m_dirPrefix = std::string(reftree::kResourceName) + "/";
    tree.m_resourceFile = PackedFile(out);
    return tree;
}

// A copy of the tree that shares every file but one group clinical file, edited: hard links,
// made again for every run, since the tree is written again whenever its generator changes.
std::string EditedCopy(const std::string& tree) {
    const std::string copy = tree + "-edited";
    const std::string edited = "dev/Quendel/Grp3/Xdr2/Cln05/ImgResCln.pp";
    std::error_code error;
    fs::remove_all(copy, error);
    fs::create_directories(copy, error);
    fs::copy(tree + "/dev", copy + "/dev",
             fs::copy_options::recursive | fs::copy_options::create_hard_links, error);
    fs::remove(copy + "/" + edited, error);
    std::ifstream in(tree + "/" + edited, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t value = text.find('<', text.find('\n', text.find('>')));
    text.insert(value + 1, "9");  // the first value of the file's first section changes
    std::ofstream(copy + "/" + edited, std::ios::binary) << text;
    return copy;
}

template <class Run>
void Register(const char* name, Run run) {
    benchmark::RegisterBenchmark(name, [run](benchmark::State& state) {
        for (auto _ : state) {
            std::string error;
            if (!run(error)) {
                state.SkipWithError(error.c_str());
                break;
            }
        }
    })->Unit(benchmark::kMillisecond);
}

}  // namespace

std::string OtherTree(const std::string& tree) {
    return tree + "-other";
}

void RegisterMatrixCases(const BenchData& data) {
    const TreeLocation tree = TextTree(data.tree);
    Register(name::kLintTreeLayers, [tree](std::string& error) {
        TreeLint result;
        return LintTree(tree, result, error, false) && result.m_errors.empty();
    });
    const std::string section = data.section;
    const std::string key = data.intKey;
    Register(name::kMatrixText, [tree, section, key](std::string& error) {
        TreeModel model;
        std::vector<std::string> warnings;
        if (!model.LoadText(tree, ModelSource(), warnings, error)) {
            return false;
        }
        const KeyMatrix matrix = MatrixOf(model, section, key);
        error = "no selection has the entry";
        return !matrix.m_rows.empty() && matrix.m_rows.front().m_cells.front().m_found;
    });
    Register(name::kMatrixBinary, [tree, section, key](std::string& error) {
        TreeModel model;
        const std::pair<std::string, std::string> entry{section, key};
        if (!model.LoadResource(tree, error, &entry)) {
            return false;
        }
        const KeyMatrix matrix = MatrixOf(model, section, key);
        error = "no selection has the entry";
        return matrix.m_rows.size() == reftree::kGroups * reftree::kProbes &&
               matrix.m_rows.front().m_cells.front().m_found;
    });
    const auto impact = [tree](const std::string& other, size_t changes) {
        ImpactSide from;
        from.m_tree = tree;
        ImpactSide to = from;
        to.m_tree = TextTree(other);
        to.m_tree.m_userDir = tree.m_userDir;
        return [from, to, changes](std::string& error) {
            TreeImpact result;
            std::vector<std::string> warnings;
            if (!ComputeImpact(from, to, result, warnings, error)) {
                return false;
            }
            error = "the impact found " + std::to_string(result.m_changes.size()) + " changes";
            return changes == 0 ? result.m_changes.size() > 1000
                                : result.m_changes.size() == changes;
        };
    };
    Register(name::kImpactOne, impact(EditedCopy(data.tree), 1));
    benchmark::RegisterBenchmark(name::kImpactAll,
                                 [run = impact(OtherTree(data.tree), 0)](benchmark::State& state) {
                                     for (auto _ : state) {
                                         std::string error;
                                         if (!run(error)) {
                                             state.SkipWithError(error.c_str());
                                             break;
                                         }
                                     }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3);
}

}  // namespace bench
