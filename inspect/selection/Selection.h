// A selection as the library sees it: the host settings that find the parameter tree and the
// group, transducer and clinical setting. The tool maps its options onto host settings and lets
// the library build its store exactly as a host's Quendel::Initial does, then asks that same
// store for provenance (IStoreProvenance).
#ifndef QUENDEL_INSPECT_SELECTION_SELECTION_H
#define QUENDEL_INSPECT_SELECTION_SELECTION_H

#include <quendel/Quendel.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "resource/IStoreProvenance.h"

// Options shared by the commands that read a selection. Unset options leave the host settings
// (the file named by --settings or by CORVEL_SETTINGS) as they are.
struct SelectionOptions {
    std::string m_settings;
    std::optional<std::string> m_root;
    std::optional<std::string> m_name;
    std::optional<std::string> m_userRoot;
    std::optional<std::string> m_productRule;
    std::optional<std::string> m_store;  // "text" or "bin"
    std::string m_group;
    std::string m_probe;
    std::string m_clinical;
    bool m_verbose = false;
    bool m_json = false;
    bool m_strict = false;  // a level without its file is an error, not a warning
};

// One initialised Quendel and a view of the store it built.
class Selection {
  public:
    Selection() = default;
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    // Applies the settings and initialises the library with (F, P, A). False with a message
    // when a settings file cannot be read or the selection finds no parameters at all (no
    // readable file, or a resource file that does not open). Called again, it re-selects in
    // the store it built, as a host's later Quendel::Initial does.
    bool Open(const SelectionOptions& options, std::string& error);
    // As Open, but content with a tree that exists: the text store's resource root is a
    // directory, the binary store's resource file opens.
    bool OpenTree(const SelectionOptions& options, std::string& error);

    Quendel& Library() { return m_quendel; }
    // Where the store's answers come from; set after a successful Open.
    IStoreProvenance& Provenance() const { return *m_provenance; }
    StoreKind Kind() const { return m_provenance->Kind(); }

    const SelectionOptions& Options() const { return m_options; }
    // "text store, F=Convex P=CX5 A=Abdomen"; empty selectors are left out
    std::string Describe() const;
    // Where the store reads: the resource root of the text store, the resource file of the
    // binary store.
    std::string Source() const;
    // Files the selection should have but the library did not find, each with the path it
    // looked for: the base file, the file of every selected level (the library then reads
    // nothing for that level, which is mostly a misspelt name, with a near one the tree offers
    // suggested, or a root one level off), a listed file missing, unreadable or not regular,
    // and a product rule that names nothing in the resource file.
    std::vector<std::string> Problems() const;
    // The file or directory the last failed Open concerns; empty when none does.
    const std::string& ErrorPath() const { return m_errorPath; }

  private:
    // Applies the settings and builds the store; false when the binary store's resource file
    // does not open.
    bool Build(const SelectionOptions& options, std::string& error);

    SelectionOptions m_options;
    std::string m_errorPath;
    Quendel m_quendel;
    std::shared_ptr<IStoreProvenance> m_provenance;
};

#endif
