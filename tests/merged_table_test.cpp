// The text store's merged table against std::unordered_map through random sets, overrides and
// removals: few names in a small table, so that runs of taken slots wrap past the end and a
// removal often frees the home slot of an entry further on; sections empty and new ones come.
#include "textstore/MergedTable.h"

#include <gtest/gtest.h>

#include <list>
#include <random>
#include <string>
#include <unordered_map>

namespace {

const ParamEntry* Find(const MergedTable& table, const std::string& section,
                       const std::string& key) {
    bool blanks = false;
    return table.Find(section, key, MergedTable::Hash(section, key, blanks));
}

}  // namespace

TEST(MergedTable, AgreesWithAMapThroughSetsAndRemovals) {
    std::mt19937 random(29);
    for (int round = 0; round < 20; ++round) {
        MergedTable table;
        std::unordered_map<std::string, const ParamEntry*> model;  // "section\nkey"
        std::list<ParamEntry> entries;                             // stable addresses
        const int sections = 2 + round;
        const int names = 4 + round % 7;
        for (int step = 0; step < 4000; ++step) {
            const std::string section = "S" + std::to_string(random() % sections);
            const std::string key = "K" + std::to_string(random() % names);
            const std::string name = section + "\n" + key;
            const unsigned action = random() % 4;
            if (action < 2) {
                entries.emplace_back(key, ParamValue{std::to_string(step), 0});
                table.Set(section, entries.back());
                model[name] = &entries.back();
            } else if (action == 2 && model.count(name) != 0) {
                entries.emplace_back(key, ParamValue{"lower", 0});
                table.Reset(section, key, &entries.back());
                model[name] = &entries.back();
            } else {
                table.Reset(section, key, nullptr);
                model.erase(name);
            }
            if (step % 16 == 0 || action == 3) {
                for (int s = 0; s < sections; ++s) {
                    for (int k = 0; k < names; ++k) {
                        const std::string sec = "S" + std::to_string(s);
                        const std::string key2 = "K" + std::to_string(k);
                        const auto it = model.find(sec + "\n" + key2);
                        ASSERT_EQ(Find(table, sec, key2), it == model.end() ? nullptr : it->second)
                            << "round " << round << " step " << step << " " << sec << " " << key2;
                    }
                }
            }
        }
        table.Clear();
        EXPECT_EQ(Find(table, "S0", "K0"), nullptr);
    }
}
