// Reads arbitrary bytes as the relation file of a link of a small fixed model, checks that the
// two maps agree with each other, looks keys up, counts and lists relations through the link,
// and reads the same bytes with the line reader directly.
#include "FuzzModelFixture.h"
#include "LineReader.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using fuzz::Check;

// Pumps USES Motors through the input; Pumps is the parent of a group with Spares as child.
const char kModel[] =
    "[MODEL]\r\nNAME=Relation Fuzz\r\nPAGES=Main\r\n"
    "[DOCUMENTATION]\r\nCOLLECTION=Fuzz\r\nPUBLISHING ID=F-2\r\n"
    "[Main]\r\nSIZE=80,40\r\nELEMENT SIZE=20,4\r\n"
    "E1=4,4,Pumps,0,pumps.ins,$2 AND pump,Pumps,Id;Model;Station\r\n"
    "E2=44,4,Motors,0,motors.ins,$2 AND motor,Motors,Id;Frame;Power\r\n"
    "E3=4,20,Spares,0,spares.ins,$2,Spares,Id;Name\r\n"
    "G1=14;8;5;8,0,E1,E3\r\n"
    "L1=E1,E2,0,2,input.rel,24;6,1;20\r\n"
    "S1=34,6,0,0,2,L1;0\r\n";

struct Fixture : fuzz::FuzzModelFixture
{
    Fixture()
        : FuzzModelFixture("relation_fuzzer", kModel,
                           {{"pumps.ins", "A|pump a^x\nB|pump b\nPX-1|drainage^STN-01\nK1|k\n"
                                          "a|lower case key\nPMP-000001|inline^STN-02\n"},
                            {"motors.ins", "M1X|motor^160M\nMT-1|motor one^11\nB|shared\nC|c\n"},
                            {"spares.ins", "SP-1|spare\n"},
                            {"input.rel", "A,B\n"}},
                           "input.rel")
    {
    }

    CElement* pumps = Element(0);
    CElement* motors = Element(1);
    CLink* link = RelationLink(0);
};

// Every pair of one map, as (key, value), with its multiplicity.
std::map<std::pair<std::string, std::string>, int> Pairs(const CRelationMap& map, bool swap)
{
    std::map<std::pair<std::string, std::string>, int> pairs;
    std::vector<std::string_view> values;
    for (int k = 0; k < map.KeyCount(); ++k) {
        const std::string key(map.KeyAt(k));
        map.ValuesAt(k, values);
        Check(!values.empty());
        Check(map.Count(key) == static_cast<int>(values.size()));
        Check(map.Contains(key));
        std::vector<std::string_view> looked;
        Check(map.Lookup(key, looked) && looked == values);
        for (std::string_view v : values) {
            // Keys and values are upper-cased when read.
            for (char c : key)
                Check(!(c >= 'a' && c <= 'z'));
            for (char c : v)
                Check(!(c >= 'a' && c <= 'z'));
            if (swap)
                ++pairs[{std::string(v), key}];
            else
                ++pairs[{key, std::string(v)}];
        }
    }
    return pairs;
}

void CheckLineReader(const std::string& path, std::size_t size)
{
    CTextLineReader reader;
    Check(reader.Open(path));
    std::string_view text;
    bool lineFeed = false;
    std::uint64_t consumed = 0;
    while (reader.ReadLine(text, lineFeed)) {
        Check(text.size() <= CTextLineReader::kMaxRead);
        Check(text.find('\n') == std::string_view::npos);
        Check(reader.Position() > consumed);
        consumed = reader.Position();
    }
    Check(consumed == size);
    Check(!reader.ReadLine(text, lineFeed)); // stays at the end
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    fixture.WriteInput(fuzz::InputBytes(data, size));
    CModelContext& context = fixture.context;
    CModelDoc& doc = fixture.doc;
    CLink* link = fixture.link;

    Check(link->LoadRelations(context) == 1);
    const CRelationMap& forward = link->maps[0];
    const CRelationMap& backward = link->maps[1];
    Check(forward.Direction() == 0 && backward.Direction() == 1);
    Check(forward.Link() == link && backward.Link() == link);

    // The two maps hold the same relations, seen from either side.
    Check(Pairs(forward, false) == Pairs(backward, true));
    Check(!forward.Contains("") || forward.Count("") > 0);
    Check(!forward.Contains("NOT A KEY IN ANY FILE"));

    // Counting and listing through the link, from each end, for all and for single keys.
    Check(link->CountRelations(context, fixture.pumps, nullptr) == backward.KeyCount());
    Check(link->CountRelations(context, fixture.motors, nullptr) == forward.KeyCount());
    const std::string keys[] = {"A", "B", "PX-1", forward.KeyCount() ? std::string(forward.KeyAt(0)) : "",
                                backward.KeyCount() ? std::string(backward.KeyAt(0)) : ""};
    std::vector<std::string_view> values;
    for (const std::string& key : keys) {
        Check(link->CountRelations(context, fixture.pumps, &key) == forward.Count(key));
        Check(link->RelatedValues(context, fixture.pumps, key, values) == forward.Contains(key));
        Check(link->CountRelations(context, fixture.motors, &key) == backward.Count(key));
    }

    doc.SetCurrentPage(0);
    const std::string key = "A";
    doc.CountPageRelations(fixture.pumps, 0, &key);
    fuzz::FuzzSink related;
    LoadInstances(doc, fixture.motors, nullptr, link, 0, related);
    doc.CountPageRelations(fixture.motors, 0, nullptr);
    fuzz::FuzzSink all;
    LoadInstanceTree(doc, fixture.pumps, link, all, 0);
    doc.ResetCounters();

    CheckLineReader(fixture.input, size);
    return 0;
}
