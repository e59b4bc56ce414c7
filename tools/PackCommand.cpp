// quendel pack DIR [-o FILE] [--ids FILE]: one resource file from a tree of parameter files.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "Command.h"
#include "ResourcePack.h"

namespace {

CommandRun SetupPack(CLI::App& command) {
    auto options = std::make_shared<PackOptions>();
    command
        .add_option("DIR", options->m_dir,
                    "Tree of parameter files; every *.pp file below it is packed as "
                    "<name of DIR>/<path inside DIR>")
        ->required();
    command.add_option("-o,--output", options->m_output,
                       "Resource file to write (default: DIR followed by .bin)");
    command.add_option("--ids", options->m_idsFile,
                       "File of lines \"<IdEnum number> <name>\": section paths and keys of "
                       "that name carry the IdEnum's hashed key");
    return [options] {
        PackResult result;
        std::string error;
        if (!PackTree(*options, result, error)) {
            std::cerr << "quendel pack: " << error << "\n";
            return kExitError;
        }
        std::cout << "Packed " << result.m_files << (result.m_files == 1 ? " file (" : " files (")
                  << result.m_entries << (result.m_entries == 1 ? " entry" : " entries")
                  << ") into " << result.m_output << "\n";
        return kExitOk;
    };
}

const bool kRegistered =
    RegisterCommand({"pack", "Pack a tree of parameter files into one resource file", SetupPack});

}  // namespace
