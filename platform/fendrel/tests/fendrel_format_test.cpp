// The resource file as untrusted input: truncated, bit-flipped and hostile files (with a valid
// checksum) are refused by OpenFile or, where a change keeps the file well-formed, answered
// consistently; never a crash or an over-read (the sanitizer build checks the latter), not even
// when the file changes under the mapping.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "FendrelSamples.h"
#include "Format.h"

namespace {

using namespace fendrel::format;

// Seventeen files; pair (S1, K1) is held by all of them, so it is crowded (its holders are in
// the holder slots), the other pairs by one each. Files 00 to 13, A, B, C have ids 0 to 16;
// sections S1 to S3 and keys K1 to K3 ids 0 to 2.
std::string SampleImage() {
    fendrel::ResourceWriter writer;
    writer.SetFixedKeys({{"S3", fendrel::TextKey("fixed")}});
    std::string error;
    for (int i = 0; i < 14; ++i) {
        const std::string name = std::to_string(i / 10) + std::to_string(i % 10);
        EXPECT_TRUE(writer.AddFile("Quendel/" + name + ".pp", {{"S1", "K1", name}}, error));
    }
    EXPECT_TRUE(writer.AddFile("Quendel/A.pp",
                               {{"S1", "K1", "a"}, {"S1", "K2", "a2"}, {"S2", "K1", "a3"}}, error));
    EXPECT_TRUE(writer.AddFile("Quendel/B.pp", {{"S1", "K1", "b"}, {"S2", "K2", "b2"}}, error));
    EXPECT_TRUE(writer.AddFile("Quendel/C.pp", {{"S1", "K1", "c"}, {"S3", "K3", ""}}, error));
    return BuildImage(writer);
}

const std::vector<std::string> kSectionNames = {"S1", "S2", "S3", "S4"};
const std::vector<std::string> kKeyNames = {"K1", "K2", "K3", "K4"};

void Reseal(std::string& image) {
    StoreU64(Byte(image, kChecksumOffset),
             XXH3_64bits(image.data() + kChecksumStart, image.size() - kChecksumStart));
}

// Where each table and each of its records lies, read from the header as the format says.
struct Layout {
    explicit Layout(std::string& image) : image(image) {}
    std::size_t SlotAt(Table t) const { return kDirectoryOffset + t * kDirectorySlotSize; }
    uint64_t Offset(Table t) const { return LoadU64(Byte(image, SlotAt(t))); }
    uint64_t Count(Table t) const { return LoadU64(Byte(image, SlotAt(t) + 8)); }
    void SetOffset(Table t, uint64_t v) { StoreU64(Byte(image, SlotAt(t)), v); }
    void SetCount(Table t, uint64_t v) { StoreU64(Byte(image, SlotAt(t) + 8), v); }
    unsigned char* Record(Table t, uint64_t i) const {
        return Byte(image, Offset(t) + i * kRecordSize[t]);
    }
    uint32_t Field(Table t, uint64_t i, std::size_t at) const { return LoadU32(Record(t, i) + at); }
    void SetField(Table t, uint64_t i, std::size_t at, uint32_t v) {
        StoreU32(Record(t, i) + at, v);
    }
    void SwapRecords(Table t, uint64_t a, uint64_t b, std::size_t bytes) {
        std::swap_ranges(Record(t, a), Record(t, a) + bytes, Record(t, b));
    }
    uint32_t PoolSize() const { return static_cast<uint32_t>(Count(kPool)); }
    // The index of the nth filled (or empty) slot of a slot table.
    uint64_t Slot(Table t, bool filled, int nth = 0) const {
        for (uint64_t i = 0; i < Count(t); ++i) {
            if ((Field(t, i, 0) != 0) == filled && nth-- == 0) {
                return i;
            }
        }
        ADD_FAILURE() << kTableName[t] << " lacks the slot looked for";
        return 0;
    }
    // Two filled slots naming the same record: another record is then named by none.
    void DuplicateSlot(Table t) { SetField(t, Slot(t, true, 0), 0, Field(t, Slot(t, true, 1), 0)); }

    std::string& image;
};

// Everything the parser answers about an opened file must agree with itself: listed files
// exist, listed keys have values, and a found value is the value its origin file holds.
int Inconsistencies(ParserHandle& parser) {
    int bad = 0;
    std::vector<std::string> files;
    if (!parser->ListFiles(files)) {
        return 1;
    }
    for (const std::string& f : files) {
        bad += !parser->HasFile(f);
        for (const std::string& s : kSectionNames) {
            std::vector<std::string> keys;
            parser->ListKeys(f, s, keys);
            for (const std::string& k : keys) {
                std::string value;
                bad += !parser->GetFileValue(f, s, k, value);
            }
        }
    }
    std::vector<std::string> selection(7);
    for (std::size_t i = 0; i < files.size() && i < selection.size(); ++i) {
        selection[i] = files[files.size() - 1 - i];
    }
    bad += !parser->SetSelectionFiles(selection);
    bad += !parser->SetBaseFiles(files);
    parser->Refresh();
    for (const std::string& s : kSectionNames) {
        for (const std::string& k : kKeyNames) {
            std::string value;
            std::string origin;
            std::string direct;
            parser->FindValue(Words(fendrel::TextKey(s)), Words(fendrel::TextKey(k)), direct);
            if (parser->FindValue(s, k, value)) {
                bad += !parser->FindOrigin(s, k, origin);
                bad += !parser->GetFileValue(origin, s, k, direct) || direct != value;
            }
        }
    }
    return bad;
}

class FendrelFormatTest : public ::testing::Test {
  protected:
    TempDir m_dir;
    ParserHandle m_parser;
    const std::string m_good = SampleImage();
};

// The checksum and the recorded size catch every truncation, extension and single flipped bit,
// and the reason says which: a cut-off copy, or damage that only the checksum sees.
TEST_F(FendrelFormatTest, EveryTruncationExtensionAndFlipIsRefused) {
    const std::string size = std::to_string(m_good.size());
    for (std::size_t at = 0; at < m_good.size(); ++at) {
        ASSERT_FALSE(m_parser.Open(m_dir, m_good.substr(0, at))) << at;
        ASSERT_EQ(
            m_parser->OpenError(),
            at < kChecksumStart + 8
                ? "too small: " + std::to_string(at) + " bytes (a resource file has at least 208)"
                : "truncated at " + std::to_string(at) + " of " + size + " bytes");
        // Outside the magic, version, flags and size fields only the checksum sees a flip.
        const bool checksummed =
            at >= kChecksumStart + 8 || (at >= kChecksumOffset && at < kChecksumStart);
        for (unsigned char mask : {0x01, 0x80}) {
            std::string bad = m_good;
            bad[at] = static_cast<char>(bad[at] ^ mask);
            ASSERT_FALSE(m_parser.Open(m_dir, bad)) << at;
            ASSERT_EQ(m_parser->OpenError().rfind("checksum mismatch: ", 0) == 0, checksummed)
                << at;
        }
    }
    EXPECT_FALSE(m_parser.Open(m_dir, m_good + '\0'));
    std::string resealed = m_good + std::string(8, '\0');
    Reseal(resealed);
    EXPECT_FALSE(m_parser.Open(m_dir, resealed));  // the recorded size no longer matches
}

// With the checksum made to match, a flip is either caught by the structure checks or leaves
// a well-formed file, which must then be answered consistently.
TEST_F(FendrelFormatTest, ResealedFlipsAreRefusedOrAnsweredConsistently) {
    ASSERT_TRUE(m_parser.Open(m_dir, m_good));
    EXPECT_EQ(Inconsistencies(m_parser), 0);
    std::string value;
    EXPECT_TRUE(m_parser->FindValue("S1", "K1", value));
    EXPECT_EQ(value, "c");  // the selection lists the files last to first
    int opened = 0;
    int refused = 0;
    for (std::size_t at = 0; at < m_good.size(); ++at) {
        for (unsigned char mask : {0x01, 0x10, 0x80, 0xff}) {
            std::string bad = m_good;
            bad[at] = static_cast<char>(bad[at] ^ mask);
            Reseal(bad);
            if (m_parser.Open(m_dir, bad)) {
                ++opened;
                ASSERT_EQ(Inconsistencies(m_parser), 0) << "byte " << at << " mask " << +mask;
            } else {
                ++refused;
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(opened, 0);  // flips inside value texts keep the file well-formed
}

// Each patch with the start of the reason it is refused for: the check, table and record.
struct HostileCase {
    const char* reason;
    std::function<void(Layout&)> patch;
};

TEST_F(FendrelFormatTest, HostileFilesWithValidChecksumAreRefused) {
    const auto version = [](uint32_t v) {
        return [v](Layout& l) { StoreU32(Byte(l.image, kVersionOffset), v); };
    };
    const std::vector<HostileCase> cases = {
        {"bad magic", [](Layout& l) { l.image[0] = 'X'; }},
        {"unknown format version 3 (this parser reads version 2)", version(3)},
        {"format version 1: re-pack the tree with quendel pack", version(1)},
        {"unknown format version 0", version(0)},
        {"unknown flags 0x00000001", [](Layout& l) { StoreU32(Byte(l.image, kFlagsOffset), 1); }},
        {"truncated at",
         [](Layout& l) { StoreU64(Byte(l.image, kFileSizeOffset), l.image.size() + 1); }},
        {"size mismatch",
         [](Layout& l) { StoreU64(Byte(l.image, kFileSizeOffset), l.image.size() - 1); }},
        {"files table: 1099511627776", [](Layout& l) { l.SetCount(kFiles, uint64_t{1} << 40); }},
        {"holder files table", [](Layout& l) { l.SetCount(kHolderFiles, uint64_t{1} << 62); }},
        {"string pool table: starts", [](Layout& l) { l.SetOffset(kPool, l.image.size() + 8); }},
        {"files table: starts at offset 0", [](Layout& l) { l.SetOffset(kFiles, 0); }},
        {"sections table: starts", [](Layout& l) { l.SetOffset(kSections, l.Offset(kFiles)); }},
        {"string pool table",
         [](Layout& l) { l.SetCount(kPool, l.image.size() - l.Offset(kPool) + 1); }},
        {"files record 1", [](Layout& l) { l.SwapRecords(kFiles, 0, 1, kTextRefSize); }},
        {"files record 1",
         [](Layout& l) {
             l.SetField(kFiles, 1, 0, l.Field(kFiles, 0, 0));
             l.SetField(kFiles, 1, 4, l.Field(kFiles, 0, 4));
         }},
        {"files record 0: empty", [](Layout& l) { l.SetField(kFiles, 0, 4, 0); }},
        {"files record 2", [](Layout& l) { l.SetField(kFiles, 2, 0, l.PoolSize()); }},
        {"files record 2", [](Layout& l) { l.SetField(kFiles, 2, 4, l.PoolSize()); }},
        {"files record 2",
         [](Layout& l) {
             l.SetField(kFiles, 2, 0, 8);
             l.SetField(kFiles, 2, 4, UINT32_MAX - 4);
         }},
        {"sections record 1", [](Layout& l) { l.SwapRecords(kSections, 0, 1, kNameRecordSize); }},
        {"keys record 2", [](Layout& l) { l.SwapRecords(kKeys, 1, 2, kNameRecordSize); }},
        {"sections record 2", [](Layout& l) { l.SetField(kSections, 2, 4, l.PoolSize()); }},
        {"keys record 1: text hash", [](Layout& l) { l.SetField(kKeys, 1, kNameTextHashAt, 0); }},
        {"section slots table: 7 slots", [](Layout& l) { l.SetCount(kSectionSlots, 7); }},
        {"section slots table: 2 filled",
         [](Layout& l) { l.SetField(kSectionSlots, l.Slot(kSectionSlots, true), 0, 0); }},
        {"section slots record",
         [](Layout& l) { l.SetField(kSectionSlots, l.Slot(kSectionSlots, false), 0, 4); }},
        {"sections record", [](Layout& l) { l.DuplicateSlot(kSectionSlots); }},
        {"keys record", [](Layout& l) { l.DuplicateSlot(kKeySlots); }},
        {"sections record",  // S3 takes the hashed key of S1
         [](Layout& l) {
             for (std::size_t at = kNameKeyAt; at < kNameRecordSize; at += 4) {
                 l.SetField(kSections, 2, at, l.Field(kSections, 0, at));
             }
         }},
        {"pairs record 0: section", [](Layout& l) { l.SetField(kPairs, 0, 0, 3); }},
        {"pairs record 0: key", [](Layout& l) { l.SetField(kPairs, 0, 4, 3); }},
        {"pairs record 2: not after", [](Layout& l) { l.SwapRecords(kPairs, 1, 2, 8); }},
        {"pairs record 2: not after",  // the pair before it again
         [](Layout& l) {
             l.SetField(kPairs, 2, 0, l.Field(kPairs, 1, 0));
             l.SetField(kPairs, 2, 4, l.Field(kPairs, 1, 4));
         }},
        {"pairs record 1", [](Layout& l) { l.SetField(kPairs, 1, 8, 0); }},
        {"pairs record 4: empty", [](Layout& l) { l.SetField(kPairs, 4, 12, 0); }},
        {"pairs record 4: holder run", [](Layout& l) { l.SetField(kPairs, 4, 12, UINT32_MAX); }},
        {"holder files table: the", [](Layout& l) { l.SetCount(kPairs, l.Count(kPairs) - 1); }},
        {"holder values table: 21 records for 20",
         [](Layout& l) { l.SetCount(kHolderFiles, l.Count(kHolderFiles) - 1); }},
        {"holder files record 0", [](Layout& l) { l.SetField(kHolderFiles, 0, 0, 17); }},
        {"holder files record 1", [](Layout& l) { l.SwapRecords(kHolderFiles, 0, 1, 4); }},
        {"holder files record 1", [](Layout& l) { l.SetField(kHolderFiles, 1, 0, 0); }},
        {"holder values record 3",
         [](Layout& l) {
             l.SetField(kHolderValues, 3, 4, l.PoolSize() - l.Field(kHolderValues, 3, 0) + 1);
         }},
        {"pair slots table: 15", [](Layout& l) { l.SetCount(kPairSlots, 15); }},
        {"pairs record", [](Layout& l) { l.DuplicateSlot(kPairSlots); }},
        {"holder slots table: 16 filled",
         [](Layout& l) { l.SetField(kHolderSlots, l.Slot(kHolderSlots, true), 0, 0); }},
        {"holder slots table: 18 filled",  // a holder of a pair that is not crowded
         [](Layout& l) { l.SetField(kHolderSlots, l.Slot(kHolderSlots, false), 0, 19); }},
        {"holder slots record",
         [](Layout& l) { l.SetField(kHolderSlots, l.Slot(kHolderSlots, false), 0, 22); }},
        {"holder files record", [](Layout& l) { l.DuplicateSlot(kHolderSlots); }}};
    std::string sample = m_good;
    ASSERT_EQ(Layout(sample).Field(kPairs, 0, 12), 17u);  // the patches below rely on the layout
    for (const HostileCase& c : cases) {
        std::string image = m_good;
        Layout layout(image);
        c.patch(layout);
        ASSERT_NE(image, m_good) << c.reason;
        Reseal(image);
        EXPECT_FALSE(m_parser.Open(m_dir, image)) << c.reason;
        EXPECT_FALSE(m_parser->HasFile("Quendel/A.pp")) << c.reason;
        EXPECT_EQ(m_parser->OpenError().rfind(c.reason, 0), 0u) << m_parser->OpenError();
    }
}

// A file rewritten in place or cut short while it is mapped: lookups never read outside the
// mapping (a stray read would end the child process) and, once the file shrank, find nothing.
TEST_F(FendrelFormatTest, FileChangingUnderTheMappingEndsNoLookup) {
    fendrel::ResourceWriter writer;
    std::string error;
    ASSERT_TRUE(
        writer.AddFile("f", {{"S", "K", std::string(100000, 'v')}, {"S", "L", "1"}}, error));
    const std::string path = m_dir.Write("mapped.bin", BuildImage(writer));
    EXPECT_EXIT(
        {
            ParserHandle parser;
            std::string value;
            const bool open = parser->OpenFile(path) && parser->SetBaseFiles({"f"});
            parser->Refresh();
            const bool found = parser->FindValue("S", "L", value) && value == "1";
            const std::string garbage(BuildImage(writer).size(), '\xff');
            const int fd = ::open(path.c_str(), O_WRONLY);  // in place: no truncation
            const bool rewritten = ::pwrite(fd, garbage.data(), garbage.size(), 0) > 0;
            parser->FindValue("S", "K", value);
            const bool cut = ::ftruncate(fd, 0) == 0;
            const bool missed = !parser->FindValue("S", "L", value) &&
                                !parser->FindValue("S", "K", value) &&
                                !parser->FindValue(Words(fendrel::TextKey("S")), "L", value);
            ::close(fd);
            std::exit(open && found && rewritten && cut && missed ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    ParserHandle parser;
    EXPECT_FALSE(parser->OpenFile(path));
    EXPECT_EQ(parser->OpenError(), "too small: 0 bytes (a resource file has at least 208)");
}

// A FIFO is refused at once instead of waiting for a writer; a good file clears the reason.
TEST_F(FendrelFormatTest, OnlyRegularFilesAreRead) {
    const std::string fifo = m_dir.Path() + "/pipe.bin";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {fifo, "a FIFO, not a regular file"},
        {m_dir.Path(), "a directory, not a regular file"},
        {m_dir.Path() + "/missing.bin", "cannot open: No such file or directory"},
        {"", "cannot open: No such file or directory"}};
    for (const auto& [path, reason] : cases) {
        EXPECT_FALSE(m_parser->OpenFile(path)) << path;
        EXPECT_EQ(m_parser->OpenError(), reason) << path;
    }
    EXPECT_TRUE(m_parser.Open(m_dir, m_good));
    EXPECT_EQ(m_parser->OpenError(), "");
}

}  // namespace
