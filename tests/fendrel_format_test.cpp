// The resource file as untrusted input: truncated, bit-flipped and hostile files (with a valid
// checksum) are refused by OpenFile or, where a change keeps the file well-formed, answered
// consistently; never a crash or an over-read (the sanitizer build checks the latter).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <xxhash.h>

#include <functional>
#include <string>
#include <vector>

#include "FendrelSamples.h"
#include "Format.h"

namespace {

using namespace fendrel::format;

// Three files; pair (S1, K1) is held by all three, the other pairs by one each.
// Files A, B, C have ids 0 to 2; sections S1 to S3 and keys K1 to K3 ids 0 to 2.
std::string SampleImage() {
    fendrel::ResourceWriter writer;
    writer.SetFixedKeys({{"S3", fendrel::TextKey("fixed")}});
    std::string error;
    EXPECT_TRUE(writer.AddFile("Quendel/A.pp",
                               {{"S1", "K1", "a"}, {"S1", "K2", "a2"}, {"S2", "K1", "a3"}}, error));
    EXPECT_TRUE(writer.AddFile("Quendel/B.pp", {{"S1", "K1", "b"}, {"S2", "K2", "b2"}}, error));
    EXPECT_TRUE(writer.AddFile("Quendel/C.pp", {{"S1", "K1", "c"}, {"S3", "K3", ""}}, error));
    return BuildImage(writer);
}

const std::vector<std::string> kSectionNames = {"S1", "S2", "S3", "S4"};
const std::vector<std::string> kKeyNames = {"K1", "K2", "K3", "K4"};

unsigned char* Byte(std::string& image, std::size_t offset) {
    return reinterpret_cast<unsigned char*>(&image[offset]);
}

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

// The checksum and the recorded size catch every truncation, extension and single flipped bit.
TEST_F(FendrelFormatTest, EveryTruncationExtensionAndFlipIsRefused) {
    for (std::size_t at = 0; at < m_good.size(); ++at) {
        ASSERT_FALSE(m_parser.Open(m_dir, m_good.substr(0, at))) << at;
        for (unsigned char mask : {0x01, 0x80}) {
            std::string bad = m_good;
            bad[at] = static_cast<char>(bad[at] ^ mask);
            ASSERT_FALSE(m_parser.Open(m_dir, bad)) << at;
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

struct HostileCase {
    const char* name;
    std::function<void(Layout&)> patch;
};

TEST_F(FendrelFormatTest, HostileFilesWithValidChecksumAreRefused) {
    const std::vector<HostileCase> cases = {
        {"magic", [](Layout& l) { l.image[0] = 'X'; }},
        {"version", [](Layout& l) { StoreU32(Byte(l.image, kVersionOffset), 2); }},
        {"flags", [](Layout& l) { StoreU32(Byte(l.image, kFlagsOffset), 1); }},
        {"size field above",
         [](Layout& l) { StoreU64(Byte(l.image, kFileSizeOffset), l.image.size() + 1); }},
        {"size field below",
         [](Layout& l) { StoreU64(Byte(l.image, kFileSizeOffset), l.image.size() - 1); }},
        {"huge count", [](Layout& l) { l.SetCount(kFiles, uint64_t{1} << 40); }},
        {"count overflowing the size", [](Layout& l) { l.SetCount(kHolders, uint64_t{1} << 62); }},
        {"offset past the end", [](Layout& l) { l.SetOffset(kPool, l.image.size() + 8); }},
        {"offset inside the header", [](Layout& l) { l.SetOffset(kFiles, 0); }},
        {"overlapping tables", [](Layout& l) { l.SetOffset(kSections, l.Offset(kFiles)); }},
        {"pool one byte past the end",
         [](Layout& l) { l.SetCount(kPool, l.image.size() - l.Offset(kPool) + 1); }},
        {"files unsorted", [](Layout& l) { l.SwapRecords(kFiles, 0, 1, kFileRecordSize); }},
        {"file repeated",
         [](Layout& l) {
             l.SetField(kFiles, 1, 0, l.Field(kFiles, 0, 0));
             l.SetField(kFiles, 1, 4, l.Field(kFiles, 0, 4));
         }},
        {"empty file path", [](Layout& l) { l.SetField(kFiles, 0, 4, 0); }},
        {"path offset past the pool", [](Layout& l) { l.SetField(kFiles, 2, 0, l.PoolSize()); }},
        {"path length past the pool", [](Layout& l) { l.SetField(kFiles, 2, 4, l.PoolSize()); }},
        {"path length wrapping",
         [](Layout& l) {
             l.SetField(kFiles, 2, 0, 8);
             l.SetField(kFiles, 2, 4, UINT32_MAX - 4);
         }},
        {"sections unsorted", [](Layout& l) { l.SwapRecords(kSections, 0, 1, kNameRecordSize); }},
        {"keys unsorted", [](Layout& l) { l.SwapRecords(kKeys, 1, 2, kNameRecordSize); }},
        {"section text past the pool",
         [](Layout& l) { l.SetField(kSections, 2, 4, l.PoolSize()); }},
        {"hash index short", [](Layout& l) { l.SetCount(kSectionsByHash, 2); }},
        {"hash index id out of range", [](Layout& l) { l.SetField(kSectionsByHash, 0, 0, 3); }},
        {"hash index unsorted",
         [](Layout& l) { l.SwapRecords(kSectionsByHash, 0, 1, kIndexRecordSize); }},
        {"hash index repeats an id",
         [](Layout& l) { l.SetField(kKeysByHash, 1, 0, l.Field(kKeysByHash, 0, 0)); }},
        {"pair section out of range", [](Layout& l) { l.SetField(kPairs, 0, 0, 3); }},
        {"pair key out of range", [](Layout& l) { l.SetField(kPairs, 0, 4, 3); }},
        {"pairs unsorted", [](Layout& l) { l.SwapRecords(kPairs, 1, 2, 8); }},
        {"pair repeated",
         [](Layout& l) {
             l.SetField(kPairs, 2, 0, l.Field(kPairs, 1, 0));
             l.SetField(kPairs, 2, 4, l.Field(kPairs, 1, 4));
         }},
        {"holder runs not consecutive", [](Layout& l) { l.SetField(kPairs, 1, 8, 0); }},
        {"empty holder run", [](Layout& l) { l.SetField(kPairs, 4, 12, 0); }},
        {"holder run past the table", [](Layout& l) { l.SetField(kPairs, 4, 12, UINT32_MAX); }},
        {"holders left over", [](Layout& l) { l.SetCount(kPairs, l.Count(kPairs) - 1); }},
        {"holder table short", [](Layout& l) { l.SetCount(kHolders, l.Count(kHolders) - 1); }},
        {"holder file out of range", [](Layout& l) { l.SetField(kHolders, 0, 0, 3); }},
        {"holders unsorted", [](Layout& l) { l.SwapRecords(kHolders, 0, 1, 4); }},
        {"holder file repeated", [](Layout& l) { l.SetField(kHolders, 1, 0, 0); }},
        {"value one byte past the pool", [](Layout& l) {
             l.SetField(kHolders, 3, 8, l.PoolSize() - l.Field(kHolders, 3, 4) + 1);
         }}};
    std::string sample = m_good;
    ASSERT_EQ(Layout(sample).Field(kPairs, 0, 12), 3u);  // the patches below rely on the layout
    for (const HostileCase& c : cases) {
        std::string image = m_good;
        Layout layout(image);
        c.patch(layout);
        ASSERT_NE(image, m_good) << c.name;
        Reseal(image);
        EXPECT_FALSE(m_parser.Open(m_dir, image)) << c.name;
        EXPECT_FALSE(m_parser->HasFile("Quendel/A.pp")) << c.name;
    }
}

TEST_F(FendrelFormatTest, OnlyRegularFilesAreRead) {
    const std::string fifo = m_dir.Path() + "/pipe.bin";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(m_parser->OpenFile(fifo));  // returns at once instead of waiting for a writer
    EXPECT_FALSE(m_parser->OpenFile(m_dir.Path()));
    EXPECT_FALSE(m_parser->OpenFile(m_dir.Path() + "/missing.bin"));
    EXPECT_FALSE(m_parser->OpenFile(""));
    EXPECT_FALSE(m_parser.Open(m_dir, ""));
}

}  // namespace
