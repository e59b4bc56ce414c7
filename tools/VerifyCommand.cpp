// quendel verify FILE... [--json]: whether each resource file opens as the binary store's
// parser opens it (the same reader and checks), what it holds, or why it is refused.
#include <fendrel/ResourceReader.h>
#include <CLI/CLI.hpp>

#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Command.h"
#include "EntryOutput.h"

namespace {

using Json = nlohmann::ordered_json;

struct VerifyOptions {
    std::vector<std::string> m_files;
    bool m_json = false;
};

std::string Hex(uint64_t value) {
    char text[19];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, value);
    return text;
}

// {"path", "ok": true, "version", "size", "checksum", "files", "sections", "keys", "entries"}
// or {"path", "ok": false, "error"}; entries count each file's entries, as pack does.
Json Verify(const std::string& path) {
    fendrel::ResourceReader reader;
    std::string reason;
    if (!reader.Open(path, reason)) {
        return {{"path", path}, {"ok", false}, {"error", reason}};
    }
    const fendrel::ResourceSummary summary = reader.Summary();
    return {{"path", path},
            {"ok", true},
            {"version", summary.m_version},
            {"size", summary.m_size},
            {"checksum", Hex(summary.m_checksum)},
            {"files", summary.m_files},
            {"sections", summary.m_sections},
            {"keys", summary.m_keys},
            {"entries", summary.m_entries}};
}

std::string Counted(const Json& count, const char* one, const char* many) {
    return std::to_string(count.get<uint64_t>()) + " " + (count == 1 ? one : many);
}

// "<path>: ok, format version 2, ..." on standard output, or the reason on standard error.
void PrintText(const Json& result) {
    const std::string path = result["path"];
    if (!result["ok"]) {
        std::cerr << "quendel verify: " << path << ": " << result["error"].get<std::string>()
                  << "\n";
        return;
    }
    std::cout << path << ": ok, format version " << result["version"] << ", "
              << Counted(result["size"], "byte", "bytes") << ", checksum "
              << result["checksum"].get<std::string>() << ", "
              << Counted(result["files"], "file", "files") << ", "
              << Counted(result["sections"], "section", "sections") << ", "
              << Counted(result["keys"], "key", "keys") << ", "
              << Counted(result["entries"], "entry", "entries") << "\n";
}

CommandRun SetupVerify(CLI::App& command) {
    auto options = std::make_shared<VerifyOptions>();
    command.add_option("FILE", options->m_files, "Resource files to check")->required();
    command.add_flag("--json", options->m_json,
                     "Machine-readable output: {\"schema\": 1, \"results\": [one per file]}");
    return [options] {
        Json results = Json::array();
        bool allSound = true;
        for (const std::string& path : options->m_files) {
            results.push_back(Verify(path));
            allSound = allSound && results.back()["ok"];
            if (!options->m_json) {
                PrintText(results.back());
            }
        }
        if (options->m_json) {
            PrintJson(Json{{"results", results}});
        }
        return allSound ? kExitOk : kExitError;
    };
}

const bool kRegistered = RegisterCommand(
    {"verify", "Check resource files as the binary store opens them, and summarise them",
     SetupVerify});

}  // namespace
