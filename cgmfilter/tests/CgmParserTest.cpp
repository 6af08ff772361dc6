#include "CgmParser.h"
#include "CgmTestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using cgmtest::CBinaryWriter;
using W = CBinaryWriter;

bool Parse(const std::string& bytes, cgm::CMetafile& m, std::string& error,
           const cgm::CParseOptions& options = cgm::CParseOptions())
{
    return cgm::ParseCgm(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), m,
                         error, options);
}

// A binary metafile with one picture holding body; the head may change precisions.
std::string BinaryFile(const std::string& head, const std::string& body,
                       const std::string& descriptor = std::string())
{
    W w;
    w.Element(0, 1, W::Str("test"));
    std::string bytes = w.Bytes() + head;
    W pic;
    pic.Element(0, 3, W::Str("p1"));
    bytes += pic.Bytes() + descriptor;
    W rest;
    rest.Element(0, 4);
    bytes += rest.Bytes() + body;
    W end;
    end.Element(0, 5).Element(0, 2);
    return bytes + end.Bytes();
}

std::string Pt16(int x, int y)
{
    return W::I16(x) + W::I16(y);
}

TEST(CgmParser, BinaryIntegerVdcDefaultsAndPolyline)
{
    W body;
    body.Element(4, 1, Pt16(0, 0) + Pt16(100, 200) + Pt16(-5, 7));
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(BinaryFile("", body.Bytes()), m, error)) << error;
    ASSERT_EQ(m.pictures.size(), 1u);
    const cgm::CPicture& p = m.pictures[0];
    EXPECT_EQ(m.name, "test");
    EXPECT_EQ(p.info.name, "p1");
    EXPECT_EQ(p.info.extentHigh.x, 32767); // the default integer extent
    ASSERT_EQ(p.elements.size(), 1u);
    EXPECT_EQ(p.elements[0].kind, cgm::ElementKind::Polyline);
    ASSERT_EQ(p.points.size(), 3u);
    EXPECT_EQ(p.points[2].x, -5);
    EXPECT_EQ(p.points[2].y, 7);
    EXPECT_EQ(p.attributes[0].lineColor, (cgm::CColor{0, 0, 0})); // colour index 1
}

// The same picture in every VDC encoding that matters: the points read back equal.
struct CVdcCase
{
    const char* name;
    std::string head;       // metafile descriptor elements
    std::string control;    // control elements in the picture body
    std::string (*point)(double, double);
};

class CgmVdcEncoding : public ::testing::TestWithParam<int>
{
};

TEST_P(CgmVdcEncoding, PointsReadBack)
{
    W head, control;
    std::string (*point)(double, double) = nullptr;
    switch (GetParam()) {
    case 0: // 32-bit integers
        control.Element(3, 1, W::I16(32));
        point = [](double x, double y) { return W::I32(std::llround(x)) + W::I32(std::llround(y)); };
        break;
    case 1: // real VDC, fixed point 16.16 (the default real precision)
        head.Element(1, 3, W::I16(1));
        point = [](double x, double y) { return W::Fixed32(x) + W::Fixed32(y); };
        break;
    case 2: // real VDC, 32-bit floating point
        head.Element(1, 3, W::I16(1));
        control.Element(3, 2, W::I16(0) + W::I16(9) + W::I16(23));
        point = [](double x, double y) { return W::F32(static_cast<float>(x)) + W::F32(static_cast<float>(y)); };
        break;
    case 3: // real VDC, 64-bit floating point
        head.Element(1, 3, W::I16(1));
        control.Element(3, 2, W::I16(0) + W::I16(12) + W::I16(52));
        point = [](double x, double y) { return W::F64(x) + W::F64(y); };
        break;
    default: // 8-bit integers
        control.Element(3, 1, W::I16(8));
        point = [](double x, double y) { return W::I8(static_cast<int>(x)) + W::I8(static_cast<int>(y)); };
        break;
    }
    W body;
    body.Element(4, 7, point(1, 2) + point(-3, 4) + point(5, -6));
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(BinaryFile(head.Bytes(), control.Bytes() + body.Bytes()), m, error)) << error;
    const cgm::CPicture& p = m.pictures.at(0);
    ASSERT_EQ(p.points.size(), 3u);
    EXPECT_DOUBLE_EQ(p.points[1].x, -3);
    EXPECT_DOUBLE_EQ(p.points[1].y, 4);
    EXPECT_DOUBLE_EQ(p.points[2].y, -6);
}

INSTANTIATE_TEST_SUITE_P(All, CgmVdcEncoding, ::testing::Range(0, 5));

TEST(CgmParser, LongFormAndPartitionedElementsJoin)
{
    std::string points;
    for (int i = 0; i < 100; ++i)
        points += Pt16(i, 2 * i);
    for (std::size_t partition : {std::size_t(0), std::size_t(30), std::size_t(7)}) {
        W body;
        body.Element(4, 1, points, true, partition);
        cgm::CMetafile m;
        std::string error;
        ASSERT_TRUE(Parse(BinaryFile("", body.Bytes()), m, error)) << partition << ": " << error;
        ASSERT_EQ(m.pictures[0].points.size(), 100u);
        EXPECT_EQ(m.pictures[0].points[99].y, 198);
    }
}

TEST(CgmParser, IndexedColoursUseTheColourTableAtDrawingTime)
{
    W head, body;
    head.Element(1, 10, W::I8(0) + W::I8(0) + W::I8(0) + W::I8(255) + W::I8(255) + W::I8(255));
    body.Element(5, 34, W::I8(2) + W::I8(10) + W::I8(20) + W::I8(30)); // entry 2
    body.Element(5, 4, W::I8(2));
    body.Element(4, 1, Pt16(0, 0) + Pt16(1, 1));
    body.Element(5, 34, W::I8(2) + W::I8(255) + W::I8(0) + W::I8(0));
    body.Element(4, 1, Pt16(0, 0) + Pt16(1, 1));
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(BinaryFile(head.Bytes(), body.Bytes()), m, error)) << error;
    const cgm::CPicture& p = m.pictures[0];
    ASSERT_EQ(p.elements.size(), 2u);
    EXPECT_EQ(p.attributes[p.elements[0].attributes].lineColor, (cgm::CColor{10, 20, 30}));
    EXPECT_EQ(p.attributes[p.elements[1].attributes].lineColor, (cgm::CColor{255, 0, 0}));
}

TEST(CgmParser, DirectColoursScaleByTheColourValueExtent)
{
    W head, descriptor, body;
    head.Element(1, 7, W::I16(16)); // 16-bit components
    head.Element(1, 10, W::I16(0) + W::I16(0) + W::I16(0) + W::I16(1000) + W::I16(1000) + W::I16(1000));
    descriptor.Element(2, 2, W::I16(1)); // direct
    body.Element(5, 23, W::I16(1000) + W::I16(500) + W::I16(0));
    body.Element(5, 22, W::I16(1)); // solid
    body.Element(4, 11, Pt16(0, 0) + Pt16(10, 10));
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(BinaryFile(head.Bytes(), body.Bytes(), descriptor.Bytes()), m, error)) << error;
    const cgm::CPicture& p = m.pictures[0];
    ASSERT_EQ(p.elements.size(), 1u);
    const cgm::CAttributes& a = p.attributes[p.elements[0].attributes];
    EXPECT_EQ(a.fillColor, (cgm::CColor{255, 128, 0}));
    EXPECT_EQ(a.interiorStyle, cgm::kSolid);
    EXPECT_EQ(p.points.size(), 4u); // the rectangle's corners
}

TEST(CgmParser, DefaultsReplacementSetsEveryPicturesStart)
{
    W head, defaults;
    defaults.Element(2, 6, Pt16(0, 0) + Pt16(500, 250)); // VDC extent
    defaults.Element(5, 3, W::Fixed32(3));               // line width 3 (scaled)
    head.Element(1, 12, defaults.Bytes());
    W body;
    body.Element(4, 1, Pt16(0, 0) + Pt16(1, 1));
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(BinaryFile(head.Bytes(), body.Bytes()), m, error)) << error;
    const cgm::CPicture& p = m.pictures[0];
    EXPECT_EQ(p.info.extentHigh.x, 500);
    EXPECT_EQ(p.info.extentHigh.y, 250);
    EXPECT_NEAR(p.attributes[0].lineWidth, 3 * 500 / 1000.0, 1e-9);
}

TEST(CgmParser, BinaryApplicationStructureGivesAHotSpot)
{
    // SDR: region type (IX 1 value 3) and eight VDC, as a string parameter.
    std::string sdr = W::I16(11) + W::I16(1) + W::I16(3);
    sdr += W::I16(16) + W::I16(8) + Pt16(0, 0) + Pt16(10, 0) + Pt16(10, 10) + Pt16(0, 10);
    std::string name = W::I16(14) + W::I16(1) + W::Str("Valve");
    W body;
    body.Element(0, 21, W::Str("v1") + W::Str("grobject") + W::I16(0));
    body.Element(9, 1, W::Str("region") + W::Str(sdr));
    body.Element(9, 1, W::Str("name") + W::Str(name));
    body.Element(0, 22);
    body.Element(4, 1, Pt16(0, 0) + Pt16(10, 10));
    body.Element(0, 23);
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(BinaryFile("", body.Bytes()), m, error)) << error;
    const auto& spots = m.pictures[0].info.hotSpots;
    ASSERT_EQ(spots.size(), 1u);
    EXPECT_EQ(spots[0].id, "v1");
    EXPECT_EQ(spots[0].name, "Valve");
    ASSERT_EQ(spots[0].regions.size(), 1u);
    ASSERT_EQ(spots[0].regions[0].size(), 4u);
    EXPECT_EQ(spots[0].regions[0][2].x, 10);
}

TEST(CgmParser, ClearTextLexicalForms)
{
    const std::string text =
        "% leading comment % beg_mf 'it''s';\n"
        "mfversion 1; vdc_type real;\n"
        "BEGPIC \"a \"\"b\"\"\"; VDCEXT 0.0 0.0 1.0E2 16#32;\n"
        "BEGPICBODY; UNKNOWNELEMENT 1 2 'x';\n"
        "LINE (1.5, -2e1) (3 4)\n/\n"
        "ENDPIC; ENDMF;";
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(text, m, error)) << error;
    EXPECT_TRUE(m.clearText);
    EXPECT_EQ(m.name, "it's");
    ASSERT_EQ(m.pictures.size(), 1u);
    EXPECT_EQ(m.pictures[0].info.name, "a \"b\"");
    EXPECT_EQ(m.pictures[0].info.extentHigh.x, 100);
    EXPECT_EQ(m.pictures[0].info.extentHigh.y, 50);
    ASSERT_EQ(m.pictures[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(m.pictures[0].points[0].y, -20);
}

// Points of one primitive of a clear-text picture with extent 0..100.
std::vector<cgm::CPoint> PrimitivePoints(const std::string& element, cgm::ElementKind& kind)
{
    const std::string text = "BEGMF ''; BEGPIC ''; VDCEXT 0 0 100 100; BEGPICBODY; " + element +
                             "; ENDPIC; ENDMF;";
    cgm::CMetafile m;
    std::string error;
    EXPECT_TRUE(Parse(text, m, error)) << element << ": " << error;
    if (m.pictures.empty() || m.pictures[0].elements.size() != 1)
        return {};
    const cgm::CPicture& p = m.pictures[0];
    kind = p.elements[0].kind;
    return {p.points.begin() + p.elements[0].first,
            p.points.begin() + p.elements[0].first + p.elements[0].count};
}

struct CArcCase
{
    const char* element;
    cgm::ElementKind kind;
    double cx, cy, r;          // every point but a pie's centre lies on this circle
    cgm::CPoint first, last;   // the arc's ends
    cgm::CPoint through;       // a point near which the arc passes
};

class CgmArcs : public ::testing::TestWithParam<CArcCase>
{
};

TEST_P(CgmArcs, PointsLieOnTheCircleAndRunTheRightWay)
{
    const CArcCase& c = GetParam();
    cgm::ElementKind kind{};
    std::vector<cgm::CPoint> pts = PrimitivePoints(c.element, kind);
    ASSERT_GE(pts.size(), 4u);
    EXPECT_EQ(kind, c.kind);
    if (kind == cgm::ElementKind::FilledArea && std::string(c.element).find("pie") != std::string::npos)
        pts.erase(pts.begin());
    double nearest = 1e9;
    for (const cgm::CPoint& p : pts) {
        EXPECT_NEAR(std::hypot(p.x - c.cx, p.y - c.cy), c.r, 1e-6) << c.element;
        nearest = std::min(nearest, std::hypot(p.x - c.through.x, p.y - c.through.y));
    }
    EXPECT_NEAR(pts.front().x, c.first.x, 1e-6);
    EXPECT_NEAR(pts.front().y, c.first.y, 1e-6);
    EXPECT_NEAR(pts.back().x, c.last.x, 1e-6);
    EXPECT_NEAR(pts.back().y, c.last.y, 1e-6);
    EXPECT_LT(nearest, c.r * 0.1) << c.element;
}

INSTANTIATE_TEST_SUITE_P(
    All, CgmArcs,
    ::testing::Values(
        // counter-clockwise from +x to +y: passes the first quadrant
        CArcCase{"ARCCTR (50,50) 1 0 0 1 10", cgm::ElementKind::Polyline, 50, 50, 10, {60, 50}, {50, 60}, {57.07, 57.07}},
        // reversed: clockwise from +x to +y, the long way round
        CArcCase{"ARCCTRREV (50,50) 1 0 0 1 10", cgm::ElementKind::Polyline, 50, 50, 10, {60, 50}, {50, 60}, {42.93, 42.93}},
        // three points: through the middle one, whichever way that is
        CArcCase{"ARC3PT (60,50) (50,40) (40,50)", cgm::ElementKind::Polyline, 50, 50, 10, {60, 50}, {40, 50}, {50, 40}},
        CArcCase{"ARC3PT (60,50) (50,60) (40,50)", cgm::ElementKind::Polyline, 50, 50, 10, {60, 50}, {40, 50}, {50, 60}},
        CArcCase{"ARC3PTCLOSE (60,50) (50,60) (40,50) chord", cgm::ElementKind::FilledArea, 50, 50, 10, {60, 50}, {40, 50}, {50, 60}},
        CArcCase{"ARCCTRCLOSE (50,50) 0 1 -1 0 10 pie", cgm::ElementKind::FilledArea, 50, 50, 10, {50, 60}, {40, 50}, {42.93, 57.07}},
        // an ellipse arc whose conjugate diameters are a circle's radii
        CArcCase{"ELLIPARC (50,50) (60,50) (50,60) 0 -1 1 0", cgm::ElementKind::Polyline, 50, 50, 10, {50, 40}, {60, 50}, {57.07, 42.93}},
        CArcCase{"CIRCLE (50,50) 10", cgm::ElementKind::FilledArea, 50, 50, 10, {60, 50}, {60, 50}, {40, 50}}));

TEST(CgmParser, PolygonSetKeepsItsEdgeFlags)
{
    cgm::ElementKind kind{};
    const std::string text = "BEGMF ''; BEGPIC ''; BEGPICBODY; POLYGONSET (0,0) vis (10,0) invis "
                             "(10,10) closevis (20,20) vis (30,20) closeinvis; ENDPIC; ENDMF;";
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(text, m, error)) << error;
    const cgm::CPicture& p = m.pictures[0];
    ASSERT_EQ(p.elements.size(), 1u);
    kind = p.elements[0].kind;
    EXPECT_EQ(kind, cgm::ElementKind::PolygonSet);
    EXPECT_EQ(p.edgeFlags, (std::vector<std::uint8_t>{1, 0, 3, 1, 2}));
}

TEST(CgmParser, KeepsOnlyTheChosenPictureButCountsAll)
{
    std::string text = "BEGMF '';";
    for (int i = 0; i < 3; ++i)
        text += "BEGPIC 'p" + std::to_string(i) + "'; BEGPICBODY; LINE 0 0 " + std::to_string(i + 1) +
                " 1; ENDPIC;";
    text += "ENDMF;";
    cgm::CParseOptions options;
    options.keepPicture = 1;
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(text, m, error, options)) << error;
    ASSERT_EQ(m.pictures.size(), 3u);
    EXPECT_FALSE(m.pictures[0].kept);
    EXPECT_TRUE(m.pictures[0].elements.empty());
    ASSERT_TRUE(m.pictures[1].kept);
    ASSERT_EQ(m.pictures[1].points.size(), 2u);
    EXPECT_EQ(m.pictures[1].points[1].x, 2);
}

TEST(CgmParser, UnknownBinaryElementsAreSkipped)
{
    W body;
    body.Element(4, 99, W::I16(1) + W::I16(2) + W::I16(3));
    body.Element(7, 2, std::string(40, 'x'), true); // application data, long form
    body.Element(4, 1, Pt16(0, 0) + Pt16(1, 1));
    cgm::CMetafile m;
    std::string error;
    ASSERT_TRUE(Parse(BinaryFile("", body.Bytes()), m, error)) << error;
    EXPECT_EQ(m.pictures[0].elements.size(), 1u);
}

struct CBadCase
{
    const char* name;
    std::string bytes;
};

std::vector<CBadCase> BadFiles()
{
    W body;
    body.Element(4, 1, Pt16(0, 0) + Pt16(1, 1));
    const std::string good = BinaryFile("", body.Bytes());
    W badPrecision;
    badPrecision.Element(1, 4, W::I16(12));
    W nan;
    nan.Element(3, 2, W::I16(0) + W::I16(9) + W::I16(23));
    nan.Element(4, 1, W::F32(NAN) + W::F32(0) + W::F32(1) + W::F32(1));
    W realVdc;
    realVdc.Element(1, 3, W::I16(1));
    W shortPoint;
    shortPoint.Element(4, 1, Pt16(0, 0) + W::I16(1));
    return {
        {"empty", ""},
        {"not a CGM", "hello world, not a metafile"},
        {"truncated binary", good.substr(0, good.size() - 7)},
        {"truncated header", good.substr(0, 1)},
        {"no END METAFILE", good.substr(0, good.size() - 2)},
        {"long form beyond the end", std::string("\x00\x3f\x00\x10", 4) + "abc"},
        {"unsupported precision", BinaryFile(badPrecision.Bytes(), "")},
        {"not-a-number VDC", BinaryFile(realVdc.Bytes(), nan.Bytes())},
        {"odd coordinate", BinaryFile("", shortPoint.Bytes())},
        {"clear text without BEGMF", "LINE 0 0 1 1; ENDMF;"},
        {"unclosed string", "BEGMF 'abc; ENDMF;"},
        {"unclosed comment", "BEGMF 'a'; % no end ENDMF;"},
        {"bad number", "BEGMF 'a'; BEGPIC ''; BEGPICBODY; LINE 1.2.3 4 5 6; ENDPIC; ENDMF;"},
        {"missing parameter", "BEGMF 'a'; BEGPIC ''; BEGPICBODY; CIRCLE 1 2; ENDPIC; ENDMF;"},
        {"unknown enumeration", "BEGMF 'a'; BEGPIC ''; INTSTYLE sparkly; ENDPIC; ENDMF;"},
        {"odd characters", "BEGMF 'a'; @@@; ENDMF;"},
    };
}

TEST(CgmParser, MalformedFilesFailWithAReason)
{
    for (const CBadCase& c : BadFiles()) {
        cgm::CMetafile m;
        std::string error;
        EXPECT_FALSE(Parse(c.bytes, m, error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

TEST(CgmParser, LimitsStopHugeFiles)
{
    std::string text = "BEGMF ''; BEGPIC ''; BEGPICBODY; LINE";
    for (int i = 0; i < 2000; ++i)
        text += " 1 2";
    text += "; CIRCLE 0 0 5; ENDPIC; ENDMF;";
    cgm::CParseOptions options;
    options.maxPoints = 1000;
    cgm::CMetafile m;
    std::string error;
    EXPECT_FALSE(Parse(text, m, error, options));
    EXPECT_NE(error.find("too many"), std::string::npos) << error;
}

TEST(CgmParser, SeedCorpusParses)
{
    for (const char* name : {"plot-binary.cgm", "plot-clear.cgm", "shapes-binary.cgm",
                             "shapes-clear.cgm", "aps-clear.cgm", "two-pictures.cgm",
                             "hand-binary.cgm"}) {
        const std::string bytes = cgmtest::ReadAll(std::string(CGM_SEED_DIR) + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        cgm::CMetafile m;
        std::string error;
        EXPECT_TRUE(Parse(bytes, m, error)) << name << ": " << error;
        EXPECT_FALSE(m.pictures.empty()) << name;
    }
}

} // namespace
