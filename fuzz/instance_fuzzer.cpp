// Reads arbitrary bytes as the instance file of an element of a small fixed model: on its own,
// through a link in both listing modes, and as a member of a group family; then reads the same
// bytes with the line reader directly and checks what it returns.
#include "FuzzModelFixture.h"
#include "LineReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using fuzz::Check;

// E1 (Parts) reads the input. E2 (Kits) is related to it through L1; E3 (Assemblies) is the
// parent of a group with E1 and E2 as children.
const char kModel[] =
    "[MODEL]\r\nNAME=Instance Fuzz\r\nPAGES=Main\r\n"
    "[DOCUMENTATION]\r\nCOLLECTION=Fuzz\r\nPUBLISHING ID=F-1\r\n"
    "[Main]\r\nSIZE=80,40\r\nELEMENT SIZE=20,4\r\n"
    "E1=4,20,Parts,0,input.ins,$2 AND part,Parts,Id;Name;Size;Maker\r\n"
    "E2=44,20,Kits,0,kits.ins,$2 AND kit,Kits,Id;Name\r\n"
    "E3=24,4,Assemblies,0,assemblies.ins,$2,Assemblies,Id;Name\r\n"
    "G1=34;8;5;8,0,E3,E1;E2\r\n"
    "L1=E1,E2,0,1,parts_kits.rel,24;22,1;20\r\n"
    "S1=34,22,0,0,1,L1;0\r\n";

// Keys of the input that are related to kits: short ones the fuzzer finds easily, and ones in
// the shape of real keys.
const char kRelations[] = "A,KIT-1\nB,KIT-1\nK1,KIT-2\nPMP-000001,KIT-2\nPMP-000002,KIT-1\n"
                          "A|B,KIT-3\nX Y,KIT-2\nA,KIT-2\n";

struct Fixture : fuzz::FuzzModelFixture
{
    Fixture()
        : FuzzModelFixture("instance_fuzzer", kModel,
                           {{"kits.ins", "KIT-1|first kit\nKIT-2|second kit\nKIT-3|third\n"},
                            {"assemblies.ins", "AS-1|assembly^one\n"},
                            {"parts_kits.rel", kRelations},
                            {"input.ins", "A|placeholder\n"}}, // so that Parts loads enabled
                           "input.ins")
    {
        Check(link->LoadRelations(context) == 1);
    }

    CElement* parts = Element(0);
    CElement* kits = Element(1);
    CElement* assemblies = Element(2);
    CLink* link = RelationLink(0);
};

// The line reader on its own: every read is at most kMaxRead characters, holds no line feed
// or NUL, the position only grows, and the whole file is consumed.
void CheckLineReader(const std::string& path, std::size_t size)
{
    CTextLineReader reader;
    Check(reader.Open(path));
    std::uint64_t fileSize = 0;
    Check(reader.Size(fileSize) && fileSize == size);
    std::string_view text;
    bool lineFeed = false;
    std::uint64_t last = 0;
    std::size_t reads = 0;
    while (reader.ReadLine(text, lineFeed)) {
        Check(text.size() <= CTextLineReader::kMaxRead);
        Check(text.find('\n') == std::string_view::npos);
        Check(text.find('\0') == std::string_view::npos);
        Check(reader.Position() > last);
        last = reader.Position();
        ++reads;
    }
    Check(reader.Position() == size);
    Check(size == 0 || reads > 0);

    // The trimmed reads come in the same number.
    CTextLineReader trimmed;
    Check(trimmed.Open(path));
    std::size_t trimmedReads = 0;
    while (trimmed.ReadTrimmedLine(text)) {
        Check(text.size() <= CTextLineReader::kMaxRead);
        ++trimmedReads;
    }
    Check(trimmedReads == reads);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    fixture.WriteInput(fuzz::InputBytes(data, size));
    CModelDoc& doc = fixture.doc;
    CLink* link = fixture.link;

    // Every valid line, no filter.
    fuzz::FuzzSink all(fuzz::Records::Keep);
    Check(LoadInstances(doc, fixture.parts, nullptr, nullptr, 1, all) == 1);
    std::string value;
    for (const CInstanceRecord& record : all.records) {
        Check(record.element == fixture.parts);
        Check(record.key.empty() || (record.key.front() != ' ' && record.key.back() != ' '));
        Check(record.key.find('|') == std::string::npos);
        for (int i = 1; i <= 16 && InstanceValue(record.text, i, value); ++i)
            Check(value.find('^') == std::string::npos);
    }

    // Listing mode 1: the parts related to one kit.
    link->fromElement = fixture.kits;
    link->recordedKey = "KIT-2";
    link->listingMode = 1;
    fuzz::FuzzSink related(fuzz::Records::Keep);
    Check(LoadInstances(doc, fixture.parts, nullptr, link, 0, related) == 1);
    std::vector<std::string_view> values;
    link->maps[1].Lookup("KIT-2", values);
    for (const CInstanceRecord& record : related.records) {
        bool found = false;
        for (std::string_view v : values)
            found = found || v == record.key;
        Check(found);
    }
    Check(related.records.size() <= all.records.size());

    // Listing mode 2: every part that has relations at all.
    link->listingMode = 2;
    fuzz::FuzzSink withRelations(fuzz::Records::Keep);
    Check(LoadInstances(doc, fixture.parts, nullptr, link, 0, withRelations) == 1);
    for (const CInstanceRecord& record : withRelations.records)
        Check(link->maps[0].Contains(record.key));
    Check(withRelations.records.size() <= all.records.size());
    link->listingMode = 0;

    // The group family: Assemblies, then its children Parts and Kits.
    fuzz::FuzzSink family(fuzz::Records::Keep);
    LoadInstanceTree(doc, fixture.assemblies, nullptr, family, 0);
    Check(family.records.size() >= all.records.size());

    CheckLineReader(fixture.input, size);
    return 0;
}
