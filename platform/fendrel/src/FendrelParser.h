// The parser object handed out by Fendrel::getHandle: one open resource file and the view that
// the handed-over file lists select from it.
#ifndef FENDREL_FENDRELPARSER_H
#define FENDREL_FENDRELPARSER_H

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "Fendrel.h"
#include "ResourceImage.h"

namespace fendrel {

class FendrelParser final : public Fendrel {
  public:
    bool ListFiles(std::vector<std::string>& paths) override;
    bool OpenFile(const std::string& path) override;
    bool FindValue(const std::vector<uint64_t>& section, const std::string& key,
                   std::string& value) override;
    bool FindValue(const std::string& section, const std::vector<uint64_t>& key,
                   std::string& value) override;
    bool FindValue(const std::string& section, const std::string& key, std::string& value) override;
    bool FindValue(const std::vector<uint64_t>& section, const std::vector<uint64_t>& key,
                   std::string& value) override;
    bool SetBaseFiles(const std::vector<std::string>& files) override;
    bool SetSelectionFiles(const std::vector<std::string>& files) override;
    bool GetFileValue(const std::string& file, const std::string& section, const std::string& key,
                      std::string& value) override;
    bool ListKeys(const std::string& file, const std::string& section,
                  std::vector<std::string>& keys) override;
    void Refresh() override;
    bool FindOrigin(const std::string& section, const std::string& key, std::string& file) override;
    bool HasFile(const std::string& path) override;
    std::string OpenError() override;
    bool ListEntries(
        std::vector<std::pair<std::string, std::vector<std::string>>>& sections) override;
    bool FindText(const std::vector<uint64_t>& section, const std::string& key,
                  std::string_view& value) override;
    bool FindText(const std::string& section, const std::vector<uint64_t>& key,
                  std::string_view& value) override;
    bool FindText(const std::string& section, const std::string& key,
                  std::string_view& value) override;
    bool FindText(const std::vector<uint64_t>& section, const std::vector<uint64_t>& key,
                  std::string_view& value) override;

  private:
    static constexpr std::size_t kSelectionSize = 7;

    // The holder that answers (section, key) in the current view, or kNone.
    template <class Section, class Key>
    uint32_t Lookup(const Section& section, const Key& key) const;
    template <class Section, class Key>
    bool FindValueOf(const Section& section, const Key& key, std::string& value) const;
    template <class Section, class Key>
    bool FindTextOf(const Section& section, const Key& key, std::string_view& value) const;
    void Rank(const std::vector<std::string>& files);
    void ResetView();

    ResourceImage m_image;
    std::string m_openError;
    // The lists as handed over; they take effect at the next Refresh.
    std::vector<std::string> m_selectionFiles;
    std::vector<std::string> m_baseFiles;
    // The view: precedence rank per contained file (kNone when not handed over), the ranked
    // files in precedence order, and those of them that hold a crowded pair.
    std::vector<uint32_t> m_rank;
    std::vector<uint32_t> m_viewFiles;
    std::vector<uint32_t> m_crowdedViewFiles;
    // Per pair, the holder chosen in the view of generation (high word) m_viewGeneration.
    std::unique_ptr<std::atomic<uint64_t>[]> m_chosen;
    uint32_t m_viewGeneration = 1;
};

}  // namespace fendrel

#endif
