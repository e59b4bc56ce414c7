// The binary store: one compiled resource file per product, read through the binary resource
// parser. The store names the files inside it that make up the base set and the current
// selection (group F, probe P, clinical A), preferring a product's own file where the resource
// file holds one, and answers every lookup by asking the parser.
#ifndef QUENDEL_BINSTORE_BINFILEMSGIMPL_H
#define QUENDEL_BINSTORE_BINFILEMSGIMPL_H

#include <string>
#include <vector>

#include "host/Fendrel.h"
#include "resource/ConvertedValueCache.h"
#include "resource/IResourceMsg.h"
#include "resource/IStoreProvenance.h"
#include "resource/IStoredValues.h"

class binFileMsgImpl : public IResourceMsg, public IStoreProvenance, public IStoredValues {
  public:
    // Opens <ShippedRoot>/dev/<QuendelFileName>.bin and hands over the base files and the
    // selection (f, p, a); a file that does not open is logged with the parser's reason and
    // leaves a store that answers nothing.
    binFileMsgImpl(const std::string& f, const std::string& p, const std::string& a);
    ~binFileMsgImpl() override;
    binFileMsgImpl(const binFileMsgImpl&) = delete;
    binFileMsgImpl& operator=(const binFileMsgImpl&) = delete;

    // A new group or probe deselects the levels below it; the change reaches the parser with
    // the next SetClinical or Refresh.
    bool SetGroup(const std::string& f) override;
    bool SetProbe(const std::string& p) override;
    // Hands over the selection when it changed; false when nothing had to be handed over.
    bool SetClinical(const std::string& a) override;
    // Resource files carry no user-defined layer.
    bool SetUserDefined(const std::string& f, const std::string& p, const std::string& a) override;
    // Hands over a selection not yet handed over, then brings the parser's view up to date.
    void Refresh() override;
    // Nothing to prepare: the selection calls after it change only the levels they name.
    void Reload(const std::string& f, const std::string& p, const std::string& a) override;

    // Names lose every space and tab; an empty section name stands for "GlobalParameters".
    bool GetRawValue(const HashedKey& section, const std::string& key, std::string& value) override;
    bool GetRawValue(const std::string& section, const HashedKey& key, std::string& value) override;
    bool GetRawValue(const HashedKey& section, const HashedKey& key, std::string& value) override;
    bool GetRawValue(const std::string& section, const std::string& key,
                     std::string& value) override;

    // The text GetRawValue copies, in place in the mapped resource file, under the same names.
    bool FindText(const std::string& section, const std::string& key,
                  std::string_view& text) override;
    bool FindText(const HashedKey& section, const std::string& key,
                  std::string_view& text) override;
    bool FindText(const std::string& section, const HashedKey& key,
                  std::string_view& text) override;
    bool FindText(const HashedKey& section, const HashedKey& key, std::string_view& text) override;
    ConvertedValueCache& ConvertedValues() override { return m_converted; }

    // Provenance: the files handed over, as the parser ranks them; the files are named as the
    // resource file holds them, below the directory prefix.
    StoreKind Kind() const override { return StoreKind::kBinary; }
    const std::string& Source() const override { return m_binaryFilePath; }
    const std::string& FileRoot() const override { return m_dirPrefix; }
    bool IsOpen(std::string& reason) const override;
    std::vector<LayerInfo> GetLayers() const override;
    std::vector<ValueOrigin> GetOrigins(const std::string& section,
                                        const std::string& key) const override;
    EntryTable GetEntries() override;
    SelectionCheck CheckSelection() const override;
    std::vector<FileReading> GetReadings(bool countEntries) const override;

    // What the store hands the parser, for diagnostics.
    const std::string& ProductRuleDir() const { return m_productRuleDir; }
    const std::vector<std::string>& BaseFiles() const { return m_baseFiles; }
    // Empty before the first selection is handed over, then seven paths (empty when unused),
    // indexed by SelectionSlot.
    const std::vector<std::string>& SelectionFiles() const { return m_selectionFiles; }

  private:
    static constexpr char kLogCategory[] = "Quendel";

    // A name as lookups take it: without blanks, and the empty section as "GlobalParameters".
    // Hashed keys are taken as they are.
    static const std::string& SectionName(const std::string& name, std::string& buffer);
    static const HashedKey& SectionName(const HashedKey& key, std::string& /*buffer*/) {
        return key;
    }
    static const std::string& KeyName(const std::string& name, std::string& buffer);
    static const HashedKey& KeyName(const HashedKey& key, std::string& /*buffer*/) { return key; }
    // Asks the parser with the names as lookups take them.
    template <class Section, class Key, class Value>
    bool Find(const Section& section, const Key& key, Value& value);

    // The path of a top-level file, in the product rule directory when the resource file
    // holds it there.
    std::string ResolveFile(const std::string& name);
    // The base file, then the files the file configuration lists; handed over once.
    bool LoadBaseFiles();
    // Rebuilds the seven selection paths and hands them over when one changed.
    bool ApplySelection(const std::string& f, const std::string& p, const std::string& a);

    std::string m_probe;
    std::string m_group;
    std::string m_clinical;
    std::string m_binaryFilePath;
    std::vector<std::string> m_baseFiles;
    // The text of each listed file's entry, of m_baseFiles[1] on.
    std::vector<std::string> m_listedNames;
    std::vector<std::string> m_selectionFiles;
    Fendrel* m_parser = nullptr;  // owned; null when the file did not open
    std::string m_productRuleDir;
    bool m_reloadPending = false;
    // "<QuendelFileName>/" as it was when this store was built: each store names the files of
    // its own resource file, whatever another store was built with later.
    std::string m_dirPrefix;
    std::string m_openError;  // the parser's reason when the resource file did not open
    // Converted forms of the values queried; their texts lie in the mapped resource file, which
    // stays as it is while the parser keeps it open.
    ConvertedValueCache m_converted;
};

#endif
