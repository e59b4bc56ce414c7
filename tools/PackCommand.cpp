// quendel pack DIR [-o FILE|-] [--ids FILE] [--force]: one resource file from a tree of
// parameter files.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "inspect/pack/ResourcePack.h"

namespace {

CommandRun SetupPack(CLI::App& command) {
    auto options = std::make_shared<PackOptions>();
    command
        .add_option("DIR", options->m_dir,
                    "Tree of parameter files; every *.pp file below it is packed as "
                    "<name of DIR>/<path inside DIR>")
        ->required();
    command.add_option("-o,--output", options->m_output,
                       "Resource file to write (default: DIR, or its --name beside it, followed by "
                       ".bin); - writes to "
                       "standard output. It is replaced only by a complete new file, and only "
                       "when it is a regular file");
    command.add_flag("--force", options->m_force,
                     "Replace an existing output file that is not a resource file");
    command.add_option("--name", options->m_name,
                       "Tree name that starts every stored path (default: the name of DIR); a "
                       "store looks for it as its QuendelFileName");
    command.add_option("--ids", options->m_idsFile,
                       "File of lines \"<IdEnum number> <name>\": section paths and keys of "
                       "that name carry the IdEnum's hashed key");
    command.footer("Exit status: 0 packed, 2 error (nothing is written then).");
    return [options] {
        PackResult result;
        std::string error;
        if (!PackTree(*options, result, error)) {
            std::cerr << "quendel pack: " << error << "\n";
            return kExitError;
        }
        for (const std::string& warning : result.m_warnings) {
            std::cerr << "quendel pack: warning: " << warning << "\n";
        }
        // With the file on standard output, the summary goes to standard error.
        const bool toStdout = result.m_output == kStandardOutput;
        (toStdout ? std::cerr : std::cout)
            << "Packed " << result.m_files << (result.m_files == 1 ? " file (" : " files (")
            << result.m_entries << (result.m_entries == 1 ? " entry" : " entries") << ") into "
            << (toStdout ? "standard output" : result.m_output) << "\n";
        return kExitOk;
    };
}

const bool kRegistered =
    RegisterCommand({"pack", "Pack a tree of parameter files into one resource file", SetupPack});

}  // namespace
