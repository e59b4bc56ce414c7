// What the schema checks and the schema inference read: every entry of a parameter file as the
// library's parser stored it, and the file with the layer of a selection that reads it. The
// records are plain data, so any front-end (the tool's tree walk, one selection's merged view,
// a fuzzer) can feed them.
#ifndef QUENDEL_INSPECT_SCHEMA_SCHEMARECORD_H
#define QUENDEL_INSPECT_SCHEMA_SCHEMARECORD_H

#include <cstddef>
#include <string>
#include <string_view>

// The layers of a selection, by the names a schema's "x-layers" uses: the text store's names of
// its files, where all files of the file configuration are "listed" and a product's own file
// stands for the file it replaces.
enum class SchemaLayer {
    kBase,
    kListed,
    kClinicalBase,
    kGroup,
    kTransducer,
    kGroupClinical,
    kClinical,
    kUserDefined,
    kUnknown,  // a file read on its own, not as part of a tree
};

// "base", "listed", "clinical base", "group", "transducer", "group clinical", "clinical",
// "user-defined"; "unknown".
const char* LayerName(SchemaLayer layer);
// The layer of a name of LayerName, or of a store's layer name ("File0", "transducer
// (product)"); kUnknown for anything else.
SchemaLayer LayerOf(std::string_view name);
// The base file, the listed files and the clinical base file: every selection reads them.
bool IsBaseLevel(SchemaLayer layer);

// One file of a tree: its layer, and the selectors of that layer (the group of a group file,
// the group and transducer of a transducer file, ...).
struct SchemaFile {
    std::string m_path;  // as reported
    SchemaLayer m_layer = SchemaLayer::kUnknown;
    std::string m_group;
    std::string m_probe;
    std::string m_clinical;
};

// One entry of a file. The views need to live only during the call that takes the record.
struct SchemaRecord {
    std::string_view m_section;  // the section path ("Display:Zoom")
    std::string_view m_key;
    std::string_view m_value;  // the whole stored text
    size_t m_line = 0;         // from 1; 0 when not known (an entry of a resource file)
    size_t m_column = 0;       // characters from 1; 0 when not known
};

// Takes the records of one file after another.
class SchemaSink {
  public:
    virtual ~SchemaSink() = default;
    virtual void BeginFile(const SchemaFile& file) = 0;
    virtual void Add(const SchemaRecord& record) = 0;
};

#endif
