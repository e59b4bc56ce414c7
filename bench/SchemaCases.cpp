// `quendel check` of the whole reference tree against the schema of its families, and `quendel
// schema infer` of it, in process as the commands run without files: every file read once, the
// schema file read in each run.
#include "BenchCases.h"
#include "CaseRegistry.h"
#include "RefTree.h"
#include "inspect/lint/LintRun.h"
#include "inspect/output/JsonText.h"
#include "inspect/schema/SchemaInfer.h"
#include "inspect/schema/SchemaReader.h"

namespace bench {

void RegisterSchemaCases(const BenchData& data) {
    SelectionOptions location;
    location.m_root = data.tree;
    location.m_userRoot = reftree::UserDefinedRoot(data.tree);
    const std::string schemaFile =
        data.tree + "/dev/" + reftree::kResourceName + reftree::kSchemaSuffix;
    benchmark::RegisterBenchmark(name::kCheckTree, [=](benchmark::State& state) {
        for (auto _ : state) {
            Schema schema;
            std::vector<std::string> errors;
            TreeLint result;
            std::string error;
            if (!ReadSchemaFile(schemaFile, schema, errors)) {
                state.SkipWithError(errors.front().c_str());
                break;
            }
            const LintRequest request{location, {}, {}, &schema, schemaFile, false};
            if (!RunLintChecks(request, result, error) || !result.m_errors.empty()) {
                state.SkipWithError(error.empty() ? result.m_errors.front().c_str()
                                                  : error.c_str());
                break;
            }
            if (!result.m_findings.empty()) {
                state.SkipWithError(
                    ("the tree breaks its schema: " + result.m_findings.front().m_message).c_str());
                break;
            }
        }
    })->Unit(benchmark::kMillisecond);

    benchmark::RegisterBenchmark(name::kInferTree, [=](benchmark::State& state) {
        for (auto _ : state) {
            SchemaInference inference;
            TreeLint result;
            std::string error;
            if (!FeedSchemaSink({location, {}, {}}, inference, result, error)) {
                state.SkipWithError(error.c_str());
                break;
            }
            std::vector<std::string> warnings;
            const std::string text = JsonText(inference.Finish("Reference tree", warnings));
            benchmark::DoNotOptimize(text.data());
        }
    })->Unit(benchmark::kMillisecond);
}

}  // namespace bench
