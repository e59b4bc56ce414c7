// Schema files and the checks compiled from them: the reader, the value checks of a small tree,
// the requirements across its layers and the typed view, on any schema text; and the schema
// inferred from that tree, which must read back without an error and accept the tree.
//
// Input: the schema file's text, then the tree's files, each after the byte 0x1e, in this order
// of layers: base, listed, clinical base, group, transducer, group clinical, clinical,
// user-defined, a second group's file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "FuzzCheck.h"
#include "inspect/schema/Schema.h"
#include "inspect/schema/SchemaCheck.h"
#include "inspect/schema/SchemaInfer.h"
#include "inspect/schema/SchemaReader.h"
#include "inspect/schema/SchemaView.h"
#include "textstore/ParamFile.h"
#include "textstore/ParamObserver.h"

namespace {

using fuzzcheck::Fail;
using fuzzcheck::Require;

constexpr char kSeparator = '\x1e';

struct Entry {
    std::string m_section;
    std::string m_key;
    std::string m_value;
    size_t m_line;
    size_t m_column;
};

struct File {
    SchemaFile m_file;
    std::vector<Entry> m_entries;
};

// Every entry the parser stores, as the tool's lint hands them on.
class Collector : public ParamObserver {
  public:
    explicit Collector(std::vector<Entry>& entries) : m_entries(entries) {}
    void OnEntry(const ParamEntryEvent& entry) override {
        m_entries.push_back({std::string(entry.m_section), std::string(entry.m_key),
                             std::string(entry.m_value), entry.m_at.m_line, entry.m_at.m_column});
    }

  private:
    std::vector<Entry>& m_entries;
};

const std::vector<SchemaFile>& Layers() {
    static const std::vector<SchemaFile> layers = {
        {"ImgResBase.pp", SchemaLayer::kBase, "", "", ""},
        {"Common/A.pp", SchemaLayer::kListed, "", "", ""},
        {"Clns/ImgResClnBase.pp", SchemaLayer::kClinicalBase, "", "", ""},
        {"F/ImgResGrp.pp", SchemaLayer::kGroup, "F", "", ""},
        {"F/P/ImgResXdr.pp", SchemaLayer::kTransducer, "F", "P", ""},
        {"F/P/A/ImgResCln.pp", SchemaLayer::kGroupClinical, "F", "P", "A"},
        {"Clns/A/ImgResCln.pp", SchemaLayer::kClinical, "", "", "A"},
        {"user/F/P/A/ImgResCln.pp", SchemaLayer::kUserDefined, "F", "P", "A"},
        {"G/ImgResGrp.pp", SchemaLayer::kGroup, "G", "", ""},
    };
    return layers;
}

void Feed(const std::vector<File>& files, SchemaSink& sink) {
    for (const File& file : files) {
        sink.BeginFile(file.m_file);
        for (const Entry& e : file.m_entries) {
            sink.Add(SchemaRecord{e.m_section, e.m_key, e.m_value, e.m_line, e.m_column});
        }
    }
}

// The tree's entries as one selection's merged view would list them (sorted, the first file
// of a name winning), for the view and the selection check.
EntryTable ViewOf(const std::vector<File>& files) {
    std::vector<StoreEntry> entries;
    for (const File& file : files) {
        for (const Entry& e : file.m_entries) {
            entries.push_back({std::make_shared<const std::string>(e.m_section), e.m_key,
                               {LayerName(file.m_file.m_layer), file.m_file.m_path, e.m_line,
                                e.m_value}});
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const StoreEntry& a, const StoreEntry& b) {
        return std::tie(*a.m_section, a.m_key) < std::tie(*b.m_section, b.m_key);
    });
    EntryTable table;
    for (StoreEntry& entry : entries) {
        if (table.m_entries.empty() || *table.m_entries.back().m_section != *entry.m_section ||
            table.m_entries.back().m_key != entry.m_key) {
            table.m_entries.push_back(std::move(entry));
        }
    }
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzzcheck::CurrentInput() = &input;
    std::vector<std::string> pieces;
    for (size_t start = 0;;) {
        const size_t end = input.find(kSeparator, start);
        pieces.push_back(input.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    std::vector<File> files;
    for (size_t i = 1; i < pieces.size() && i <= Layers().size(); ++i) {
        File file{Layers()[i - 1], {}};
        Collector collector(file.m_entries);
        ParamFile parsed(file.m_file.m_path);
        parsed.SetObserver(&collector);
        parsed.ParseText(pieces[i], "");
        files.push_back(std::move(file));
    }
    const EntryTable view = ViewOf(files);

    // Any schema text: read, and where it reads, every check it compiles to.
    Schema schema;
    std::vector<std::string> errors;
    const bool read = ReadSchema(pieces[0], schema, errors);
    Require(read == errors.empty(), "a schema read with errors, or refused without one");
    if (read) {
        SchemaChecker checker(schema, "schema.json");
        Feed(files, checker);
        for (const SchemaFinding& finding : checker.Finish()) {
            Require(finding.m_rule != nullptr && !finding.m_message.empty(), "an empty finding");
        }
        CheckSelection(schema, view, "schema.json", "the selection");
        (void)TypedView(schema, view).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        for (const StoreEntry& entry : view.m_entries) {
            if (const KeySchema* key = KeySchemaOf(schema, *entry.m_section, entry.m_key)) {
                (void)KeyFactsText(*key);
                (void)KeyFactsJson(*key);
            }
        }
    }

    // The schema inferred from the tree reads back and accepts the tree.
    SchemaInference inference;
    Feed(files, inference);
    std::vector<std::string> warnings;
    std::string text;
    try {
        text = inference.Finish("fuzz", warnings).dump(2);
    } catch (const nlohmann::json::exception& e) {
        Fail(std::string("the inferred schema is no JSON text: ") + e.what());
    }
    Schema inferred;
    errors.clear();
    if (!ReadSchema(text, inferred, errors)) {
        Fail("the inferred schema does not read back: " + errors.front() + "\n" + text);
    }
    SchemaChecker again(inferred, "inferred.json");
    Feed(files, again);
    const std::vector<SchemaFinding> findings = again.Finish();
    if (!findings.empty()) {
        Fail("the inferred schema refuses its tree: " + findings.front().m_file + ":" +
             std::to_string(findings.front().m_line) + ": " + findings.front().m_message + "\n" +
             text);
    }
    // The view holds every entry of the tree, the base level's among them.
    const std::vector<SchemaFinding> selection =
        CheckSelection(inferred, view, "inferred.json", "the selection");
    if (!selection.empty()) {
        Fail("the inferred schema refuses the view of its tree: " + selection.front().m_message);
    }
    fuzzcheck::CurrentInput() = nullptr;
    return 0;
}
