// The editor server on the reference tree, in process and already initialised (the start-up
// case aside): diagnostics after a one-character edit of a group clinical file and of the base
// file, a hover and a definition on a key of the group clinical file.
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "BenchCases.h"
#include "CaseRegistry.h"
#include "LspDriver.h"
#include "RefTree.h"

namespace bench {
namespace {

// The group clinical file the edits, hovers and definitions are about.
const char* const kEditedFile = "Grp3/Xdr2/Cln05/ImgResCln.pp";

std::string TreeFile(const std::string& tree, const std::string& relative) {
    return reftree::ResourceRoot(tree) + relative;
}

// A server that has read the tree and has the file open; made once, outside the timing.
struct OpenServer {
    LspDriver driver;
    std::string path;
    LspDriver::Place place{};
    bool insert = true;
};

OpenServer& ServerWith(const std::string& tree, const std::string& path) {
    static std::unique_ptr<OpenServer> open;
    if (open == nullptr || open->path != path) {
        open.reset();  // one tree in memory at a time
        auto made = std::make_unique<OpenServer>();
        made->driver.Initialize(tree);
        made->driver.Open(path);
        if (!made->driver.TakePublished(path) || !made->driver.TreeRead()) {
            throw std::runtime_error("the server did not read the tree at " + tree);
        }
        made->place = LspDriver::FirstEntry(made->driver.Text(path));
        made->path = path;
        open = std::move(made);
    }
    return *open;
}

// Runs a case; what it throws fails it.
template <class Case>
void Guarded(benchmark::State& state, Case run) {
    try {
        run();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

void RegisterEdit(const char* name, const std::string& tree, const std::string& path) {
    benchmark::RegisterBenchmark(name, [tree, path](benchmark::State& state) {
        Guarded(state, [&] {
            OpenServer& open = ServerWith(tree, path);
            for (auto _ : state) {
                // Insert a digit into the first value, then take it out again: the text returns.
                open.driver.EditOneCharacter(path, open.place.m_value, open.insert);
                open.insert = !open.insert;
                if (!open.driver.TakePublished(path)) {
                    state.SkipWithError("the edit published no diagnostics");
                    break;
                }
            }
        });
    })->Unit(benchmark::kMillisecond);
}

void RegisterQuestion(const char* name, const char* method, const std::string& tree,
                      const std::string& path) {
    benchmark::RegisterBenchmark(name, [tree, path, method](benchmark::State& state) {
        Guarded(state, [&] {
            OpenServer& open = ServerWith(tree, path);
            for (auto _ : state) {
                if (open.driver.Ask(method, path, open.place.m_key).is_null()) {
                    state.SkipWithError("no answer");
                    break;
                }
            }
        });
    })->Unit(benchmark::kMillisecond);
}

}  // namespace

void RegisterLspCases(const BenchData& data) {
    const std::string tree = data.tree;
    const std::string clinical = TreeFile(tree, kEditedFile);
    const std::string base = TreeFile(tree, reftree::kBaseFile);
    benchmark::RegisterBenchmark(name::kLspStartup,
                                 [tree, clinical](benchmark::State& state) {
                                     std::unique_ptr<LspDriver> kept;  // dropped outside the timing
                                     for (auto _ : state) {
                                         kept = std::make_unique<LspDriver>();
                                         kept->Initialize(tree);
                                         kept->Open(clinical);
                                         if (!kept->TakePublished(clinical)) {
                                             state.SkipWithError("no diagnostics after the start");
                                             break;
                                         }
                                     }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    RegisterQuestion(name::kLspHover, "textDocument/hover", tree, clinical);
    RegisterQuestion(name::kLspDefinition, "textDocument/definition", tree, clinical);
    RegisterEdit(name::kLspEditClinical, tree, clinical);
    RegisterEdit(name::kLspEditBase, tree, base);
}

}  // namespace bench
