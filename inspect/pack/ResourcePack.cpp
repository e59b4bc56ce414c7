#include "inspect/pack/ResourcePack.h"

#include <fendrel/ResourceReader.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "fileset/FileSet.h"
#include "inspect/pack/IdNameFile.h"
#include "inspect/pack/OutputFile.h"
#include "inspect/tree/ParamFileWalk.h"

namespace fs = std::filesystem;

namespace {

struct Tree {
    fs::path m_dir;
    std::string m_name;    // first component of every stored path
    std::string m_output;  // default output
};

// The tree's directory and name. A path ending in "." or ".." (or a run of "/") is named after
// the directory it leads to, so "pack ." in Quendel/ packs "Quendel/..." into ../Quendel.bin.
bool LocateTree(const std::string& dir, Tree& tree, std::string& error) {
    if (dir.empty()) {
        error = "no directory given";
        return false;
    }
    std::string trimmed = dir;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    std::error_code ec;
    const fs::file_status status = fs::status(trimmed, ec);
    if (!fs::exists(status)) {
        error = dir + ": no such directory";
        return false;
    }
    if (!fs::is_directory(status)) {
        error = dir + ": not a directory";
        return false;
    }
    tree.m_dir = trimmed;
    tree.m_name = tree.m_dir.filename().string();
    tree.m_output = trimmed + ".bin";
    if (tree.m_name.empty() || tree.m_name == "." || tree.m_name == "..") {
        const fs::path resolved = fs::weakly_canonical(tree.m_dir, ec);
        tree.m_name = ec ? std::string() : resolved.filename().string();
        if (tree.m_name.empty()) {
            error = dir + ": a tree needs a directory with a name (its files are stored under it)";
            return false;
        }
        tree.m_output = resolved.string() + ".bin";
    }
    return true;
}

// Paths of the "*.pp" files below the tree, relative to it, with "/" separators, sorted.
bool ListParamFiles(const fs::path& dir, std::vector<std::string>& files, std::string& error) {
    const ParamFileWalk walk = WalkParamFiles(dir.string());
    if (walk.m_error) {
        error = "cannot read " + walk.m_failedPath + ": " + walk.m_error.message();
        return false;
    }
    // Packed without it, the file would be missing from a tree that seemed whole.
    if (!walk.m_notRegular.empty()) {
        const ParamFileEntry& first = walk.m_notRegular.front();
        error = first.m_path + " is " + first.m_kind +
                ", not a regular file: nothing is packed (a store reads nothing at its place)";
        return false;
    }
    for (const ParamFileEntry& file : walk.m_files) {
        files.push_back(file.m_relative);
    }
    return true;
}

}  // namespace

fendrel::FileSections FlattenParamFile(const ParamFile& file) {
    fendrel::FileSections sections;
    file.ForEachList([&sections](const std::string& sectionPath, const BlockList& list) {
        if (list.m_values.empty()) {
            return;
        }
        fendrel::SectionEntries& entries = sections[sectionPath];
        for (const auto& [key, value] : list.m_values) {
            entries.emplace_hint(entries.end(), key, value.m_text);
        }
    });
    return sections;
}

size_t CountEntries(const fendrel::FileSections& sections) {
    size_t count = 0;
    for (const auto& section : sections) {
        count += section.second.size();
    }
    return count;
}

bool PackTree(const PackOptions& options, PackResult& result, std::string& error) {
    result = PackResult();
    Tree tree;
    std::vector<std::string> files;
    if (!LocateTree(options.m_dir, tree, error) || !ListParamFiles(tree.m_dir, files, error)) {
        return false;
    }
    if (!options.m_name.empty()) {
        if (options.m_name.find('/') != std::string::npos || options.m_name == "." ||
            options.m_name == "..") {
            error = "--name " + options.m_name + ": a tree name is one directory name";
            return false;
        }
        tree.m_name = options.m_name;
        tree.m_output = (fs::path(tree.m_output).parent_path() / (tree.m_name + ".bin")).string();
    }
    if (files.empty()) {
        error = options.m_dir + ": no parameter file (*.pp) below it, nothing to pack";
        return false;
    }
    fendrel::ResourceWriter writer;
    if (!options.m_idsFile.empty()) {
        IdNameKeys keys;
        if (!ReadIdNames(options.m_idsFile, keys, error)) {
            return false;
        }
        writer.SetFixedKeys(std::move(keys));
    }
    for (const std::string& relative : files) {
        ParamFile file((tree.m_dir / relative).string());
        if (!file.Parse("")) {
            error = "cannot read " + file.Path();
            return false;
        }
        fendrel::FileSections sections = FlattenParamFile(file);
        result.m_entries += CountEntries(sections);
        // Stored as the binary store names it: below the directory prefix of the tree's name.
        const std::string stored = FileSet::ListedFile(FileSet::DirPrefix(tree.m_name), relative);
        if (!writer.AddFileSections(stored, std::move(sections), error)) {
            return false;
        }
    }
    result.m_files = files.size();
    result.m_output = options.m_output.empty() ? tree.m_output : options.m_output;
    // The binary store opens <QuendelFileName>.bin and looks for the files below
    // <QuendelFileName>/, so a file named after another tree answers nothing.
    const fs::path output(result.m_output);
    if (result.m_output != kStandardOutput && output.extension() == ".bin" &&
        output.stem().string() != tree.m_name) {
        result.m_warnings.push_back("the files are stored below " + tree.m_name +
                                    "/, but a store that opens " + output.filename().string() +
                                    " (QuendelFileName " + output.stem().string() +
                                    ") looks below " + output.stem().string() + "/ (--name " +
                                    output.stem().string() + " stores them there)");
    }
    std::string image;
    if (!writer.Build(image, error)) {
        return false;
    }
    if (result.m_output == kStandardOutput) {
        return WriteStandardOutput(image, error);
    }
    OutputTarget target;
    if (!ResolveOutput(result.m_output, target, error)) {
        return false;
    }
    if (target.m_exists && !options.m_force && !fendrel::StartsAsResourceFile(target.m_path)) {
        error = result.m_output +
                " exists and is not a resource file: it is left as it is (--force replaces it)";
        return false;
    }
    return ReplaceFile(target, image, error);
}
