#include "CgmParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <numbers>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace cgm {
namespace {

struct CParseError
{
    std::string what;
};

[[noreturn]] void Fail(std::string what)
{
    throw CParseError{std::move(what)};
}

double Finite(double v)
{
    if (!std::isfinite(v))
        Fail("a number is not finite");
    return v;
}

// A structured data record: typed members, each a list of numbers or strings.
struct CSdrMember
{
    int type = 0;
    std::vector<double> numbers;
    std::vector<std::string> strings;
};
using CSdr = std::vector<CSdrMember>;

enum SdrType : int {
    kSdrNested = 1, kSdrCI = 2, kSdrCD = 3, kSdrName = 4, kSdrE = 5, kSdrI = 6, kSdrIF8 = 8,
    kSdrIF16 = 9, kSdrIF32 = 10, kSdrIX = 11, kSdrR = 12, kSdrS = 13, kSdrSF = 14, kSdrVC = 15,
    kSdrVDC = 16, kSdrCCO = 17, kSdrUI8 = 18, kSdrUI32 = 19, kSdrUI16 = 22,
};

bool IsStringType(int type)
{
    return type == kSdrS || type == kSdrSF || type == kSdrNested;
}

// The parameters of one element, read in the order the element defines them. The binary
// and the clear-text encodings each implement it; the interpreter does not care which.
class CParams
{
public:
    virtual ~CParams() = default;
    virtual bool AtEnd() = 0;
    virtual long long Int() = 0;   // I
    virtual long long Index() = 0; // IX
    // E: a keyword of names (clear text) or its number (binary).
    virtual int Enum(std::initializer_list<const char*> names) = 0;
    virtual double Real() = 0; // R
    virtual double Vdc() = 0;
    virtual std::uint32_t ColourIndex() = 0; // CI
    virtual void DirectColour(double rgb[3]) = 0;
    virtual std::string String() = 0; // S, SF
    virtual double ScaleFactor() = 0; // the metric scale of SCALING MODE
    virtual void Sdr(CSdr& sdr) = 0;
    // Precision elements: the binary form gives bits; clear text gives ranges that the reader
    // does not need. Return false when the encoding has nothing to set.
    virtual bool IntegerPrecision(int& bits) = 0;
    virtual bool RealPrecision(bool& isFloat, int& bits) = 0;
    // Clear text: the largest colour value (COLRPREC); binary: the bits.
    virtual bool ColourPrecision(int& bits, double& maxValue) = 0;

    CPoint Point()
    {
        CPoint p;
        p.x = Vdc();
        p.y = Vdc();
        return p;
    }
};

struct CColourSpec
{
    bool indexed = true;
    std::uint32_t index = 1;
    CColor rgb{0, 0, 0};
};

// Metafile-wide encoding state (precisions, colour value extent).
struct CEncoding
{
    bool vdcReal = false;
    int intBits = 16;
    bool realFloat = false;
    int realBits = 32;
    int indexBits = 16;
    int colourBits = 8;
    int colourIndexBits = 8;
    int nameBits = 16;
    double colourMin[3] = {0, 0, 0};
    double colourMax[3] = {255, 255, 255};
    bool colourExtentSet = false;
};

// The state a picture starts from (the defaults, possibly replaced) and runs in.
struct CState
{
    int vdcIntBits = 16;
    bool vdcRealFloat = false;
    int vdcRealBits = 32;
    bool colourIndexed = true;
    SizeMode lineMode = SizeMode::Scaled, markerMode = SizeMode::Scaled,
             edgeMode = SizeMode::Scaled;
    bool extentSet = false;
    CPoint extentLow{0, 0}, extentHigh{32767, 32767};
    bool metric = false;
    double metricScale = 1;
    bool hasBackground = false;
    CColor background{255, 255, 255};
    CAttributes attributes;
    CColourSpec lineColour, markerColour, fillColour, edgeColour, textColour;
    double lineWidth = 1, markerSize = 1, edgeWidth = 1;
    double charHeight = -1; // -1: not set, 1/100 of the extent
    std::vector<CColor> colourTable;
};

constexpr std::size_t kMaxColourTable = 65536;
constexpr std::size_t kMaxApsDepth = 256;

CColor DefaultColour(std::uint32_t index)
{
    static const CColor palette[] = {{255, 255, 255}, {0, 0, 0},     {255, 0, 0},
                                     {0, 255, 0},     {0, 0, 255},   {255, 255, 0},
                                     {0, 255, 255},   {255, 0, 255}};
    return index < std::size(palette) ? palette[index] : CColor{0, 0, 0};
}

// Points of the arc P(t) = centre + a cos t + b sin t for t from t0 to t1.
void AddArc(std::vector<CPoint>& out, CPoint c, CPoint a, CPoint b, double t0, double t1)
{
    const double sweep = std::fabs(t1 - t0);
    const int steps = std::clamp(static_cast<int>(std::ceil(sweep / (2 * std::numbers::pi) * 96)), 4, 96);
    for (int i = 0; i <= steps; ++i) {
        const double t = t0 + (t1 - t0) * i / steps;
        const double ct = std::cos(t), st = std::sin(t);
        out.push_back({c.x + a.x * ct + b.x * st, c.y + a.y * ct + b.y * st});
    }
}

double Angle(double y, double x)
{
    return (x == 0 && y == 0) ? 0.0 : std::atan2(y, x);
}

// The parameter t at which the ellipse (a, b) points in direction v.
bool EllipseParameter(CPoint a, CPoint b, CPoint v, double& t)
{
    const double det = a.x * b.y - a.y * b.x;
    if (std::fabs(det) < 1e-300 || !std::isfinite(det))
        return false;
    const double alpha = (v.x * b.y - v.y * b.x) / det;
    const double beta = (a.x * v.y - a.y * v.x) / det;
    t = Angle(beta, alpha);
    return std::isfinite(t);
}

std::string NormaliseKeyword(std::string_view word)
{
    std::string key;
    key.reserve(word.size());
    for (char c : word) {
        if (c == '_' || c == '$')
            continue;
        key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    return key;
}

// ---------------------------------------------------------------------------------------
// The interpreter: elements into the display list.

class CInterpreter
{
public:
    CInterpreter(CMetafile& out, const CParseOptions& options) : m_out(out), m_options(options)
    {
    }

    CEncoding encoding;
    bool begun = false;
    bool ended = false;
    bool inDefaults = false;

    void Element(int cls, int id, CParams& p);
    // The state elements are read with now (the defaults inside a defaults replacement).
    const CState& Current() const { return inDefaults ? m_defaults : m_state; }

private:
    CState& S() { return inDefaults ? m_defaults : m_state; }
    CPicture* Pic()
    {
        return (m_inBody && m_pictureKept) ? &m_out.pictures.back() : nullptr;
    }

    void Delimiter(int id, CParams& p);
    void MetafileDescriptor(int id, CParams& p);
    void PictureDescriptor(int id, CParams& p);
    void Control(int id, CParams& p);
    void Primitive(int id, CParams& p);
    void Attribute(int id, CParams& p);
    void ApsAttribute(CParams& p);

    CColor Normalise(const double raw[3]) const;
    CColourSpec ReadColour(CParams& p);
    CColor Resolve(const CColourSpec& spec) const;
    double ExtentSize() const;
    double ResolveSize(double raw, SizeMode mode, double nominal) const;
    double ReadSize(CParams& p, SizeMode mode) { return mode == SizeMode::Absolute ? p.Vdc() : Finite(p.Real()); }
    std::uint32_t CurrentAttributes();
    void ReadPoints(CParams& p, std::vector<CPoint>& out);
    void CheckPoints(std::size_t more);
    void AddElement(ElementKind kind, const std::vector<CPoint>& points, std::uint32_t extra = 0);
    void AddText(CParams& p, bool restricted);
    void SetColourDefaultsForMode();
    void FinishPictureInfo();

    CMetafile& m_out;
    const CParseOptions& m_options;
    CState m_defaults;
    CState m_state;
    bool m_inPicture = false;
    bool m_inBody = false;
    bool m_pictureKept = false;
    bool m_attributesDirty = true;
    std::size_t m_storedPoints = 0;
    std::size_t m_storedElements = 0;
    std::vector<CPoint> m_scratch;
    struct CAps
    {
        bool grobject = false;
        CHotSpot spot;
    };
    std::vector<CAps> m_aps;
};

CColor CInterpreter::Normalise(const double raw[3]) const
{
    std::uint8_t c[3];
    for (int i = 0; i < 3; ++i) {
        const double range = encoding.colourMax[i] - encoding.colourMin[i];
        double v = range != 0 ? (raw[i] - encoding.colourMin[i]) / range : 0.0;
        if (!(v >= 0))
            v = 0;
        c[i] = static_cast<std::uint8_t>(std::lround(std::min(v, 1.0) * 255));
    }
    return {c[0], c[1], c[2]};
}

CColourSpec CInterpreter::ReadColour(CParams& p)
{
    CColourSpec spec;
    if (S().colourIndexed) {
        spec.indexed = true;
        spec.index = p.ColourIndex();
    } else {
        double raw[3];
        p.DirectColour(raw);
        spec.indexed = false;
        spec.rgb = Normalise(raw);
    }
    return spec;
}

CColor CInterpreter::Resolve(const CColourSpec& spec) const
{
    if (!spec.indexed)
        return spec.rgb;
    if (spec.index < m_state.colourTable.size())
        return m_state.colourTable[spec.index];
    return DefaultColour(spec.index);
}

double CInterpreter::ExtentSize() const
{
    const double w = std::fabs(m_state.extentHigh.x - m_state.extentLow.x);
    const double h = std::fabs(m_state.extentHigh.y - m_state.extentLow.y);
    const double size = std::max(w, h);
    return std::isfinite(size) && size > 0 ? size : 1.0;
}

double CInterpreter::ResolveSize(double raw, SizeMode mode, double nominal) const
{
    double v = 0;
    switch (mode) {
    case SizeMode::Absolute: v = raw; break;
    case SizeMode::Scaled: v = raw * ExtentSize() * nominal; break;
    case SizeMode::Fractional: v = raw * ExtentSize(); break;
    case SizeMode::Millimetres:
        v = (m_state.metric && m_state.metricScale > 0) ? raw / m_state.metricScale
                                                        : raw * ExtentSize() / 200.0;
        break;
    }
    v = std::fabs(v);
    return std::isfinite(v) ? std::min(v, ExtentSize()) : 0.0;
}

std::uint32_t CInterpreter::CurrentAttributes()
{
    CPicture* pic = Pic();
    if (m_attributesDirty || pic->attributes.empty()) {
        CAttributes a = m_state.attributes;
        a.lineColor = Resolve(m_state.lineColour);
        a.markerColor = Resolve(m_state.markerColour);
        a.fillColor = Resolve(m_state.fillColour);
        a.edgeColor = Resolve(m_state.edgeColour);
        a.textColor = Resolve(m_state.textColour);
        a.lineWidth = ResolveSize(m_state.lineWidth, m_state.lineMode, 1.0 / 1000);
        a.edgeWidth = ResolveSize(m_state.edgeWidth, m_state.edgeMode, 1.0 / 1000);
        a.markerSize = ResolveSize(m_state.markerSize, m_state.markerMode, 1.0 / 100);
        a.charHeight = m_state.charHeight < 0 ? ExtentSize() / 100
                                              : std::min(m_state.charHeight, ExtentSize() * 4);
        if (++m_storedElements > m_options.maxElements)
            Fail("too many elements");
        pic->attributes.push_back(a);
        m_attributesDirty = false;
    }
    return static_cast<std::uint32_t>(pic->attributes.size() - 1);
}

void CInterpreter::CheckPoints(std::size_t more)
{
    if (more > m_options.maxPoints || m_storedPoints + more > m_options.maxPoints)
        Fail("too many points");
}

void CInterpreter::ReadPoints(CParams& p, std::vector<CPoint>& out)
{
    out.clear();
    while (!p.AtEnd()) {
        CheckPoints(out.size() + 1);
        out.push_back(p.Point());
    }
}

void CInterpreter::AddElement(ElementKind kind, const std::vector<CPoint>& points,
                              std::uint32_t extra)
{
    CPicture* pic = Pic();
    CheckPoints(points.size());
    if (++m_storedElements > m_options.maxElements)
        Fail("too many elements");
    CElement e;
    e.kind = kind;
    e.attributes = CurrentAttributes();
    e.first = static_cast<std::uint32_t>(pic->points.size());
    e.count = static_cast<std::uint32_t>(points.size());
    e.extra = extra;
    pic->points.insert(pic->points.end(), points.begin(), points.end());
    m_storedPoints += points.size();
    pic->elements.push_back(e);
}

void CInterpreter::AddText(CParams& p, bool restricted)
{
    CText text;
    text.restricted = restricted;
    if (restricted) {
        text.width = p.Vdc();
        text.height = p.Vdc();
    }
    text.position = p.Point();
    p.Enum({"notfinal", "final"});
    text.bytes = p.String();
    CPicture* pic = Pic();
    const auto index = static_cast<std::uint32_t>(pic->texts.size());
    pic->texts.push_back(std::move(text));
    m_scratch.assign(1, pic->texts.back().position);
    AddElement(ElementKind::Text, m_scratch, index);
}

void CInterpreter::SetColourDefaultsForMode()
{
    // Direct colour defaults to black drawing on the background; indexed to entry 1.
    for (CColourSpec* c : {&S().lineColour, &S().markerColour, &S().fillColour, &S().edgeColour,
                           &S().textColour}) {
        c->indexed = S().colourIndexed;
        c->index = 1;
        c->rgb = {0, 0, 0};
    }
}

void CInterpreter::FinishPictureInfo()
{
    if (!m_pictureKept || m_out.pictures.empty())
        return;
    CPicture& pic = m_out.pictures.back();
    pic.info.extentLow = m_state.extentLow;
    pic.info.extentHigh = m_state.extentHigh;
    pic.info.hasBackground = m_state.hasBackground;
    pic.info.background = m_state.background;
    pic.metric = m_state.metric;
    pic.metricScale = m_state.metricScale;
}

void CInterpreter::Element(int cls, int id, CParams& p)
{
    if (!begun && !(cls == 0 && id == 1))
        Fail("the file does not start with BEGIN METAFILE");
    switch (cls) {
    case 0: Delimiter(id, p); break;
    case 1: MetafileDescriptor(id, p); break;
    case 2: PictureDescriptor(id, p); break;
    case 3: Control(id, p); break;
    case 4:
        if (Pic())
            Primitive(id, p);
        break;
    case 5: Attribute(id, p); break;
    case 9:
        if (id == 1 && Pic())
            ApsAttribute(p);
        break;
    default: break; // escapes, external and segment elements: nothing to draw
    }
}

void CInterpreter::Delimiter(int id, CParams& p)
{
    switch (id) {
    case 1: // BEGIN METAFILE
        if (begun)
            Fail("a second BEGIN METAFILE");
        begun = true;
        if (!p.AtEnd())
            m_out.name = p.String();
        break;
    case 2: // END METAFILE
        ended = true;
        break;
    case 3: { // BEGIN PICTURE
        if (m_out.pictures.size() >= m_options.maxPictures)
            Fail("too many pictures");
        inDefaults = false;
        const int index = static_cast<int>(m_out.pictures.size());
        m_out.pictures.emplace_back();
        if (!p.AtEnd())
            m_out.pictures.back().info.name = p.String();
        m_pictureKept = m_options.keepPicture < 0 || m_options.keepPicture == index;
        m_out.pictures.back().kept = m_pictureKept;
        m_state = m_defaults;
        if (!m_state.extentSet) {
            m_state.extentLow = {0, 0};
            m_state.extentHigh = encoding.vdcReal ? CPoint{1, 1} : CPoint{32767, 32767};
        }
        m_inPicture = true;
        m_inBody = false;
        m_attributesDirty = true;
        m_aps.clear();
        FinishPictureInfo();
        break;
    }
    case 4: // BEGIN PICTURE BODY
        if (!m_inPicture)
            Fail("BEGIN PICTURE BODY outside a picture");
        FinishPictureInfo();
        m_inBody = true;
        break;
    case 5: // END PICTURE
        m_inPicture = m_inBody = false;
        m_aps.clear();
        break;
    case 21: { // BEGIN APPLICATION STRUCTURE
        if (!Pic())
            break;
        if (m_aps.size() >= kMaxApsDepth)
            Fail("application structures nested too deeply");
        CAps aps;
        aps.spot.id = p.String();
        std::string type = p.String();
        std::transform(type.begin(), type.end(), type.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        aps.grobject = type == "grobject";
        m_aps.push_back(std::move(aps));
        break;
    }
    case 23: // END APPLICATION STRUCTURE
        if (!Pic() || m_aps.empty())
            break;
        if (m_aps.back().grobject) {
            CPicture* pic = Pic();
            if (++m_storedElements > m_options.maxElements)
                Fail("too many elements");
            pic->info.hotSpots.push_back(std::move(m_aps.back().spot));
        }
        m_aps.pop_back();
        break;
    default: break;
    }
}

void CInterpreter::MetafileDescriptor(int id, CParams& p)
{
    int bits = 0;
    switch (id) {
    case 2: m_out.description = p.String(); break;
    case 3: encoding.vdcReal = p.Enum({"integer", "real"}) == 1; break;
    case 4:
        if (p.IntegerPrecision(bits))
            encoding.intBits = bits;
        break;
    case 5: {
        bool isFloat = false;
        if (p.RealPrecision(isFloat, bits)) {
            encoding.realFloat = isFloat;
            encoding.realBits = bits;
        }
        break;
    }
    case 6:
        if (p.IntegerPrecision(bits))
            encoding.indexBits = bits;
        break;
    case 7: {
        double maxValue = 0;
        if (p.ColourPrecision(bits, maxValue)) {
            encoding.colourBits = bits;
            if (!encoding.colourExtentSet)
                for (double& m : encoding.colourMax)
                    m = maxValue;
        }
        break;
    }
    case 8:
        if (p.IntegerPrecision(bits))
            encoding.colourIndexBits = bits;
        break;
    case 10: {
        double low[3], high[3];
        p.DirectColour(low);
        p.DirectColour(high);
        std::copy(low, low + 3, encoding.colourMin);
        std::copy(high, high + 3, encoding.colourMax);
        encoding.colourExtentSet = true;
        break;
    }
    case 12: inDefaults = true; break;   // clear text BEGMFDEFAULTS
    case 100: inDefaults = false; break; // clear text ENDMFDEFAULTS
    case 13:
        m_out.fonts.clear();
        while (!p.AtEnd() && m_out.fonts.size() < 4096)
            m_out.fonts.push_back(p.String());
        break;
    case 16:
        if (p.IntegerPrecision(bits))
            encoding.nameBits = bits;
        break;
    default: break;
    }
}

void CInterpreter::PictureDescriptor(int id, CParams& p)
{
    CState& s = S();
    auto sizeMode = [&p]() {
        return static_cast<SizeMode>(
            std::clamp(p.Enum({"abs", "scaled", "fractional", "mm"}), 0, 3));
    };
    switch (id) {
    case 1:
        s.metric = p.Enum({"abstract", "metric"}) == 1;
        s.metricScale = Finite(p.ScaleFactor());
        if (!(s.metricScale > 0))
            s.metric = false;
        break;
    case 2:
        s.colourIndexed = p.Enum({"indexed", "direct"}) == 0;
        SetColourDefaultsForMode();
        break;
    case 3: s.lineMode = sizeMode(); break;
    case 4: s.markerMode = sizeMode(); break;
    case 5: s.edgeMode = sizeMode(); break;
    case 6:
        s.extentLow = p.Point();
        s.extentHigh = p.Point();
        s.extentSet = true;
        break;
    case 7: {
        double raw[3];
        p.DirectColour(raw);
        s.background = Normalise(raw);
        s.hasBackground = true;
        break;
    }
    default: break;
    }
    m_attributesDirty = true;
}

void CInterpreter::Control(int id, CParams& p)
{
    int bits = 0;
    bool isFloat = false;
    switch (id) {
    case 1:
        if (p.IntegerPrecision(bits))
            S().vdcIntBits = bits;
        break;
    case 2:
        if (p.RealPrecision(isFloat, bits)) {
            S().vdcRealFloat = isFloat;
            S().vdcRealBits = bits;
        }
        break;
    default: break;
    }
}

void CInterpreter::Primitive(int id, CParams& p)
{
    std::vector<CPoint>& pts = m_scratch;
    switch (id) {
    case 1: // POLYLINE
        ReadPoints(p, pts);
        AddElement(ElementKind::Polyline, pts);
        break;
    case 2: // DISJOINT POLYLINE
        ReadPoints(p, pts);
        AddElement(ElementKind::DisjointPolyline, pts);
        break;
    case 3: // POLYMARKER
        ReadPoints(p, pts);
        AddElement(ElementKind::Polymarker, pts);
        break;
    case 4: AddText(p, false); break;
    case 5: AddText(p, true); break;
    case 6: { // APPEND TEXT
        p.Enum({"notfinal", "final"});
        std::string more = p.String();
        CPicture* pic = Pic();
        if (!pic->elements.empty() && pic->elements.back().kind == ElementKind::Text)
            pic->texts[pic->elements.back().extra].bytes += more;
        break;
    }
    case 7: // POLYGON
        ReadPoints(p, pts);
        AddElement(ElementKind::FilledArea, pts);
        break;
    case 8: { // POLYGON SET
        pts.clear();
        std::vector<std::uint8_t> flags;
        while (!p.AtEnd()) {
            CheckPoints(pts.size() + 1);
            pts.push_back(p.Point());
            flags.push_back(static_cast<std::uint8_t>(
                std::clamp(p.Enum({"invis", "vis", "closeinvis", "closevis"}), 0, 3)));
        }
        CPicture* pic = Pic();
        const auto extra = static_cast<std::uint32_t>(pic->edgeFlags.size());
        AddElement(ElementKind::PolygonSet, pts, extra);
        pic->edgeFlags.insert(pic->edgeFlags.end(), flags.begin(), flags.end());
        break;
    }
    case 11: { // RECTANGLE
        const CPoint a = p.Point(), b = p.Point();
        pts = {a, {b.x, a.y}, b, {a.x, b.y}};
        AddElement(ElementKind::FilledArea, pts);
        break;
    }
    case 12: { // CIRCLE
        const CPoint c = p.Point();
        const double r = std::fabs(p.Vdc());
        pts.clear();
        AddArc(pts, c, {r, 0}, {0, r}, 0, 2 * std::numbers::pi);
        AddElement(ElementKind::FilledArea, pts);
        break;
    }
    case 13:   // CIRCULAR ARC 3 POINT
    case 14: { // CIRCULAR ARC 3 POINT CLOSE
        const CPoint a = p.Point(), m = p.Point(), b = p.Point();
        const int close = id == 14 ? p.Enum({"pie", "chord"}) : -1;
        pts.clear();
        const double d = 2 * (a.x * (m.y - b.y) + m.x * (b.y - a.y) + b.x * (a.y - m.y));
        const double scale = std::max({std::fabs(a.x - b.x), std::fabs(a.y - b.y),
                                       std::fabs(a.x - m.x), std::fabs(a.y - m.y)});
        CPoint c{0, 0};
        bool straight = !(std::fabs(d) > 1e-12 * scale * scale) || !std::isfinite(d);
        if (!straight) {
            const double a2 = a.x * a.x + a.y * a.y, m2 = m.x * m.x + m.y * m.y,
                         b2 = b.x * b.x + b.y * b.y;
            c.x = (a2 * (m.y - b.y) + m2 * (b.y - a.y) + b2 * (a.y - m.y)) / d;
            c.y = (a2 * (b.x - m.x) + m2 * (a.x - b.x) + b2 * (m.x - a.x)) / d;
            straight = !std::isfinite(c.x) || !std::isfinite(c.y);
        }
        if (straight) {
            pts = {a, m, b};
        } else {
            const double r = std::hypot(a.x - c.x, a.y - c.y);
            const double ta = Angle(a.y - c.y, a.x - c.x), tm = Angle(m.y - c.y, m.x - c.x),
                         tb = Angle(b.y - c.y, b.x - c.x);
            auto norm = [](double v) {
                v = std::fmod(v, 2 * std::numbers::pi);
                return v < 0 ? v + 2 * std::numbers::pi : v;
            };
            const double dm = norm(tm - ta), db = norm(tb - ta);
            if (dm <= db) // counter-clockwise through the middle point
                AddArc(pts, c, {r, 0}, {0, r}, ta, ta + db);
            else
                AddArc(pts, c, {r, 0}, {0, -r}, -ta, -ta + (2 * std::numbers::pi - db));
            if (close == 0)
                pts.insert(pts.begin(), c);
        }
        AddElement(close >= 0 ? ElementKind::FilledArea : ElementKind::Polyline, pts);
        break;
    }
    case 15:   // CIRCULAR ARC CENTRE
    case 16:   // CIRCULAR ARC CENTRE CLOSE
    case 20: { // CIRCULAR ARC CENTRE REVERSED
        const CPoint c = p.Point();
        const CPoint s{p.Vdc(), p.Vdc()};
        const CPoint e{p.Vdc(), p.Vdc()};
        const double r = std::fabs(p.Vdc());
        const int close = id == 16 ? p.Enum({"pie", "chord"}) : -1;
        const double sign = id == 20 ? -1.0 : 1.0;
        const double t0 = Angle(sign * s.y, s.x);
        double t1 = Angle(sign * e.y, e.x);
        if (t1 <= t0)
            t1 += 2 * std::numbers::pi;
        pts.clear();
        if (close == 0)
            pts.push_back(c);
        AddArc(pts, c, {r, 0}, {0, sign * r}, t0, t1);
        AddElement(close >= 0 ? ElementKind::FilledArea : ElementKind::Polyline, pts);
        break;
    }
    case 17: { // ELLIPSE
        const CPoint c = p.Point(), p1 = p.Point(), p2 = p.Point();
        pts.clear();
        AddArc(pts, c, {p1.x - c.x, p1.y - c.y}, {p2.x - c.x, p2.y - c.y}, 0,
               2 * std::numbers::pi);
        AddElement(ElementKind::FilledArea, pts);
        break;
    }
    case 18:   // ELLIPTICAL ARC
    case 19: { // ELLIPTICAL ARC CLOSE
        const CPoint c = p.Point(), p1 = p.Point(), p2 = p.Point();
        const CPoint s{p.Vdc(), p.Vdc()};
        const CPoint e{p.Vdc(), p.Vdc()};
        const int close = id == 19 ? p.Enum({"pie", "chord"}) : -1;
        const CPoint a{p1.x - c.x, p1.y - c.y}, b{p2.x - c.x, p2.y - c.y};
        double t0 = 0, t1 = 0;
        pts.clear();
        if (EllipseParameter(a, b, s, t0) && EllipseParameter(a, b, e, t1)) {
            if (t1 <= t0)
                t1 += 2 * std::numbers::pi;
            if (close == 0)
                pts.push_back(c);
            AddArc(pts, c, a, b, t0, t1);
        }
        AddElement(close >= 0 ? ElementKind::FilledArea : ElementKind::Polyline, pts);
        break;
    }
    case 26: { // POLYBEZIER: 1 discontinuous (4 points a curve), 2 continuous (3 more a curve)
        const bool continuous = p.Index() == 2;
        std::vector<CPoint> control;
        ReadPoints(p, control);
        pts.clear();
        std::size_t i = 0;
        while (i + 4 <= control.size()) {
            const CPoint p0 = control[i], p1 = control[i + 1], p2 = control[i + 2],
                         p3 = control[i + 3];
            if (pts.empty() || !continuous) {
                if (!continuous && !pts.empty()) {
                    AddElement(ElementKind::Polyline, pts);
                    pts.clear();
                }
                pts.push_back(p0);
            }
            for (int k = 1; k <= 16; ++k) {
                const double t = k / 16.0, u = 1 - t;
                pts.push_back({u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x +
                                   t * t * t * p3.x,
                               u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y +
                                   t * t * t * p3.y});
            }
            i += continuous ? 3 : 4;
            CheckPoints(pts.size());
        }
        if (!pts.empty())
            AddElement(ElementKind::Polyline, pts);
        break;
    }
    default: break; // cell arrays, generalised drawing primitives: not drawn
    }
}

void CInterpreter::Attribute(int id, CParams& p)
{
    CState& s = S();
    CAttributes& a = s.attributes;
    auto index = [&p]() { return static_cast<int>(std::clamp(p.Index(), -1000000LL, 1000000LL)); };
    switch (id) {
    case 2: a.lineType = index(); break;
    case 3: s.lineWidth = ReadSize(p, s.lineMode); break;
    case 4: s.lineColour = ReadColour(p); break;
    case 6: a.markerType = index(); break;
    case 7: s.markerSize = ReadSize(p, s.markerMode); break;
    case 8: s.markerColour = ReadColour(p); break;
    case 10: a.fontIndex = index(); break;
    case 12: a.charExpansion = std::clamp(Finite(p.Real()), -100.0, 100.0); break;
    case 13: a.charSpacing = std::clamp(Finite(p.Real()), -100.0, 100.0); break;
    case 14: s.textColour = ReadColour(p); break;
    case 15: s.charHeight = std::fabs(p.Vdc()); break;
    case 16:
        a.charUp = p.Point();
        a.charBase = p.Point();
        break;
    case 17: a.textPath = p.Enum({"right", "left", "up", "down"}); break;
    case 18:
        a.alignHorizontal = p.Enum({"normhoriz", "left", "ctr", "right", "conthoriz"});
        a.alignVertical = p.Enum({"normvert", "top", "cap", "half", "base", "bottom", "contvert"});
        break;
    case 22:
        a.interiorStyle =
            p.Enum({"hollow", "solid", "pat", "hatch", "empty", "geopat", "interp"});
        break;
    case 23: s.fillColour = ReadColour(p); break;
    case 24: a.hatchIndex = index(); break;
    case 27: a.edgeType = index(); break;
    case 28: s.edgeWidth = ReadSize(p, s.edgeMode); break;
    case 29: s.edgeColour = ReadColour(p); break;
    case 30: a.edgeVisible = p.Enum({"off", "on"}) == 1; break;
    case 34: { // COLOUR TABLE
        std::uint32_t start = p.ColourIndex();
        while (!p.AtEnd()) {
            double raw[3];
            p.DirectColour(raw);
            if (start < kMaxColourTable) {
                if (s.colourTable.size() <= start) {
                    const std::size_t old = s.colourTable.size();
                    s.colourTable.resize(start + 1);
                    for (std::size_t i = old; i < s.colourTable.size(); ++i)
                        s.colourTable[i] = DefaultColour(static_cast<std::uint32_t>(i));
                }
                s.colourTable[start] = Normalise(raw);
            }
            if (start < kMaxColourTable)
                ++start;
        }
        break;
    }
    case 37:
        a.lineCap = index();
        break;
    case 38: a.lineJoin = index(); break;
    case 42: a.restrictedTextType = index(); break;
    case 44: a.edgeCap = index(); break;
    case 45: a.edgeJoin = index(); break;
    default: return;
    }
    m_attributesDirty = true;
}

// "region": a type (1 rectangle, 2 ellipse, 3 polygon, 4 poly-Bézier) and VDC points.
std::vector<CPoint> RegionFromSdr(const CSdr& sdr)
{
    int type = 3;
    std::vector<double> coords;
    std::size_t start = 0;
    if (!sdr.empty() && sdr[0].type != kSdrVDC && sdr[0].type != kSdrR &&
        !IsStringType(sdr[0].type) && sdr[0].numbers.size() == 1 && sdr.size() > 1) {
        type = static_cast<int>(std::clamp(sdr[0].numbers[0], -1.0, 100.0));
        start = 1;
    }
    for (std::size_t i = start; i < sdr.size(); ++i)
        if (!IsStringType(sdr[i].type) && sdr[i].type != kSdrCD)
            coords.insert(coords.end(), sdr[i].numbers.begin(), sdr[i].numbers.end());
    std::vector<CPoint> pts;
    for (std::size_t i = 0; i + 1 < coords.size(); i += 2)
        pts.push_back({coords[i], coords[i + 1]});
    std::vector<CPoint> region;
    switch (type) {
    case 1:
        if (pts.size() >= 2)
            region = {pts[0], {pts[1].x, pts[0].y}, pts[1], {pts[0].x, pts[1].y}};
        break;
    case 2:
        if (pts.size() >= 3)
            AddArc(region, pts[0], {pts[1].x - pts[0].x, pts[1].y - pts[0].y},
                   {pts[2].x - pts[0].x, pts[2].y - pts[0].y}, 0, 2 * std::numbers::pi);
        break;
    case 4:
        if (!pts.empty()) {
            region.push_back(pts[0]);
            for (std::size_t i = 1; i + 2 < pts.size(); i += 3) {
                const CPoint p0 = pts[i - 1], p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
                for (int k = 1; k <= 8; ++k) {
                    const double t = k / 8.0, u = 1 - t;
                    region.push_back({u * u * u * p0.x + 3 * u * u * t * p1.x +
                                          3 * u * t * t * p2.x + t * t * t * p3.x,
                                      u * u * u * p0.y + 3 * u * u * t * p1.y +
                                          3 * u * t * t * p2.y + t * t * t * p3.y});
                }
            }
        }
        break;
    default: region = std::move(pts); break;
    }
    return region;
}

void CInterpreter::ApsAttribute(CParams& p)
{
    std::string name = p.String();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (m_aps.empty() || !m_aps.back().grobject)
        return;
    CSdr sdr;
    p.Sdr(sdr);
    CHotSpot& spot = m_aps.back().spot;
    auto firstString = [&sdr]() -> std::string {
        for (const CSdrMember& m : sdr)
            if (!m.strings.empty())
                return m.strings.front();
        return {};
    };
    if (name == "name") {
        spot.name = firstString();
    } else if (name == "linkuri") {
        spot.linkUri = firstString();
    } else if (name == "region") {
        std::vector<CPoint> region = RegionFromSdr(sdr);
        CheckPoints(region.size());
        m_storedPoints += region.size();
        if (region.size() >= 3)
            spot.regions.push_back(std::move(region));
    }
}

// ---------------------------------------------------------------------------------------
// Binary encoding.

class CBinaryParams : public CParams
{
public:
    CBinaryParams(const std::uint8_t* data, std::size_t size, const CEncoding& enc,
                  const CState& state)
        : m_p(data), m_end(data + size), m_enc(enc), m_state(state)
    {
    }

    bool AtEnd() override { return m_p >= m_end; }
    long long Int() override { return Signed(m_enc.intBits); }
    long long Index() override { return Signed(m_enc.indexBits); }
    int Enum(std::initializer_list<const char*>) override { return static_cast<int>(Signed(16)); }
    double Real() override { return RealOf(m_enc.realFloat, m_enc.realBits); }
    double Vdc() override
    {
        return Finite(m_enc.vdcReal ? RealOf(m_state.vdcRealFloat, m_state.vdcRealBits)
                                    : static_cast<double>(Signed(m_state.vdcIntBits)));
    }
    std::uint32_t ColourIndex() override
    {
        return static_cast<std::uint32_t>(Unsigned(m_enc.colourIndexBits));
    }
    void DirectColour(double rgb[3]) override
    {
        for (int i = 0; i < 3; ++i)
            rgb[i] = static_cast<double>(Unsigned(m_enc.colourBits));
    }
    std::string String() override
    {
        Need(1);
        std::size_t length = *m_p++;
        std::string s;
        if (length < 255) {
            Need(length);
            s.assign(reinterpret_cast<const char*>(m_p), length);
            m_p += length;
            return s;
        }
        bool more = true;
        while (more) {
            const auto word = static_cast<std::uint32_t>(Unsigned(16));
            more = (word & 0x8000) != 0;
            length = word & 0x7fff;
            Need(length);
            s.append(reinterpret_cast<const char*>(m_p), length);
            m_p += length;
        }
        return s;
    }
    double ScaleFactor() override
    {
        // Always floating point, whatever the real precision; eight bytes when given so.
        return (m_end - m_p) >= 8 ? Float(64) : Float(32);
    }
    void Sdr(CSdr& sdr) override
    {
        const std::string bytes = String();
        CBinaryParams inner(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                            m_enc, m_state);
        inner.ReadSdrMembers(sdr);
    }
    bool IntegerPrecision(int& bits) override
    {
        bits = static_cast<int>(Int());
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
            Fail("unsupported precision " + std::to_string(bits));
        return true;
    }
    bool RealPrecision(bool& isFloat, int& bits) override
    {
        const long long form = Int(), a = Int(), b = Int();
        if (form == 0 && a == 9 && b == 23) {
            isFloat = true;
            bits = 32;
        } else if (form == 0 && a == 12 && b == 52) {
            isFloat = true;
            bits = 64;
        } else if (form == 1 && a == 16 && b == 16) {
            isFloat = false;
            bits = 32;
        } else if (form == 1 && a == 32 && b == 32) {
            isFloat = false;
            bits = 64;
        } else {
            Fail("unsupported real precision");
        }
        return true;
    }
    bool ColourPrecision(int& bits, double& maxValue) override
    {
        IntegerPrecision(bits);
        maxValue = std::ldexp(1.0, bits) - 1;
        return true;
    }

private:
    void Need(std::size_t n)
    {
        if (static_cast<std::size_t>(m_end - m_p) < n)
            Fail("an element's parameters are too short");
    }
    std::uint64_t Unsigned(int bits)
    {
        const int bytes = bits / 8;
        Need(static_cast<std::size_t>(bytes));
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v = (v << 8) | m_p[i];
        m_p += bytes;
        return v;
    }
    long long Signed(int bits)
    {
        const std::uint64_t v = Unsigned(bits);
        const std::uint64_t sign = std::uint64_t(1) << (bits - 1);
        return static_cast<long long>(v ^ sign) - static_cast<long long>(sign);
    }
    double Float(int bits)
    {
        if (bits == 32) {
            const auto u = static_cast<std::uint32_t>(Unsigned(32));
            float f;
            std::memcpy(&f, &u, sizeof f);
            return f;
        }
        const std::uint64_t u = Unsigned(64);
        double d;
        std::memcpy(&d, &u, sizeof d);
        return d;
    }
    double RealOf(bool isFloat, int bits)
    {
        if (isFloat)
            return Float(bits);
        const int half = bits / 2;
        const long long whole = Signed(half);
        const auto fraction = static_cast<double>(Unsigned(half));
        return static_cast<double>(whole) + fraction / std::ldexp(1.0, half);
    }

public:
    void ReadSdrMembers(CSdr& sdr)
    {
        while (!AtEnd() && sdr.size() < 4096) {
            CSdrMember m;
            m.type = static_cast<int>(Index());
            const long long count = Int();
            if (count < 0 || count > m_end - m_p + 1)
                Fail("a structured data record is damaged");
            for (long long i = 0; i < count; ++i) {
                switch (m.type) {
                case kSdrNested:
                case kSdrS:
                case kSdrSF: m.strings.push_back(String()); break;
                case kSdrCI: m.numbers.push_back(ColourIndex()); break;
                case kSdrCD: {
                    double rgb[3];
                    DirectColour(rgb);
                    m.numbers.insert(m.numbers.end(), rgb, rgb + 3);
                    break;
                }
                case kSdrName: m.numbers.push_back(static_cast<double>(Signed(m_enc.nameBits))); break;
                case kSdrE: m.numbers.push_back(static_cast<double>(Signed(16))); break;
                case kSdrI:
                case kSdrVC: m.numbers.push_back(static_cast<double>(Int())); break;
                case kSdrIF8: m.numbers.push_back(static_cast<double>(Signed(8))); break;
                case kSdrIF16: m.numbers.push_back(static_cast<double>(Signed(16))); break;
                case kSdrIF32: m.numbers.push_back(static_cast<double>(Signed(32))); break;
                case kSdrIX: m.numbers.push_back(static_cast<double>(Index())); break;
                case kSdrR: m.numbers.push_back(Finite(Real())); break;
                case kSdrVDC: m.numbers.push_back(Vdc()); break;
                case kSdrCCO: m.numbers.push_back(static_cast<double>(Unsigned(m_enc.colourBits))); break;
                case kSdrUI8: m.numbers.push_back(static_cast<double>(Unsigned(8))); break;
                case kSdrUI16: m.numbers.push_back(static_cast<double>(Unsigned(16))); break;
                case kSdrUI32: m.numbers.push_back(static_cast<double>(Unsigned(32))); break;
                default: // bit streams, colour lists, reserved: the rest cannot be read
                    sdr.push_back(std::move(m));
                    return;
                }
            }
            sdr.push_back(std::move(m));
        }
    }

private:
    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
    const CEncoding& m_enc;
    const CState& m_state;

};

// Element headers: class, id and the parameter length, long form with partitions.
class CBinaryReader
{
public:
    explicit CBinaryReader(CInterpreter& interpreter) : m_ip(interpreter) {}

    void Run(const std::uint8_t* data, std::size_t size, int depth)
    {
        std::size_t pos = 0;
        std::vector<std::uint8_t> joined;
        while (pos < size && !m_ip.ended) {
            if (size - pos < 2)
                Fail("the file ends inside an element header");
            const unsigned header = (unsigned(data[pos]) << 8) | data[pos + 1];
            pos += 2;
            const int cls = static_cast<int>(header >> 12);
            const int id = static_cast<int>((header >> 5) & 0x7f);
            std::size_t length = header & 0x1f;
            const std::uint8_t* params = data + pos;
            if (length < 31) {
                if (size - pos < length)
                    Fail("the file ends inside an element");
                pos += length + (length & 1);
            } else {
                // Long form: one or more partitions, each with its own length word.
                joined.clear();
                bool more = true;
                bool first = true;
                while (more) {
                    if (size - pos < 2)
                        Fail("the file ends inside an element header");
                    const unsigned word = (unsigned(data[pos]) << 8) | data[pos + 1];
                    pos += 2;
                    more = (word & 0x8000) != 0;
                    const std::size_t part = word & 0x7fff;
                    if (size - pos < part)
                        Fail("the file ends inside an element");
                    if (first && !more) {
                        params = data + pos; // the common case: no copy
                        length = part;
                    } else {
                        if (joined.size() + part > size)
                            Fail("an element is longer than the file");
                        joined.insert(joined.end(), data + pos, data + pos + part);
                        params = joined.data();
                        length = joined.size();
                    }
                    first = false;
                    pos += part + (part & 1);
                    if (pos > size)
                        pos = size;
                }
            }
            if (pos > size)
                pos = size; // the pad byte of the last element may be missing
            if (cls == 0 && id == 0)
                continue; // no-op
            if (cls == 1 && id == 12 && depth == 0) {
                // METAFILE DEFAULTS REPLACEMENT: the elements it holds set the defaults.
                const std::vector<std::uint8_t> inner(params, params + length);
                m_ip.inDefaults = true;
                Run(inner.data(), inner.size(), depth + 1);
                m_ip.inDefaults = false;
                continue;
            }
            CBinaryParams p(params, length, m_ip.encoding, m_ip.Current());
            m_ip.Element(cls, id, p);
        }
    }

private:
    CInterpreter& m_ip;
};

// ---------------------------------------------------------------------------------------
// Clear-text encoding.

struct CToken
{
    enum class Kind : std::uint8_t { Number, String, Word };
    Kind kind = Kind::Number;
    double number = 0;
    std::string text;
};

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' ||
           c == ',' || c == '(' || c == ')';
}

bool IsWordChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$';
}

// Splits text into tokens; stops at the element terminator (';' or '/') when one is met.
class CLexer
{
public:
    CLexer(const char* p, const char* end) : m_p(p), m_end(end) {}

    bool AtEnd()
    {
        SkipBlanks();
        return m_p >= m_end;
    }

    // True at an element's terminator (';' or '/') or at the end of the text.
    bool AtElementEnd()
    {
        SkipBlanks();
        return m_p >= m_end || *m_p == ';' || *m_p == '/';
    }

    // Skips what is left of the element and its terminator.
    void FinishElement(CToken& scratch)
    {
        while (!AtElementEnd())
            Next(scratch);
        if (m_p < m_end)
            ++m_p;
    }

    void Next(CToken& t)
    {
        const unsigned char c = static_cast<unsigned char>(*m_p);
        if (c == '"' || c == '\'') {
            t.kind = CToken::Kind::String;
            t.text.clear();
            ++m_p;
            for (;;) {
                if (m_p >= m_end)
                    Fail("a string is not closed");
                if (*m_p == static_cast<char>(c)) {
                    if (m_p + 1 < m_end && m_p[1] == static_cast<char>(c)) {
                        t.text.push_back(static_cast<char>(c));
                        m_p += 2;
                        continue;
                    }
                    ++m_p;
                    break;
                }
                t.text.push_back(*m_p++);
            }
            return;
        }
        if (std::isdigit(c) || c == '-' || c == '+' || c == '.') {
            t.kind = CToken::Kind::Number;
            t.number = Number();
            return;
        }
        if (IsWordChar(c)) {
            t.kind = CToken::Kind::Word;
            t.text.clear();
            while (m_p < m_end && IsWordChar(static_cast<unsigned char>(*m_p)))
                t.text.push_back(*m_p++);
            return;
        }
        Fail(std::string("unexpected character '") + static_cast<char>(c) + "'");
    }

private:
    void SkipBlanks()
    {
        while (m_p < m_end) {
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (IsBlank(c)) {
                ++m_p;
            } else if (c == '%') { // comment up to the next '%'
                const void* close = std::memchr(m_p + 1, '%', static_cast<std::size_t>(m_end - m_p - 1));
                if (!close)
                    Fail("a comment is not closed");
                m_p = static_cast<const char*>(close) + 1;
            } else {
                break;
            }
        }
    }

    double Number()
    {
        char buffer[64];
        std::size_t n = 0;
        while (m_p < m_end) {
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (!(std::isalnum(c) || c == '.' || c == '+' || c == '-' || c == '#'))
                break;
            // A sign only starts the number or follows an exponent.
            if ((c == '+' || c == '-') && n > 0 && buffer[n - 1] != 'e' && buffer[n - 1] != 'E')
                break;
            if (n + 1 >= sizeof buffer)
                Fail("a number is too long");
            buffer[n++] = static_cast<char>(c);
            ++m_p;
        }
        buffer[n] = 0;
        if (const char* hash = std::strchr(buffer, '#')) { // based integer: 16#FF
            char* stop = nullptr;
            const long base = std::strtol(buffer, &stop, 10);
            if (stop != hash || base < 2 || base > 16)
                Fail("a bad number");
            const char* digits = hash + 1;
            bool negative = false;
            if (*digits == '-' || *digits == '+')
                negative = *digits++ == '-';
            const unsigned long long v = std::strtoull(digits, &stop, static_cast<int>(base));
            if (*stop || stop == digits)
                Fail("a bad number");
            const double d = static_cast<double>(v);
            return negative ? -d : d;
        }
        char* stop = nullptr;
        const double v = std::strtod(buffer, &stop);
        if (stop == buffer || *stop)
            Fail(std::string("a bad number \"") + buffer + "\"");
        return Finite(v);
    }

    const char* m_p;
    const char* m_end;
};

class CTextParams : public CParams
{
public:
    // Reads the parameters straight from the lexer, up to the element's terminator.
    explicit CTextParams(CLexer& lexer) : m_lexer(lexer) {}

    bool AtEnd() override { return m_lexer.AtElementEnd(); }
    long long Int() override { return Whole(NumberToken()); }
    long long Index() override { return Int(); }
    int Enum(std::initializer_list<const char*> names) override
    {
        const CToken& t = Take();
        if (t.kind == CToken::Kind::Number)
            return static_cast<int>(Whole(t.number));
        if (t.kind != CToken::Kind::Word)
            Fail("a keyword was expected");
        const std::string key = NormaliseKeyword(t.text);
        int i = 0;
        for (const char* name : names) {
            if (key == NormaliseKeyword(name))
                return i;
            ++i;
        }
        Fail("unknown keyword " + t.text);
    }
    double Real() override { return NumberToken(); }
    double Vdc() override { return NumberToken(); }
    std::uint32_t ColourIndex() override
    {
        return static_cast<std::uint32_t>(std::clamp(Int(), 0LL, 0xffffffffLL));
    }
    void DirectColour(double rgb[3]) override
    {
        for (int i = 0; i < 3; ++i)
            rgb[i] = NumberToken();
    }
    std::string String() override
    {
        const CToken& t = Take();
        if (t.kind != CToken::Kind::String)
            Fail("a string was expected");
        return t.text;
    }
    double ScaleFactor() override { return AtEnd() ? 1.0 : NumberToken(); }
    void Sdr(CSdr& sdr) override
    {
        const std::string text = String();
        CLexer lexer(text.data(), text.data() + text.size());
        CTextParams inner(lexer);
        while (!inner.AtEnd() && sdr.size() < 4096) {
            CSdrMember m;
            m.type = static_cast<int>(inner.Int());
            const long long count = inner.Int();
            if (count < 0 || static_cast<std::size_t>(count) > text.size())
                Fail("a structured data record is damaged");
            const long long values = m.type == kSdrCD ? count * 3 : count;
            for (long long i = 0; i < values; ++i) {
                if (IsStringType(m.type))
                    m.strings.push_back(inner.String());
                else
                    m.numbers.push_back(inner.NumberToken());
            }
            sdr.push_back(std::move(m));
        }
    }
    bool IntegerPrecision(int&) override { return false; }
    bool RealPrecision(bool&, int&) override { return false; }
    bool ColourPrecision(int& bits, double& maxValue) override
    {
        maxValue = NumberToken();
        if (!(maxValue > 0))
            Fail("a bad colour precision");
        bits = 32;
        return true;
    }

private:
    const CToken& Take()
    {
        if (m_lexer.AtElementEnd())
            Fail("an element has too few parameters");
        m_lexer.Next(m_token);
        return m_token;
    }
    double NumberToken()
    {
        const CToken& t = Take();
        if (t.kind != CToken::Kind::Number)
            Fail("a number was expected");
        return t.number;
    }
    static long long Whole(double v)
    {
        if (!(std::fabs(v) < 9.0e15))
            Fail("a number is out of range");
        return std::llround(v);
    }

    CLexer& m_lexer;
    CToken m_token;
};

struct CKeyword
{
    const char* name;
    int cls, id;
};

const CKeyword kKeywords[] = {
    {"BEGMF", 0, 1}, {"ENDMF", 0, 2}, {"BEGPIC", 0, 3}, {"BEGPICBODY", 0, 4}, {"ENDPIC", 0, 5},
    {"BEGSEG", 0, 6}, {"ENDSEG", 0, 7}, {"BEGFIGURE", 0, 8}, {"ENDFIGURE", 0, 9},
    {"BEGPROTREGION", 0, 13}, {"ENDPROTREGION", 0, 14}, {"BEGCOMPOLINE", 0, 15},
    {"ENDCOMPOLINE", 0, 16}, {"BEGCOMPOTEXTPATH", 0, 17}, {"ENDCOMPOTEXTPATH", 0, 18},
    {"BEGTILEARRAY", 0, 19}, {"ENDTILEARRAY", 0, 20}, {"BEGAPS", 0, 21}, {"BEGAPSBODY", 0, 22},
    {"ENDAPS", 0, 23},
    {"MFVERSION", 1, 1}, {"MFDESC", 1, 2}, {"VDCTYPE", 1, 3}, {"INTEGERPREC", 1, 4},
    {"REALPREC", 1, 5}, {"INDEXPREC", 1, 6}, {"COLRPREC", 1, 7}, {"COLRINDEXPREC", 1, 8},
    {"MAXCOLRINDEX", 1, 9}, {"COLRVALUEEXT", 1, 10}, {"MFELEMLIST", 1, 11},
    {"BEGMFDEFAULTS", 1, 12}, {"ENDMFDEFAULTS", 1, 100}, {"FONTLIST", 1, 13},
    {"CHARSETLIST", 1, 14}, {"CHARCODING", 1, 15}, {"NAMEPREC", 1, 16},
    {"SCALEMODE", 2, 1}, {"COLRMODE", 2, 2}, {"LINEWIDTHMODE", 2, 3}, {"MARKERSIZEMODE", 2, 4},
    {"EDGEWIDTHMODE", 2, 5}, {"VDCEXT", 2, 6}, {"BACKCOLR", 2, 7},
    {"VDCINTEGERPREC", 3, 1}, {"VDCREALPREC", 3, 2},
    {"LINE", 4, 1}, {"DISJTLINE", 4, 2}, {"MARKER", 4, 3}, {"TEXT", 4, 4}, {"RESTRTEXT", 4, 5},
    {"APNDTEXT", 4, 6}, {"POLYGON", 4, 7}, {"POLYGONSET", 4, 8}, {"RECT", 4, 11},
    {"CIRCLE", 4, 12}, {"ARC3PT", 4, 13}, {"ARC3PTCLOSE", 4, 14}, {"ARCCTR", 4, 15},
    {"ARCCTRCLOSE", 4, 16}, {"ELLIPSE", 4, 17}, {"ELLIPARC", 4, 18}, {"ELLIPARCCLOSE", 4, 19},
    {"ARCCTRREV", 4, 20}, {"POLYBEZIER", 4, 26},
    {"LINETYPE", 5, 2}, {"LINEWIDTH", 5, 3}, {"LINECOLR", 5, 4}, {"MARKERTYPE", 5, 6},
    {"MARKERSIZE", 5, 7}, {"MARKERCOLR", 5, 8}, {"TEXTFONTINDEX", 5, 10}, {"TEXTPREC", 5, 11},
    {"CHAREXPAN", 5, 12}, {"CHARSPACE", 5, 13}, {"TEXTCOLR", 5, 14}, {"CHARHEIGHT", 5, 15},
    {"CHARORI", 5, 16}, {"TEXTPATH", 5, 17}, {"TEXTALIGN", 5, 18}, {"INTSTYLE", 5, 22},
    {"FILLCOLR", 5, 23}, {"HATCHINDEX", 5, 24}, {"EDGETYPE", 5, 27}, {"EDGEWIDTH", 5, 28},
    {"EDGECOLR", 5, 29}, {"EDGEVIS", 5, 30}, {"COLRTABLE", 5, 34}, {"LINECAP", 5, 37},
    {"LINEJOIN", 5, 38}, {"RESTRTEXTTYPE", 5, 42}, {"EDGECAP", 5, 44}, {"EDGEJOIN", 5, 45},
    {"APSATTR", 9, 1},
};

const std::unordered_map<std::string, int>& KeywordTable()
{
    static const std::unordered_map<std::string, int> table = [] {
        std::unordered_map<std::string, int> t;
        for (const CKeyword& k : kKeywords)
            t.emplace(k.name, k.cls * 256 + k.id);
        return t;
    }();
    return table;
}

void RunClearText(CInterpreter& ip, const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    CLexer lexer(text, text + size);
    CToken keyword;
    const auto& table = KeywordTable();
    while (!ip.ended && !lexer.AtEnd()) {
        if (lexer.AtElementEnd()) { // an empty element
            lexer.FinishElement(keyword);
            continue;
        }
        lexer.Next(keyword);
        if (keyword.kind != CToken::Kind::Word)
            Fail("an element does not start with a keyword");
        const auto it = table.find(NormaliseKeyword(keyword.text));
        if (it != table.end()) {
            CTextParams p(lexer);
            ip.Element(it->second / 256, it->second % 256, p);
        } else if (!ip.begun) {
            Fail("the file does not start with BEGMF");
        }
        lexer.FinishElement(keyword); // parameters the element did not use, and ';'
    }
}

} // namespace

bool LooksLikeClearText(const std::uint8_t* data, std::size_t size)
{
    std::size_t i = 0;
    for (;;) {
        while (i < size && IsBlank(data[i]))
            ++i;
        if (i < size && data[i] == '%') {
            const void* close = std::memchr(data + i + 1, '%', size - i - 1);
            if (!close)
                return false;
            i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(close) - data) + 1;
            continue;
        }
        break;
    }
    std::string word;
    while (i < size && word.size() < 16 && IsWordChar(data[i]))
        word.push_back(static_cast<char>(data[i++]));
    return NormaliseKeyword(word) == "BEGMF";
}

bool ParseCgm(const std::uint8_t* data, std::size_t size, CMetafile& out, std::string& error,
              const CParseOptions& options)
{
    out = CMetafile();
    error.clear();
    if (!data || size == 0) {
        error = "the file is empty";
        return false;
    }
    CInterpreter ip(out, options);
    try {
        if (LooksLikeClearText(data, size)) {
            out.clearText = true;
            RunClearText(ip, data, size);
        } else {
            CBinaryReader reader(ip);
            reader.Run(data, size, 0);
        }
        if (!ip.begun)
            Fail("no BEGIN METAFILE");
        if (!ip.ended)
            Fail("the file ends without END METAFILE");
    } catch (const CParseError& e) {
        error = e.what;
        return false;
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
    return true;
}

} // namespace cgm
