// The parameter schema on its own: what a schema file may say and what it may not, how a value
// reads as its declared type (by the library's conversions, with what a query gets when it does
// not), each rule's finding, the requirements across the layers of a tree, and inference that
// accepts the tree it came from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inspect/schema/Schema.h"
#include "inspect/schema/SchemaCheck.h"
#include "inspect/schema/SchemaInfer.h"
#include "inspect/schema/SchemaReader.h"
#include "inspect/schema/SchemaValue.h"
#include "inspect/schema/SchemaView.h"

namespace {

using Json = nlohmann::json;

// A hint that suggests the known name of the same length with one character replaced or two
// neighbours swapped.
std::string SameLengthHint(const std::vector<std::string>& known, std::string_view name) {
    for (const std::string& candidate : known) {
        std::vector<size_t> differ;
        for (size_t i = 0; candidate.size() == name.size() && i < name.size(); ++i) {
            if (candidate[i] != name[i]) {
                differ.push_back(i);
            }
        }
        const bool swapped = differ.size() == 2 && differ[1] == differ[0] + 1 &&
                             candidate[differ[0]] == name[differ[1]];
        if (candidate.size() == name.size() && (differ.size() == 1 || swapped)) {
            return candidate;
        }
    }
    return {};
}

Schema Read(const std::string& text) {
    Schema schema;
    std::vector<std::string> errors;
    EXPECT_TRUE(ReadSchema(text, schema, errors, SameLengthHint)) << errors.front();
    return schema;
}

struct Record {
    SchemaFile file;
    std::string section, key, value;
    size_t line = 1;
};

std::vector<SchemaFinding> Check(const Schema& schema, const std::vector<Record>& records) {
    SchemaChecker checker(schema, "schema.json", SameLengthHint);
    const SchemaFile* current = nullptr;
    for (const Record& r : records) {
        if (current == nullptr || current->m_path != r.file.m_path) {
            checker.BeginFile(r.file);
            current = &r.file;
        }
        checker.Add(SchemaRecord{r.section, r.key, r.value, r.line, 2});
    }
    return checker.Finish();
}

std::string Lines(const std::vector<SchemaFinding>& findings) {
    std::string text;
    for (const SchemaFinding& f : findings) {
        text += f.m_file + ":" + std::to_string(f.m_line) + ": " + f.m_message + " [" + f.m_rule +
                "]\n";
    }
    return text;
}

const SchemaFile kBase{"ImgResBase.pp", SchemaLayer::kBase, {}, {}, {}};

}  // namespace

// Everything a schema file says is read or refused with its place: nothing is ignored.
TEST(SchemaReader, RefusesWhatItDoesNotReadWithItsPlace) {
    const std::string key = R"({"properties": {"G": {"properties": {"K": )";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {key + R"({"type": "integer", "minimun": 0}}}}})",
         "/properties/G/properties/K: unknown keyword \"minimun\" (did you mean \"minimum\"?)"},
        {key + R"({"const": 1}}}}})", "keyword \"const\" is not supported"},
        {R"({"properties": {"G": {"minimum": 1}}})",
         "/properties/G: keyword \"minimum\" does not apply to a section"},
        {key + R"({"type": "object"}}}}})", "/properties/G/properties/K/type: must be"},
        {key + R"({"type": "integer", "enum": [1, 2.5]}}}}})", "holds 2.5, which is not of type"},
        {key + R"({"type": "string", "pattern": "(a)\\1"}}}}})", "not a regular expression"},
        {key + R"({"type": "string", "pattern": ")" + std::string(300, 'a') + R"("}}}}})",
         "the pattern is 300 bytes long"},
        {key + R"({"type": "string", "pattern": "(ab{50}){50}"}}}}})", "repeats too much"},
        {key + R"({"type": "number", "minimum": 2, "exclusiveMaximum": 2}}}}})",
         "no value can pass"},
        {key + R"({"type": "integer", "maximum": 5, "default": 7}}}}})",
         "/default: breaks the key's own rules: default 7 of the key is above its maximum 5"},
        {key + R"({"type": "array", "minimum": 0}}}}})", "put it in \"items\""},
        {key + R"({"x-layers": ["base", "probe"]}}}}})", "must be an array of different layer"},
        {R"({"properties": {"G": {"additionalProperties": {}}}})", "only true or false"},
        {R"({"properties": {"G": {}, "G": {}}})", "/properties: member \"G\" appears twice"},
        {R"({"$schema": "http://json-schema.org/draft-07/schema#"})", "/$schema: only"},
        {"{\"properties\": \n{", "not JSON: parse error at line 2, column 2"},
    };
    for (const auto& c : cases) {
        Schema schema;
        std::vector<std::string> errors;
        EXPECT_FALSE(ReadSchema(c.text, schema, errors, SameLengthHint)) << c.text;
        ASSERT_FALSE(errors.empty()) << c.text;
        EXPECT_NE(errors.front().find(c.error), std::string::npos) << errors.front();
    }
}

// A value reads as its declared type exactly where the library's query of that type gets it;
// where not, the reason says what the query gets instead. The typed view writes what was read.
TEST(SchemaValue, ReadsAsTheLibraryReadsAndSaysWhatAQueryGets) {
    const struct {
        const char* type;
        std::string text;
        std::string expected;  // the typed view's JSON, or a part of the reason it does not read
    } cases[] = {
        {"integer", "42", "42"},
        {"integer", "+7", "7"},
        {"integer", "-2147483648", "-2147483648"},
        {"integer", "4.5", "is not a whole number: an int query reads it as 4, cutting the"},
        {"integer", "", "is empty: an int query reads it as 0"},
        {"integer", "99999999999", "does not fit an int: an int query reads it as 1215752191"},
        {"integer", "1O", "does not read as an integer: an int query gets its default"},
        {"integer", " 5", "gets its default"},
        {"number", "0.1", "0.1"},
        {"number", "5", "5.0"},
        {"number", "-.5", "-0.5"},
        {"number", "1e3", "does not read as a number"},
        {"number", std::string(40, '9'), "does not fit a float: a float query reads it as inf"},
        {"boolean", "TRUE", "true"},
        {"boolean", "\"false\"", "false"},
        {"boolean", "1", "is a number, not true or false: a bool query reads it as true"},
        {"boolean", "yes", "is not true or false: a bool query gets its default"},
        {"string", "Hello World", "\"Hello World\""},
        {"array", "1, 2,,3", "[1,2,3]"},
        {"array", "1\t2", "[1,2]"},
        {"array", "", "[]"},
        {"array", "1, 2.5", "element 1 \"2.5\" of K is not a whole number: a list query reads"},
    };
    for (const auto& c : cases) {
        const std::string items =
            std::string(c.type) == "array" ? R"(, "items": {"type": "integer"})" : "";
        const Schema schema = Read(R"({"properties": {"S": {"properties": {"K": {"type": ")" +
                                   std::string(c.type) + "\"" + items + "}}}}}");
        const std::vector<const KeySchema*> keys = {&schema.m_sections.at("S").m_keys.at("K")};
        SchemaReading reading;
        ReadValue(keys, c.text, reading);
        std::string said = reading.m_read ? ReadingJson(reading, c.text).dump() : "";
        CheckReading(keys, reading, "K", nullptr,
                     [&](const char*, std::string message) { said += message; });
        EXPECT_NE(said.find(c.expected), std::string::npos)
            << c.type << " \"" << c.text << "\": " << said;
    }
}

// Each rule once, at the entry that breaks it, saying by how much; a key that a section and a
// family of sections both declare keeps both; a closed section suggests the key meant.
TEST(SchemaCheck, EachRuleAtTheEntryThatBreaksIt) {
    const Schema schema = Read(R"({
      "properties": {
        "Gain": {"properties": {
            "Master": {"type": "integer", "minimum": -20, "maximum": 20, "x-unit": "dB"},
            "Curve": {"type": "array", "items": {"type": "number", "exclusiveMinimum": 0},
                      "minItems": 3, "maxItems": 3},
            "Limits": {"type": "array", "x-layers": ["base", "transducer"]},
            "Mode": {"type": "string", "enum": ["Low", "High"]},
            "Name": {"type": "string", "pattern": "^[A-Z]"}},
          "additionalProperties": false},
        "Stage1": {"properties": {"Level": {"type": "number", "maximum": 10}}}},
      "patternProperties": {"^Stage[0-9]+$": {"properties": {"Level": {"type": "number", "minimum": 1}}}},
      "additionalProperties": false})");
    const SchemaFile group{"Convex/ImgResGrp.pp", SchemaLayer::kGroup, "Convex", {}, {}};
    const std::vector<SchemaFinding> findings =
        Check(schema, {{kBase, "Gain", "Master", "0", 1},
                       {kBase, "Gain", "Limits", "1, 2", 2},
                       {group, "Gain", "Master", "300", 3},
                       {group, "Gain", "Curve", "1, 0, 2", 4},
                       {group, "Gain", "Curve", "1, 2", 5},
                       {group, "Gain", "Limits", "1, 2", 6},
                       {group, "Gain", "Mode", "Hihg", 7},
                       {group, "Gain", "Name", "low", 8},
                       {group, "Gain", "Masterr", "1", 9},
                       {group, "Stage1", "Level", "0.5", 10},
                       {group, "Stage1", "Level", "11", 11},
                       {group, "Stage7", "Level", "7", 12},
                       {group, "Gian", "Master", "1", 13},
                       {group, "Gian", "Other", "1", 14}});
    EXPECT_EQ(
        Lines(findings),
        "Convex/ImgResGrp.pp:3: value 300 dB of Master is above its maximum 20 dB "
        "[schema-range]\n"
        "Convex/ImgResGrp.pp:4: element 1 0 of Curve is not above its exclusive minimum 0 "
        "[schema-range]\n"
        "Convex/ImgResGrp.pp:5: list of 2 elements for Curve, where the schema asks for "
        "exactly 3 [schema-length]\n"
        "Convex/ImgResGrp.pp:6: \"Limits\" is set in a group file, where the schema lets "
        "only base and transducer files set it [schema-layer]\n"
        "Convex/ImgResGrp.pp:7: value \"Hihg\" of Mode is not one of \"Low\", \"High\" "
        "(did you mean \"High\"?) [schema-enum]\n"
        "Convex/ImgResGrp.pp:8: value \"low\" of Name does not match the pattern \"^[A-Z]\" "
        "[schema-enum]\n"
        "Convex/ImgResGrp.pp:9: section \"Gain\" is closed (/properties/Gain): it declares no "
        "key \"Masterr\" [schema-unknown-key]\n"
        "Convex/ImgResGrp.pp:10: value 0.5 of Level is below its minimum 1 [schema-range]\n"
        "Convex/ImgResGrp.pp:11: value 11 of Level is above its maximum 10 [schema-range]\n"
        "Convex/ImgResGrp.pp:13: section \"Gian\" (of \"Master\") is not in the schema, which "
        "admits no other (did you mean \"Gain\"?) [schema-unknown-key]\n");
}

// A section a file sets must find each required key in the files every selection reading it
// reads too; else the smallest such selection is named. Files read on their own have no layer,
// so only their values are checked.
TEST(SchemaCheck, RequiredKeysAcrossTheLayers) {
    const Schema schema = Read(R"({"properties": {"S": {"required": ["K"]}, "T": {}},
                                   "required": ["T"]})");
    const SchemaFile group1{"F1/ImgResGrp.pp", SchemaLayer::kGroup, "F1", {}, {}};
    const SchemaFile probe1{"F1/P/ImgResXdr.pp", SchemaLayer::kTransducer, "F1", "P", {}};
    const SchemaFile probe2{"F2/P/ImgResXdr.pp", SchemaLayer::kTransducer, "F2", "P", {}};
    const SchemaFile clinical{"Clns/A/ImgResCln.pp", SchemaLayer::kClinical, {}, {}, "A"};
    const SchemaFile user{"u/F1/P/A/ImgResCln.pp", SchemaLayer::kUserDefined, "F1", "P", "A"};
    EXPECT_EQ(Lines(Check(schema, {{group1, "S", "K", "1", 3},
                                   {probe1, "S", "X", "1", 4},
                                   {user, "S", "X", "1", 5},
                                   {probe2, "S", "X", "1", 6},
                                   {clinical, "S", "X", "1", 7}})),
              "schema.json:0: the schema requires section \"T\", which no base-level file sets: "
              "a selection of no group, transducer or clinical setting lacks it "
              "[schema-required]\n"
              "F2/P/ImgResXdr.pp:6: section \"S\" requires key \"K\", which neither this file nor "
              "a file read with it sets: selection F=F2 P=P lacks it [schema-required]\n"
              "Clns/A/ImgResCln.pp:7: section \"S\" requires key \"K\", which neither this file "
              "nor a file read with it sets: selection A=A lacks it [schema-required]\n");
    EXPECT_EQ(
        Lines(Check(schema,
                    {{kBase, "S", "K", "1"}, {kBase, "T", "Y", "1"}, {probe2, "S", "X", "1"}})),
        "");
    const SchemaFile alone{"x.pp", SchemaLayer::kUnknown, {}, {}, {}};
    EXPECT_EQ(Lines(Check(schema, {{alone, "S", "X", "1"}})), "");
}

// One selection's view: a required key or section it lacks, an unknown section once.
TEST(SchemaCheck, SelectionViewAsJsonSchemaSeesIt) {
    const Schema schema = Read(R"({"properties": {"S": {"required": ["K", "L"]}, "T": {}},
                                   "required": ["T"], "additionalProperties": false})");
    EntryTable table;
    const auto section = std::make_shared<const std::string>("S");
    const auto unknown = std::make_shared<const std::string>("U");
    table.m_entries = {{section, "K", {"group", "F/ImgResGrp.pp", 4, "1"}},
                       {unknown, "A", {"base", "ImgResBase.pp", 2, "1"}},
                       {unknown, "B", {"base", "ImgResBase.pp", 3, "1"}}};
    EXPECT_EQ(
        Lines(CheckSelection(schema, table, "schema.json", "F=F")),
        "F/ImgResGrp.pp:4: section \"S\" requires key \"L\", which this selection (F=F) "
        "lacks [schema-required]\n"
        "ImgResBase.pp:2: section \"U\" (of \"A\") is not in the schema, which admits no other "
        "[schema-unknown-key]\n"
        "schema.json:0: the schema requires section \"T\", which this selection (F=F) lacks "
        "[schema-required]\n");
    EXPECT_EQ(TypedView(schema, table).dump(), R"({"S":{"K":"1"},"U":{"A":"1","B":"1"}})");
}

// The schema inferred from a tree accepts it: the narrowest type each key's values read as,
// their range, a list length they agree on, the words of a word key, the required keys of the
// base level; sections of one shape become a family; a name that is not UTF-8 stays out.
TEST(SchemaInfer, TheNarrowestSchemaThatAcceptsTheTree) {
    const SchemaFile group{"G/ImgResGrp.pp", SchemaLayer::kGroup, "G", {}, {}};
    std::vector<Record> records = {
        {kBase, "A", "Int", "3"},         {group, "A", "Int", "-4"},
        {kBase, "A", "Num", "3"},         {group, "A", "Num", "0.5"},
        {kBase, "A", "Flag", "true"},     {group, "A", "Flag", "FALSE"},
        {kBase, "A", "Curve", "1, 2, 3"}, {group, "A", "Curve", "0.5, 0, 9"},
        {kBase, "A", "Mode", "Low"},      {group, "A", "Mode", "High"},
        {kBase, "A", "Mixed", "1"},       {group, "A", "Mixed", "true"},
        {group, "A", "Override", "2"},    {kBase, "A", "Bad\xff", "1"},
    };
    for (const char* stage : {"Stage1", "Stage22", "Stage3"}) {
        records.push_back({kBase, stage, "Level", stage[5] == '2' ? "7" : "1"});
        records.push_back({group, stage, "Taps", "1, 2"});
    }
    SchemaInference inference;
    const SchemaFile* current = nullptr;
    for (const Record& r : records) {
        if (current == nullptr || current->m_path != r.file.m_path) {
            inference.BeginFile(r.file);
            current = &r.file;
        }
        inference.Add(SchemaRecord{r.section, r.key, r.value, 1, 1});
    }
    std::vector<std::string> warnings;
    const nlohmann::ordered_json inferred = inference.Finish("T", warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("is not UTF-8: left out, and the section left open"),
              std::string::npos);
    const nlohmann::ordered_json& a = inferred["properties"]["A"];
    EXPECT_EQ(a["properties"].dump(),
              R"({"Curve":{"type":"array","items":{"type":"number","minimum":0.0,"maximum":9.0},)"
              R"("minItems":3,"maxItems":3},"Flag":{"type":"boolean"},)"
              R"("Int":{"type":"integer","minimum":-4,"maximum":3},)"
              R"("Mixed":{"type":"string"},"Mode":{"type":"string","enum":["High","Low"]},)"
              R"("Num":{"type":"number","minimum":0.5,"maximum":3.0},)"
              R"("Override":{"type":"integer","minimum":2,"maximum":2}})");
    EXPECT_EQ(a["required"].dump(), R"(["Curve","Flag","Int","Mixed","Mode","Num"])");
    EXPECT_EQ(a["additionalProperties"], true);
    EXPECT_EQ(inferred["patternProperties"]["^Stage[0-9]+$"]["required"].dump(), R"(["Level"])");
    EXPECT_EQ(inferred["required"].dump(), R"(["A"])");
    EXPECT_EQ(Lines(Check(Read(inferred.dump()), records)), "");
}

// A pattern is found anywhere in a text, as JSON Schema searches; an anchored literal start
// refuses most texts before the automaton runs, and is left out where it would refuse a match.
TEST(SchemaPattern, SearchesAsJsonSchemaDoes) {
    const struct {
        const char* pattern;
        const char* text;
        bool found;
    } cases[] = {
        {"b", "abc", true},
        {"^b", "abc", false},
        {"^Stage[0-9]+$", "Stage12", true},
        {"^Stage[0-9]+$", "Stage", false},
        {"^ab*c", "ac", true},
        {"^ab?c$", "ac", true},
        {"^a|b", "xb", true},
        {"^a{0,2}b", "b", true},
        {"^a\\.b", "a.b", true},
        {"^a\\.b", "axb", false},
        {"c$", "abc", true},
        {"(?=x)x", "axb", true},
    };
    for (const auto& c : cases) {
        SchemaPattern pattern;
        std::string error;
        ASSERT_TRUE(pattern.Compile(c.pattern, error)) << c.pattern << ": " << error;
        EXPECT_EQ(pattern.Search(c.text), c.found) << c.pattern << " in " << c.text;
    }
}
