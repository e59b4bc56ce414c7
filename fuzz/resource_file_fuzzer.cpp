// The resource file reader on arbitrary bytes: open, select files the file itself lists (split
// between base and selection lists by the input's own bytes), refresh and look up by text and by
// hashed key. The answers must hang together: a found value has an origin that holds exactly
// that value, and every key a file lists is found in that file.
#include <fendrel/ResourceWriter.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>
#include <xxhash.h>

#include "FuzzCheck.h"
#include "host/Fendrel.h"

namespace {

using fuzzcheck::Require;

const std::vector<std::string> kSections = {"S0",           "S1", "S0:C0",        "Gain",
                                            "Display:Zoom", "",   "NoSuchSection"};
const std::vector<std::string> kKeys = {"K0", "K1", "Gain", "FileNumbers", "", "NoSuchKey"};

std::vector<uint64_t> Hashed(const std::string& text) {
    const fendrel::KeyWords words = fendrel::TextKey(text);
    return {words.begin(), words.end()};
}

void Lookup(Fendrel& parser, const std::string& section, const std::string& key) {
    std::string value;
    std::string origin;
    const bool found = parser.FindValue(section, key, value);
    Require(found == parser.FindOrigin(section, key, origin), "FindValue and FindOrigin differ");
    if (found) {
        std::string held;
        Require(parser.GetFileValue(origin, section, key, held) && held == value,
                "the origin does not hold the value found");
        Require(parser.HasFile(origin), "the origin is not a contained file");
    }
    std::string other;
    parser.FindValue(Hashed(section), key, other);
    parser.FindValue(section, Hashed(key), other);
    parser.FindValue(Hashed(section), Hashed(key), other);
    parser.FindValue(std::vector<uint64_t>{1, 2}, std::vector<uint64_t>{}, other);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One file per process, removed when the process ends.
    static const struct TempFile {
        std::string path = "/dev/shm/quendel_resource_fuzz_" + std::to_string(getpid());
        ~TempFile() { unlink(path.c_str()); }
    } temp;
    const std::string& path = temp.path;
    // The size field and the checksum are set to match, so that mutations reach the checks
    // behind them (the format tests cover a wrong checksum or size).
    std::string image(reinterpret_cast<const char*>(data), size);
    if (image.size() >= 32) {
        const uint64_t total = image.size();
        std::memcpy(&image[24], &total, sizeof total);
        const uint64_t checksum = XXH3_64bits(image.data() + 24, image.size() - 24);
        std::memcpy(&image[16], &checksum, sizeof checksum);
    }
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(image.data(), static_cast<std::streamsize>(image.size()));
    }
    Fendrel* parser = Fendrel::getHandle();
    if (parser->OpenFile(path)) {
        std::vector<std::string> files;
        parser->ListFiles(files);
        std::vector<std::string> base;
        std::vector<std::string> selection(7);
        for (size_t i = 0; i < files.size(); ++i) {
            Require(parser->HasFile(files[i]), "a listed file is not held");
            const uint8_t pick = size > 0 ? data[i % size] : 0;
            if (pick % 3 == 0) {
                base.push_back(files[i]);
            } else if (pick % 3 == 1) {
                selection[pick % 7] = files[i];
            }
        }
        base.push_back("not/in/the/file.pp");
        parser->SetBaseFiles(base);
        parser->SetSelectionFiles(selection);
        parser->SetSelectionFiles(std::vector<std::string>(3, "short list"));
        parser->Refresh();
        // Every entry the file lists is held by one of its files and looked up consistently.
        std::vector<std::pair<std::string, std::vector<std::string>>> entries;
        parser->ListEntries(entries);
        for (const auto& entry : entries) {
            const std::string& section = entry.first;
            for (const std::string& key : entry.second) {
                std::string value;
                Require(std::any_of(files.begin(), files.end(),
                                    [&](const std::string& file) {
                                        return parser->GetFileValue(file, section, key, value);
                                    }),
                        "a listed entry is in no file");
                Lookup(*parser, section, key);
            }
        }
        for (const std::string& section : kSections) {
            for (const std::string& key : kKeys) {
                Lookup(*parser, section, key);
            }
            for (const std::string& file : files) {
                std::vector<std::string> keys;
                if (parser->ListKeys(file, section, keys)) {
                    for (const std::string& key : keys) {
                        std::string value;
                        Require(parser->GetFileValue(file, section, key, value),
                                "a listed key is not in its file");
                        Lookup(*parser, section, key);
                    }
                }
            }
        }
    }
    Fendrel::deletHandle(parser);
    return 0;
}
