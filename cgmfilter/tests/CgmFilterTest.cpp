#include "CgmFilter.h"
#include "CgmOptionsDialog.h"
#include "CgmTestFiles.h"
#include "prompter/ScriptedPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPicture>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace {

using cgmtest::CTempDir;

// Points the options file at a temporary folder for one test.
class COptionsFile
{
public:
    COptionsFile() : m_path(m_dir / "options.ini") { ::setenv("MB_CGMFILTER_OPTIONS", m_path.c_str(), 1); }
    ~COptionsFile() { ::unsetenv("MB_CGMFILTER_OPTIONS"); }
    const std::string& Path() const { return m_path; }

private:
    CTempDir m_dir;
    std::string m_path;
};

struct CBlock
{
    cgmfilter::COptionBlock* block;
    explicit CBlock(const std::string& client, const std::string& key = std::string())
        : block(cgmfilter::GetOptionBlock(key, client))
    {
    }
    ~CBlock() { cgmfilter::FreeOptionBlock(block); }
    cgmfilter::COptions& Options() { return *cgmfilter::LockOptions(block); }
};

// Renders a translated picture into a square image, the logical extent filling it.
QImage Render(const std::string& picturePath, const cgmfilter::CTranslation& t, int size = 400)
{
    QPicture picture;
    EXPECT_TRUE(picture.load(QString::fromStdString(picturePath)));
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setWindow(QRect(QPoint(t.logical.left, t.logical.top),
                            QPoint(t.logical.right, t.logical.bottom)));
    painter.setViewport(0, 0, size, size);
    painter.drawPicture(0, 0, picture);
    return image;
}

int DarkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), image.height() - 1); ++y)
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1); ++x)
            if (qGray(image.pixel(x, y)) < 200)
                ++n;
    return n;
}

int DifferentPixels(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64)
                ++n;
    return n;
}

std::string EncodingEnv(bool clearText)
{
    return clearText ? "CGM_ENCODING=clear_text " : "";
}

// --- Plots written by plotutils -------------------------------------------------------------

class CgmPlotutils : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (!cgmtest::HavePlotutils())
            GTEST_SKIP() << "plotutils (graph, plot) is not installed";
    }
    CTempDir dir;
};

TEST_P(CgmPlotutils, LinePlotTranslatesWithExtentsAndVisibleContent)
{
    const std::string cgmPath = dir / "plot.cgm";
    ASSERT_TRUE(cgmtest::Run("echo '0 0 1 1 2 0' | " + EncodingEnv(GetParam()) +
                             "graph -T cgm > " + cgmPath));
    COptionsFile optionsFile;
    CBlock block("TEST");
    cgmfilter::CTranslation t;
    std::string error;
    const std::string out = dir / "plot.pic";
    ASSERT_EQ(cgmfilter::Translate(cgmPath, block.block, 0, out, t, error), cgmfilter::kOk) << error;
    EXPECT_EQ(t.pictureCount, 1);
    EXPECT_EQ(t.logical.left, -8191);
    EXPECT_EQ(t.logical.top, -8191);
    EXPECT_EQ(t.logical.right, 8191);
    EXPECT_EQ(t.logical.bottom, 8191);
    EXPECT_EQ(t.millimetres.right, 203); // 16382 VDC at 0.0124 mm
    EXPECT_EQ(t.millimetres.bottom, 203);

    const QImage image = Render(out, t);
    // The frame of the plot runs at +-4915 VDC: 80 and 320 pixels. The data peak at the
    // top centre of the frame; the picture's corners stay blank.
    EXPECT_GT(DarkPixels(image, QRect(190, 70, 20, 20)), 0);
    EXPECT_GT(DarkPixels(image, QRect(78, 150, 5, 100)), 20); // the left frame line
    EXPECT_GT(DarkPixels(image, QRect(150, 322, 100, 20)), 0); // tick labels below
    EXPECT_EQ(DarkPixels(image, QRect(0, 0, 60, 60)), 0);
    EXPECT_EQ(DarkPixels(image, QRect(340, 0, 60, 60)), 0);
}

TEST_P(CgmPlotutils, SeveralPicturesAndThePictureOption)
{
    const std::string cgmPath = dir / "two.cgm";
    ASSERT_TRUE(cgmtest::Run("(echo '0 0 1 1' | graph -T meta; echo '0 1 1 0 2 1' | graph -T meta -C -S 4) | " +
                             EncodingEnv(GetParam()) + "plot -T cgm > " + cgmPath));
    COptionsFile optionsFile;
    CBlock block("TEST");
    QImage images[3];
    for (int picture : {0, 1, 2}) {
        block.Options().picture = picture;
        cgmfilter::CTranslation t;
        std::string error;
        const std::string out = dir / ("p" + std::to_string(picture));
        ASSERT_EQ(cgmfilter::Translate(cgmPath, block.block, 0, out, t, error), cgmfilter::kOk)
            << error;
        EXPECT_EQ(t.pictureCount, 2);
        images[picture] = Render(out, t);
    }
    EXPECT_GT(DifferentPixels(images[0], images[1]), 100);  // another plot
    EXPECT_EQ(DifferentPixels(images[0], images[2]), 0);    // no third: the first again
}

TEST_P(CgmPlotutils, ShapesColoursAndMarkersDraw)
{
    const std::string pic = dir.Write("shapes.pic", ".PS\nbox \"Box\" fill 0.3\ncircle rad 0.4 fill\n"
                                                     "ellipse\narc cw\nspline right then up then right\n.PE\n");
    const std::string cgmPath = dir / "shapes.cgm";
    ASSERT_TRUE(cgmtest::Run(EncodingEnv(GetParam()) + "pic2plot -T cgm " + pic + " > " + cgmPath));
    COptionsFile optionsFile;
    CBlock block("TEST");
    for (bool simulate : {false, true}) {
        block.Options().simulateText = simulate;
        cgmfilter::CTranslation t;
        std::string error;
        const std::string out = dir / "shapes.out";
        ASSERT_EQ(cgmfilter::Translate(cgmPath, block.block, 1, out, t, error), cgmfilter::kOk)
            << error;
        const QImage image = Render(out, t);
        EXPECT_GT(DarkPixels(image, image.rect()), 500) << simulate; // the filled circle
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, CgmPlotutils, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ClearText" : "Binary"; });

TEST(CgmPlotutilsEncodings, BinaryAndClearTextDrawTheSame)
{
    if (!cgmtest::HavePlotutils())
        GTEST_SKIP() << "plotutils is not installed";
    CTempDir dir;
    COptionsFile optionsFile;
    CBlock block("TEST");
    QImage images[2];
    for (bool clear : {false, true}) {
        const std::string cgmPath = dir / (clear ? "c.cgm" : "b.cgm");
        ASSERT_TRUE(cgmtest::Run("echo '0 0 1 3 2 1 3 2' | " + EncodingEnv(clear) +
                                 "graph -T cgm -C -m 2 -S 3 > " + cgmPath));
        cgmfilter::CTranslation t;
        std::string error;
        ASSERT_EQ(cgmfilter::Translate(cgmPath, block.block, 3, dir / "out", t, error),
                  cgmfilter::kOk)
            << error;
        images[clear] = Render(dir / "out", t);
    }
    EXPECT_LT(DifferentPixels(images[0], images[1]), 40);
}

// --- Scaling modes and hot spots -------------------------------------------------------------

const char kHotSpotFile[] =
    "BEGMF 'hot spots';\n"
    "MFVERSION 4; VDCTYPE real;\n"
    "BEGPIC 'first'; SCALEMODE metric 0.5; VDCEXT (0.0, 0.0) (100.0, 50.0); BEGPICBODY;\n"
    "BEGAPS 'pump1' 'grobject' STLIST;\n"
    "  APSATTR 'name' \"14 1 'Pump 1'\";\n"
    "  APSATTR 'linkuri' \"14 3 'doc.html#pump1' 'Pump' '_replace'\";\n"
    "  APSATTR 'region' \"5 1 3 16 8 10 10 30 10 30 20 10 20\";\n"
    "  BEGAPSBODY; LINE (10, 10) (30, 20);\n"
    "ENDAPS;\n"
    "BEGAPS 'valve' 'grobject' STLIST;\n"
    "  APSATTR 'region' \"5 1 1 16 4 40 5 60 25\"; APSATTR 'region' \"5 1 3 16 6 0 0 5 0 0 5\";\n"
    "ENDAPS;\n"
    "BEGAPS 'notes' 'layer' STLIST; APSATTR 'name' \"14 1 'ignored'\"; ENDAPS;\n"
    "ENDPIC; ENDMF;\n";

TEST(CgmTranslate, HotSpotsFromApplicationStructures)
{
    CTempDir dir;
    COptionsFile optionsFile;
    CBlock block("TEST");
    const std::string path = dir.Write("hot.cgm", kHotSpotFile);
    cgmfilter::CTranslation t;
    std::string error;
    ASSERT_EQ(cgmfilter::Translate(path, block.block, 0, dir / "out", t, error), cgmfilter::kOk)
        << error;
    ASSERT_EQ(t.hotSpots.size(), 2u);
    EXPECT_EQ(t.hotSpots[0].id, "pump1");
    EXPECT_EQ(t.hotSpots[0].name, "Pump 1");
    EXPECT_EQ(t.hotSpots[0].linkUri, "doc.html#pump1");
    ASSERT_EQ(t.hotSpots[0].regions.size(), 1u);
    ASSERT_EQ(t.hotSpots[0].regions[0].size(), 4u);
    // Picture coordinates of mode 0: y turned downwards within the extent.
    EXPECT_DOUBLE_EQ(t.hotSpots[0].regions[0][0].first, 10);
    EXPECT_DOUBLE_EQ(t.hotSpots[0].regions[0][0].second, 40);
    EXPECT_EQ(t.hotSpots[1].id, "valve");
    EXPECT_TRUE(t.hotSpots[1].name.empty());
    ASSERT_EQ(t.hotSpots[1].regions.size(), 2u);
    EXPECT_EQ(t.hotSpots[1].regions[0].size(), 4u); // the rectangle's corners
    EXPECT_DOUBLE_EQ(t.hotSpots[1].regions[0][2].first, 60);
    EXPECT_DOUBLE_EQ(t.hotSpots[1].regions[0][2].second, 25);
}

struct CScalingCase
{
    int mode;
    cgmfilter::CPictureExtent logical;
    std::pair<double, double> firstRegionPoint; // VDC (10, 10)
};

class CgmScaling : public ::testing::TestWithParam<CScalingCase>
{
};

TEST_P(CgmScaling, ExtentsAndHotSpotsFollowTheMode)
{
    const CScalingCase& c = GetParam();
    CTempDir dir;
    COptionsFile optionsFile;
    CBlock block("TEST");
    const std::string path = dir.Write("hot.cgm", kHotSpotFile);
    cgmfilter::CTranslation t;
    std::string error;
    ASSERT_EQ(cgmfilter::Translate(path, block.block, c.mode, dir / "out", t, error),
              cgmfilter::kOk)
        << error;
    EXPECT_EQ(t.logical.left, c.logical.left);
    EXPECT_EQ(t.logical.top, c.logical.top);
    EXPECT_EQ(t.logical.right, c.logical.right);
    EXPECT_EQ(t.logical.bottom, c.logical.bottom);
    EXPECT_EQ(t.millimetres.right, 50); // 100 VDC at 0.5 mm
    EXPECT_EQ(t.millimetres.bottom, 25);
    ASSERT_FALSE(t.hotSpots.empty());
    EXPECT_NEAR(t.hotSpots[0].regions[0][0].first, c.firstRegionPoint.first, 1e-6);
    EXPECT_NEAR(t.hotSpots[0].regions[0][0].second, c.firstRegionPoint.second, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CgmScaling,
    ::testing::Values(CScalingCase{0, {0, 0, 100, 50}, {10, 40}},
                      // isotropic: 100 VDC per 10000, centred vertically (25 VDC above)
                      CScalingCase{1, {0, 0, 10000, 10000}, {1000, 6500}},
                      // hundredths of a millimetre: 0.5 mm per VDC
                      CScalingCase{2, {0, 0, 5000, 2500}, {500, 2000}},
                      CScalingCase{3, {0, 0, 10000, 10000}, {1000, 8000}},
                      CScalingCase{17, {0, 0, 100, 50}, {10, 40}}));

TEST(CgmTranslate, YAxisOfTheExtentDecidesTheOrientation)
{
    // The first extent corner is the lower left: a reversed y extent keeps VDC y downwards.
    CTempDir dir;
    COptionsFile optionsFile;
    CBlock block("TEST");
    const std::string path = dir.Write(
        "flip.cgm", "BEGMF ''; BEGPIC ''; VDCEXT 0 100 100 0; BEGPICBODY; COLRMODE direct;"
                    "INTSTYLE solid; FILLCOLR 0 0 0; RECT (0,0) (50,20); ENDPIC; ENDMF;");
    cgmfilter::CTranslation t;
    std::string error;
    ASSERT_EQ(cgmfilter::Translate(path, block.block, 0, dir / "out", t, error), cgmfilter::kOk)
        << error;
    const QImage image = Render(dir / "out", t, 100);
    EXPECT_GT(DarkPixels(image, QRect(5, 2, 40, 15)), 400); // top left quarter is filled
    EXPECT_EQ(DarkPixels(image, QRect(5, 60, 40, 35)), 0);
}

// --- Failures ---------------------------------------------------------------------------------

TEST(CgmTranslate, BadFilesGiveTheTranslationError)
{
    CTempDir dir;
    COptionsFile optionsFile;
    CBlock block("TEST");
    const std::string truncated = std::string(kHotSpotFile).substr(0, 200);
    const std::pair<const char*, std::string> cases[] = {
        {"missing", dir / "missing.cgm"},
        {"garbage", dir.Write("garbage.cgm", "\x01\x02\x03 random bytes")},
        {"truncated", dir.Write("truncated.cgm", truncated)},
        {"empty", dir.Write("empty.cgm", "")},
        {"no picture", dir.Write("nopic.cgm", "BEGMF 'x'; ENDMF;")},
        {"empty extent", dir.Write("flat.cgm", "BEGMF ''; BEGPIC ''; VDCEXT 0 0 0 10; BEGPICBODY; ENDPIC; ENDMF;")},
    };
    for (const auto& [name, path] : cases) {
        cgmfilter::CTranslation t;
        std::string error;
        EXPECT_EQ(cgmfilter::Translate(path, block.block, 0, dir / "out", t, error),
                  cgmfilter::kTranslationError)
            << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    cgmfilter::CTranslation t;
    std::string error;
    const std::string good = dir.Write("good.cgm", kHotSpotFile);
    EXPECT_EQ(cgmfilter::Translate(good, nullptr, 0, dir / "out", t, error), cgmfilter::kOptionsError);
    EXPECT_EQ(cgmfilter::Translate(good, block.block, 0, dir / "no/such/folder/out", t, error),
              cgmfilter::kTranslationError);
}

TEST(CgmTranslate, ExtremeAndDegenerateValuesTranslateOrFailCleanly)
{
    CTempDir dir;
    COptionsFile optionsFile;
    CBlock block("TEST");
    const char* bodies[] = {
        // huge numbers everywhere
        "VDCTYPE real; BEGPIC ''; LINEWIDTHMODE abs; VDCEXT -1E300 -1E300 1E300 1E300; BEGPICBODY;"
        "CHARHEIGHT 1E299; TEXT (0,0) final 'x'; LINEWIDTH 1E300; LINE 0 0 1E300 1E300;"
        "CIRCLE 0 0 1E300; MARKERSIZE 1E300; MARKER 1 1;",
        // a tiny extent
        "VDCTYPE real; BEGPIC ''; VDCEXT 0 0 1E-300 1E-300; BEGPICBODY; TEXT (0,0) final 'tiny';"
        "RECT (0,0) (1E-300,1E-300);",
        // degenerate shapes
        "BEGPIC ''; BEGPICBODY; ELLIPSE (5,5) (6,6) (7,7); ARC3PT (0,0) (1,1) (2,2);"
        "ELLIPARC (0,0) (1,1) (2,2) 1 0 0 1; CIRCLE (1,1) 0; POLYGON; POLYGONSET (1,1) vis;"
        "CHARORI 0 0 0 0; TEXT (1,1) final 'flat'; DISJTLINE (0,0) (1,1) (2,2);",
        // attributes out of range
        "BEGPIC ''; BEGPICBODY; LINETYPE -99; HATCHINDEX 1000; INTSTYLE hatch; TEXTFONTINDEX 77;"
        "MARKERTYPE 0; MARKER (1,1); TEXTALIGN 9 9 0 0; COLRTABLE 70000 1 2 3; LINECOLR 99999;"
        "POLYGON (0,0) (9,0) (9,9); TEXT (2,2) final 'x';",
    };
    for (const char* body : bodies) {
        const std::string path = dir.Write("odd.cgm", std::string("BEGMF 'odd'; ") + body + " ENDPIC; ENDMF;");
        for (int mode = 0; mode <= 3; ++mode) {
            cgmfilter::CTranslation t;
            std::string error;
            const int rc = cgmfilter::Translate(path, block.block, mode, dir / "out", t, error);
            EXPECT_TRUE(rc == cgmfilter::kOk || rc == cgmfilter::kTranslationError) << body;
            if (rc == cgmfilter::kOk)
                Render(dir / "out", t, 64);
        }
    }
}

// --- Options ------------------------------------------------------------------------------------

TEST(CgmOptions, DefaultsRoundTripAndSectionsPerClient)
{
    COptionsFile optionsFile;
    {
        CBlock block("DOZUVOZ");
        ASSERT_NE(block.block, nullptr);
        const cgmfilter::COptions& o = block.Options();
        EXPECT_FALSE(o.simulateText);
        EXPECT_TRUE(o.saveOptions);
        EXPECT_TRUE(o.mapColors);
        EXPECT_EQ(o.picture, 0);
        EXPECT_EQ(o.fontMapPath, "");
        cgmfilter::COptions& w = block.Options();
        w.simulateText = true;
        w.saveOptions = false;
        w.mapColors = false;
        w.picture = 3;
        w.fontMapPath = "/usr/share/fonts.map";
        cgmfilter::UnlockOptions(block.block);
        EXPECT_EQ(cgmfilter::SaveOptionBlock(block.block), cgmfilter::kOk);
    }
    const std::string text = cgmtest::ReadAll(optionsFile.Path());
    for (const char* line : {"SimulateText=True", "SaveOptions=Off", "MapColors=False", "Picture=3",
                             "FontMapPath=/usr/share/fonts.map"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;

    CBlock again("dozuvoz"); // sections match ignoring case
    EXPECT_TRUE(again.Options().simulateText);
    EXPECT_FALSE(again.Options().saveOptions);
    EXPECT_FALSE(again.Options().mapColors);
    EXPECT_EQ(again.Options().picture, 3);
    EXPECT_EQ(again.Options().fontMapPath, "/usr/share/fonts.map");

    CBlock other("OTHER");
    EXPECT_FALSE(other.Options().simulateText);
    CBlock otherKey("DOZUVOZ", "Software\\Elsewhere");
    EXPECT_EQ(otherKey.Options().picture, 0);
    EXPECT_EQ(cgmfilter::LockOptions(nullptr), nullptr);
    EXPECT_EQ(cgmfilter::SaveOptionBlock(nullptr), cgmfilter::kOptionsError);
}

TEST(CgmOptions, ValuesReadIgnoringCaseAndOddValuesGiveDefaults)
{
    COptionsFile optionsFile;
    CTempDir dir;
    std::ofstream(optionsFile.Path())
        << "[Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\CGM\\C1]\nSimulateText=TRUE\nSaveOptions=off\n"
           "MapColors=maybe\nPicture=x\n";
    CBlock block("C1");
    EXPECT_TRUE(block.Options().simulateText);
    EXPECT_FALSE(block.Options().saveOptions);
    EXPECT_TRUE(block.Options().mapColors);
    EXPECT_EQ(block.Options().picture, 0);
}

TEST(CgmOptions, AClientNameTheFileCannotHoldFailsToSave)
{
    COptionsFile optionsFile;
    CBlock block("bad]name");
    ASSERT_NE(block.block, nullptr);
    EXPECT_EQ(cgmfilter::SaveOptionBlock(block.block), cgmfilter::kOptionsError);
}

// Runs action on the options dialog once it is shown modally.
void WhenDialogShows(std::function<void(cgmfilter::COptionsDialog&)> action)
{
    QTimer::singleShot(0, [action]() {
        auto* dialog = qobject_cast<cgmfilter::COptionsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(*dialog);
    });
}

TEST(CgmOptionsDialog, AcceptStoresAndSavesCancelKeeps)
{
    COptionsFile optionsFile;
    CBlock block("DIALOG");
    cgmfilter::SetFilterPrompter(nullptr);
    WhenDialogShows([](cgmfilter::COptionsDialog& d) {
        EXPECT_EQ(d.findChild<QPushButton*>("browse"), nullptr); // no prompter, no browsing
        d.findChild<QCheckBox*>("simulateText")->setChecked(true);
        d.findChild<QCheckBox*>("mapColors")->setChecked(false);
        d.findChild<QSpinBox*>("picture")->setValue(2);
        d.findChild<QLineEdit*>("fontMapPath")->setText("/tmp/fonts.map");
        d.accept();
    });
    EXPECT_EQ(cgmfilter::ShowOptionsDialog(block.block, nullptr), 1);
    EXPECT_TRUE(block.Options().simulateText);
    EXPECT_FALSE(block.Options().mapColors);
    EXPECT_EQ(block.Options().picture, 2);
    EXPECT_EQ(block.Options().fontMapPath, "/tmp/fonts.map");
    CBlock saved("DIALOG"); // "save options" was on
    EXPECT_EQ(saved.Options().picture, 2);

    WhenDialogShows([](cgmfilter::COptionsDialog& d) {
        d.findChild<QSpinBox*>("picture")->setValue(7);
        d.reject();
    });
    EXPECT_EQ(cgmfilter::ShowOptionsDialog(block.block, nullptr), 0);
    EXPECT_EQ(block.Options().picture, 2);

    // With "save options" off the block changes but the file does not.
    WhenDialogShows([](cgmfilter::COptionsDialog& d) {
        d.findChild<QCheckBox*>("saveOptions")->setChecked(false);
        d.findChild<QSpinBox*>("picture")->setValue(5);
        d.accept();
    });
    EXPECT_EQ(cgmfilter::ShowOptionsDialog(block.block, nullptr), 1);
    EXPECT_EQ(block.Options().picture, 5);
    CBlock unchanged("DIALOG");
    EXPECT_EQ(unchanged.Options().picture, 2);
    EXPECT_EQ(cgmfilter::ShowOptionsDialog(nullptr, nullptr), 0);
}

TEST(CgmOptionsDialog, BrowseAsksThePrompter)
{
    COptionsFile optionsFile;
    CBlock block("BROWSE");
    platform::ScriptedPrompter prompter;
    prompter.PushFile(std::string("/data/chosen.map"));
    prompter.PushFile(std::nullopt);
    cgmfilter::SetFilterPrompter(&prompter);
    WhenDialogShows([](cgmfilter::COptionsDialog& d) {
        auto* browse = d.findChild<QPushButton*>("browse");
        ASSERT_NE(browse, nullptr);
        browse->click();
        EXPECT_EQ(d.findChild<QLineEdit*>("fontMapPath")->text(), "/data/chosen.map");
        browse->click(); // cancelled: the path stays
        EXPECT_EQ(d.findChild<QLineEdit*>("fontMapPath")->text(), "/data/chosen.map");
        d.accept();
    });
    EXPECT_EQ(cgmfilter::ShowOptionsDialog(block.block, nullptr), 1);
    cgmfilter::SetFilterPrompter(nullptr);
    EXPECT_EQ(block.Options().fontMapPath, "/data/chosen.map");
    ASSERT_EQ(prompter.Events().size(), 2u);
    EXPECT_TRUE(prompter.Events()[0].file.fileMustExist);
}

} // namespace
