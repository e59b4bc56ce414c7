// `quendel lint` of the whole reference tree, as the command runs it without files: every file
// on its own and the checks across the layers.
#include "BenchCases.h"
#include "CaseRegistry.h"
#include "RefTree.h"
#include "inspect/lint/TreeLint.h"

namespace bench {

void RegisterLintCases(const BenchData& data) {
    TreeLocation tree;
    tree.m_root = reftree::ResourceRoot(data.tree);
    tree.m_userDir = reftree::UserDefinedRoot(data.tree) + "/" + reftree::kResourceName + "/";
    benchmark::RegisterBenchmark(name::kLintTree, [tree](benchmark::State& state) {
        for (auto _ : state) {
            TreeLint result;
            std::string error;
            if (!LintTree(tree, result, error) || !result.m_errors.empty()) {
                state.SkipWithError(error.empty() ? result.m_errors.front().c_str()
                                                  : error.c_str());
                break;
            }
            benchmark::DoNotOptimize(result.m_findings.data());
        }
    })->Unit(benchmark::kMillisecond);
}

}  // namespace bench
