#include "RenderCommand.h"

#include "PagePainter.h"

#include <QGuiApplication>
#include <QString>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitIo = 74;

// A GUI application object for the fonts, off screen when there is no display; nullptr when
// the process already has one. Destroyed by the caller after everything that draws.
std::unique_ptr<QGuiApplication> MakeGuiApplication()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "modelcheck";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool HasSuffix(const std::string& path, const char* suffix)
{
    return QString::fromStdString(path).endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

} // namespace

int RunRenderCommand(const std::vector<std::string>& positional, std::FILE*, std::FILE* err)
{
    if (positional.size() != 3)
        return -1;
    const std::string& modelPath = positional[0];
    const std::string& pageName = positional[1];
    const std::string& outPath = positional[2];
    if (!HasSuffix(outPath, ".png") && !HasSuffix(outPath, ".pdf")) {
        std::fprintf(err, "modelcheck: '%s': unknown file type (use .png or .pdf)\n",
                     outPath.c_str());
        return kExitUsage;
    }

    CToolModel model(err);
    if (!model.doc.OnOpenDocument(modelPath))
        return 1;
    const int pageIndex = FindModelPage(model.doc, pageName);
    if (pageIndex < 0) {
        std::fprintf(err, "modelcheck: no page '%s' in the model (it has %d)\n", pageName.c_str(),
                     model.doc.PageCount());
        return 1;
    }

    const std::unique_ptr<QGuiApplication> app = MakeGuiApplication();
    CColorTable colors;
    AddDefaultColors(colors);
    CPagePainter painter(colors);
    painter.SetFont(FontFromRecord(model.doc.Font()));
    CPage& page = *model.doc.PageAt(pageIndex);
    const QString out = QString::fromStdString(outPath);
    QString error;
    if (HasSuffix(outPath, ".pdf")) {
        // The page drawn straight into the PDF: vector lines and boxes, text as text.
        if (LayoutForExport(painter, page, &error).isEmpty()) {
            std::fprintf(err, "modelcheck: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        if (!WritePagePdf(painter, page, out, &error)) {
            std::fprintf(err, "modelcheck: %s\n", error.toLocal8Bit().constData());
            return kExitIo;
        }
        return 0;
    }
    const QImage image = RenderPageImage(painter, page, CPageViewState{}, &error);
    if (image.isNull()) {
        std::fprintf(err, "modelcheck: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    if (!SavePageImage(image, out, &error)) {
        std::fprintf(err, "modelcheck: %s\n", error.toLocal8Bit().constData());
        return kExitIo;
    }
    return 0;
}

CModelCheckExtension RenderExtension()
{
    return CModelCheckExtension{
        "render",
        "  modelcheck render MODEL.mdl PAGE OUT.png|OUT.pdf\n"
        "      draws the page (its name or its number from 1) as the browser shows it\n"
        "      after opening the model, into a PNG image or a PDF page (vector lines,\n"
        "      text as text)\n",
        &RunRenderCommand};
}
