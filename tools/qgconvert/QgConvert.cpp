#include "QgConvert.h"

#include "CgmFilter.h"
#include "qg1api32.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int kExitLoad = kQgConvertLoadFailed;
constexpr int kExitWrite = kQgConvertWriteFailed;
constexpr int kDefaultVectorWidth = 1024;
constexpr int kMaxSide = 32768;

struct Handles
{
    QG1Instance* instance = nullptr;
    QG1GrObj* object = nullptr;
    QG1Pict* picture = nullptr;
    ~Handles()
    {
        QG1_DestroyPict(picture);
        QG1_GrObjUnload(object);
        QG1_Exit(instance);
    }
};

// Points the import filter at a private copy of its options file in which the graphics
// library's client translates the given picture; the user's own options stay untouched.
// Restores the previous options file when it goes.
class PictureChoice
{
public:
    PictureChoice() = default;
    ~PictureChoice()
    {
        if (!m_active)
            return;
        if (m_previous.empty())
            unsetenv("MB_CGMFILTER_OPTIONS");
        else
            setenv("MB_CGMFILTER_OPTIONS", m_previous.c_str(), 1);
    }
    bool Choose(int picture)
    {
        if (!m_dir.isValid())
            return false;
        const std::string original = cgmfilter::OptionsFilePath();
        const QString copy = m_dir.filePath(QStringLiteral("options.ini"));
        QFile::copy(QString::fromStdString(original), copy);
        QFile(copy).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (const char* previous = std::getenv("MB_CGMFILTER_OPTIONS"))
            m_previous = previous;
        setenv("MB_CGMFILTER_OPTIONS", copy.toLocal8Bit().constData(), 1);
        m_active = true;
        cgmfilter::COptionBlock* block = cgmfilter::GetOptionBlock("", "DOZUVOZ");
        cgmfilter::COptions* options = cgmfilter::LockOptions(block);
        if (options)
            options->picture = picture;
        cgmfilter::UnlockOptions(block);
        const bool saved = options && cgmfilter::SaveOptionBlock(block) == cgmfilter::kOk;
        cgmfilter::FreeOptionBlock(block);
        return saved;
    }

private:
    QTemporaryDir m_dir;
    std::string m_previous;
    bool m_active = false;
};

std::string* g_errors = nullptr;

void CollectError(int code, const char* text, uintptr_t)
{
    if (g_errors)
        *g_errors += "qgconvert: error " + std::to_string(code) + ": " + text + "\n";
}

// Black where the rendered image is dark, packed as PBM rows.
QByteArray ToPbm(const QImage& rendered)
{
    const QImage gray = rendered.convertToFormat(QImage::Format_Grayscale8);
    QByteArray bytes = QByteArray("P4\n") + QByteArray::number(gray.width()) + ' ' +
                       QByteArray::number(gray.height()) + '\n';
    const int rowBytes = (gray.width() + 7) / 8;
    QByteArray row(rowBytes, '\0');
    for (int y = 0; y < gray.height(); ++y) {
        row.fill('\0');
        const uchar* line = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x) {
            if (line[x] < 128)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        }
        bytes += row;
    }
    return bytes;
}

// A raster picture's own rows as a one-bit PNG; the image only points at them.
bool WriteRasterPng(const std::string& path, const unsigned char* bits, int width, int height,
                    int stride)
{
    QImage image(bits, width, height, stride, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    return WriteWholeFile(path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

int RunQgConvert(const std::vector<std::string>& args, std::string& err)
{
    QgConvertOptions options;
    const int status = RunQgConvertRaster(args, err, options);
    return status == kQgConvertNeedsDrawing ? RunQgConvertDrawing(options, err) : status;
}

int RunQgConvertDrawing(const QgConvertOptions& options, std::string& err)
{
    const std::string& suffix = options.suffix;

    g_errors = &err;
    PictureChoice choice;
    if (options.picture != 0 && !choice.Choose(options.picture)) {
        err += "qgconvert: cannot set the picture number\n";
        return kExitLoad;
    }
    std::unique_ptr<QApplication> app; // outlives the handles
    Handles handles;
    handles.instance = QG1_Init("");
    if (!handles.instance) {
        err += "qgconvert: the graphics library cannot start (import options)\n";
        return kExitLoad;
    }
    QG1_SetErrorProc(handles.instance, CollectError, 0);
    int kind = 0;
    handles.object = QG1_GrObjLoad(handles.instance, options.input.c_str(), &kind);
    // Drawing needs the application object of a GUI program; a bilevel image written at its
    // own size does not, and the program starts faster without one.
    const bool draws = kind == QG1_KIND_VECTOR || options.width != 0 || suffix == "pdf";
    if (handles.object && draws && !QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "qgconvert";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
    }
    if (handles.object)
        handles.picture = QG1_CreatePict(handles.object);
    if (!handles.picture) {
        err += "qgconvert: cannot load '" + options.input + "'\n";
        return kExitLoad;
    }

    int x = 0, y = 0, w = 0, h = 0;
    if (QG1_GetPictExtent(handles.picture, &x, &y, &w, &h, 0) != QG1_OK || w <= 0 || h <= 0) {
        err += "qgconvert: the picture has no extent\n";
        return kExitLoad;
    }
    int outWidth =
        options.width ? options.width : (kind == QG1_KIND_RASTER ? w : kDefaultVectorWidth);
    const double height = std::round(static_cast<double>(outWidth) * h / w);
    const int outHeight = static_cast<int>(std::clamp(height, 1.0, static_cast<double>(kMaxSide)));

    const int flags = 4 << options.mode;
    const QG1Rect rect{0, 0, outWidth, outHeight};
    if (kind == QG1_KIND_RASTER && options.width == 0 && suffix != "pdf") {
        // At native size the image's own rows are written: one bit deep throughout.
        const unsigned char* bits = nullptr;
        int stride = 0;
        if (QG1_GetRasterImage(handles.picture, &bits, &w, &h, &stride) != QG1_OK)
            return kExitLoad;
        const bool written = suffix == "pbm" ? WritePbmFile(options.output, bits, w, h, stride)
                                             : WriteRasterPng(options.output, bits, w, h, stride);
        if (!written) {
            err += "qgconvert: cannot write '" + options.output + "'\n";
            return kExitWrite;
        }
        return 0;
    }

    if (suffix == "pdf") {
        QPdfWriter pdf(QString::fromStdString(options.output));
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(outWidth, outHeight), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            err += "qgconvert: cannot write '" + options.output + "'\n";
            return kExitWrite;
        }
        const int result = QG1_Render(handles.picture, &painter, &rect, flags);
        painter.end();
        return result == QG1_OK ? 0 : kExitLoad;
    }

    QImage image(outWidth, outHeight, QImage::Format_RGB32);
    if (image.isNull()) {
        err += "qgconvert: the output image is too large\n";
        return kExitLoad;
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        if (QG1_Render(handles.picture, &painter, &rect, flags) != QG1_OK)
            return kExitLoad;
    }
    QByteArray bytes;
    if (suffix == "pbm") {
        bytes = ToPbm(image);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    if (!WriteWholeFile(options.output, bytes.constData(),
                        static_cast<std::size_t>(bytes.size()))) {
        err += "qgconvert: cannot write '" + options.output + "'\n";
        return kExitWrite;
    }
    return 0;
}
