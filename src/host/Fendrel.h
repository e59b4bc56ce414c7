// The binary resource parser library: what the binary store calls. The virtual operations
// keep their slot order; the parser library supplies getHandle/deletHandle and the object.
#ifndef QUENDEL_HOST_FENDREL_H
#define QUENDEL_HOST_FENDREL_H

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#define FENDREL_API __attribute__((visibility("default")))

class FENDREL_API Fendrel {
  public:
    static Fendrel* getHandle();
    // Destroys the object and leaves handle null.
    static void deletHandle(Fendrel*& handle);

    // Paths of every file the open resource file holds, in path order.
    virtual bool ListFiles(std::vector<std::string>& paths) = 0;
    virtual bool OpenFile(const std::string& path) = 0;
    virtual bool FindValue(const std::vector<uint64_t>& section, const std::string& key,
                           std::string& value) = 0;
    virtual bool FindValue(const std::string& section, const std::vector<uint64_t>& key,
                           std::string& value) = 0;
    virtual bool FindValue(const std::string& section, const std::string& key,
                           std::string& value) = 0;
    virtual bool FindValue(const std::vector<uint64_t>& section, const std::vector<uint64_t>& key,
                           std::string& value) = 0;
    // The file lists take effect at the next Refresh; FindValue answers from the first file that
    // holds the entry: selection entries 0 to 6, then the base list in its order.
    virtual bool SetBaseFiles(const std::vector<std::string>& files) = 0;
    // Always seven paths, empty for unselected levels.
    virtual bool SetSelectionFiles(const std::vector<std::string>& files) = 0;
    virtual bool GetFileValue(const std::string& file, const std::string& section,
                              const std::string& key, std::string& value) = 0;
    // Keys of one section of one contained file, in key order.
    virtual bool ListKeys(const std::string& file, const std::string& section,
                          std::vector<std::string>& keys) = 0;
    virtual void Refresh() = 0;
    // The handed-over file that answers FindValue(section, key), for provenance.
    virtual bool FindOrigin(const std::string& section, const std::string& key,
                            std::string& file) = 0;
    virtual bool HasFile(const std::string& path) = 0;

    virtual ~Fendrel() = default;

    // Why the last OpenFile failed ("truncated at 512 of 2048 bytes"); empty after one that
    // succeeded. Added last so that every operation before it keeps its slot.
    virtual std::string OpenError() = 0;
    // Every section some contained file holds, each with the keys held there, both in byte
    // order; for provenance. Added after OpenError, so that every operation keeps its slot.
    virtual bool ListEntries(
        std::vector<std::pair<std::string, std::vector<std::string>>>& sections) = 0;
    // The text FindValue copies, in place: it stays where it is, unchanged, while the resource
    // file is open. Added after ListEntries, so that every operation keeps its slot.
    virtual bool FindText(const std::vector<uint64_t>& section, const std::string& key,
                          std::string_view& value) = 0;
    virtual bool FindText(const std::string& section, const std::vector<uint64_t>& key,
                          std::string_view& value) = 0;
    virtual bool FindText(const std::string& section, const std::string& key,
                          std::string_view& value) = 0;
    virtual bool FindText(const std::vector<uint64_t>& section, const std::vector<uint64_t>& key,
                          std::string_view& value) = 0;
};

#endif
