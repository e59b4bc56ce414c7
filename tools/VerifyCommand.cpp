// quendel verify FILE... [--json]: whether each resource file opens as the binary store's
// parser opens it (the same reader and checks), what it holds, or why it is refused.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Command.h"
#include "inspect/output/EntryOutput.h"
#include "inspect/output/ReportJson.h"

namespace {

using Json = nlohmann::ordered_json;

struct VerifyOptions {
    std::vector<std::string> m_files;
    bool m_json = false;
};

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
    command.footer("Exit status: 0 every file sound, 2 a file refused or an error.");
    return [options] {
        Json results = Json::array();
        bool allSound = true;
        for (const std::string& path : options->m_files) {
            results.push_back(VerifyJson(path));
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
