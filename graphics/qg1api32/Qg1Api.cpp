// The exported functions of the graphics conversion library.

#include "ImageMemory.h"
#include "PictureDrawer.h"
#include "Qg1Objects.h"

#include <QApplication>
#include <QDir>
#include <QPaintEngine>
#include <QPainter>
#include <QTemporaryFile>
#include <QWidget>

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

namespace {

const char kClientName[] = "DOZUVOZ";

const char* KnownErrorText(int code)
{
    switch (code) {
    case QG1_OK:
        return "Success";
    case QG1_ERR_MEMORY:
        return "Not enough memory to complete this operation.";
    case QG1_ERR_OPEN:
        return "Cannot open specified file.";
    case QG1_ERR_FILE_TYPE:
        return "Unsupported file type.";
    case QG1_ERR_ARGUMENT:
        return "Bad argument (value out of range or invalid).";
    case QG1_ERR_TRANSLATION:
        return "An error occurred during the translation of the file.";
    case QG1_ERR_OPTIONS:
        return "Can not access import options.";
    case QG1_ERR_NOT_SUPPORTED:
        return "This request is not supported.";
    default:
        return nullptr;
    }
}

QRect Normalized(const QG1Rect& r)
{
    return QRect(QPoint(std::min(r.left, r.right), std::min(r.top, r.bottom)),
                 QPoint(std::max(r.left, r.right) - 1, std::max(r.top, r.bottom) - 1));
}

// Decodes the object's page straight into a one-bit Qt image (index 0 white, index 1 black):
// the decoder writes its rows into the image's memory. A null image when memory runs out.
qgtiff::TiffStatus DecodeImage(const qgtiff::CTiffFile& tiff,
                               const std::function<int(int)>& progress, QImage& image)
{
    const qgtiff::CTiffInfo& info = tiff.Info();
    // Zeroed memory straight from the system, so the white rows are never written twice; in
    // large pages where it has them, as a drawing of many megabytes otherwise costs a page
    // fault every four kilobytes. The image gives the memory back.
    const int width = static_cast<int>(info.width), height = static_cast<int>(info.height);
    const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    if (stride > static_cast<std::size_t>(INT_MAX))
        return qgtiff::TiffStatus::TooLarge;
    qgtiff::CImageMemory* memory =
        qgtiff::CImageMemory::Make(stride * static_cast<std::size_t>(height));
    if (!memory)
        return qgtiff::TiffStatus::TooLarge;
    image = QImage(static_cast<uchar*>(memory->bits), width, height, static_cast<qsizetype>(stride),
                   QImage::Format_Mono, &qgtiff::CImageMemory::Free, memory);
    if (image.isNull()) {
        qgtiff::CImageMemory::Free(memory);
        return qgtiff::TiffStatus::TooLarge;
    }
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.setDotsPerMeterX(static_cast<int>(info.XDpi() / 0.0254));
    image.setDotsPerMeterY(static_cast<int>(info.YDpi() / 0.0254));
    const qgtiff::CBilevelTarget target{image.bits(),
                                        static_cast<std::size_t>(image.bytesPerLine())};
    return tiff.DecodeInto(target, progress);
}

int Translate(QG1Pict& picture, int scalingMode)
{
    QG1Instance& instance = *picture.object->instance;
    picture.metafile.reset();
    if (!picture.metafilePath.empty())
        std::remove(picture.metafilePath.c_str());
    picture.metafilePath.clear();
    picture.offscreen = QImage();

    QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/qg1XXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open())
        return QG1_ERR_MEMORY;
    picture.metafilePath = temp.fileName().toStdString();
    temp.close();

    // The scaling mode goes to the filter with the request; its picture option keeps
    // choosing which picture of a file with several is translated.
    std::string error;
    cgmfilter::CTranslation translation;
    const int code =
        cgmfilter::Translate(picture.object->path, instance.optionBlock, std::max(scalingMode, 0),
                             picture.metafilePath, translation, error);
    if (code != cgmfilter::kOk) {
        if (!error.empty())
            qgtiff::CDiagnosticSink::Say(picture.object->path + ": " + error);
        return code;
    }
    auto metafile = std::make_unique<QPicture>();
    if (!metafile->load(QString::fromStdString(picture.metafilePath)))
        return QG1_ERR_TRANSLATION;
    picture.metafile = std::move(metafile);
    picture.translation = std::move(translation);
    picture.translatedMode = scalingMode;
    return QG1_OK;
}

// Draws a picture on a painter: the common part of viewing and printing.
int Draw(QG1Pict& picture, QPainter& painter, const QRect& target, const QRect& exposed, int flags,
         bool toWindow)
{
    const int mode = ScalingModeOf(flags);
    if (picture.IsRaster()) {
        CPictureDrawer::DrawRaster(painter, picture.image, target, mode, exposed,
                                   &picture.greyCache);
        return QG1_OK;
    }
    if (mode != picture.translatedMode) {
        const int code = Translate(picture, mode);
        if (code != QG1_OK)
            return code;
    }
    if (!toWindow || !(flags & QG1_DRAW_OFFSCREEN)) {
        CPictureDrawer::DrawVector(painter, *picture.metafile, picture.SourceRect(), target, mode);
        return QG1_OK;
    }
    if (picture.offscreen.size() != target.size() || picture.offscreenMode != mode) {
        QImage offscreen(target.size(), QImage::Format_ARGB32_Premultiplied);
        if (offscreen.isNull())
            return QG1_ERR_MEMORY;
        offscreen.fill(Qt::white);
        QPainter imagePainter(&offscreen);
        imagePainter.setRenderHint(QPainter::Antialiasing);
        CPictureDrawer::DrawVector(imagePainter, *picture.metafile, picture.SourceRect(),
                                   QRect(QPoint(0, 0), target.size()), mode);
        imagePainter.end();
        picture.offscreen = offscreen;
        picture.offscreenMode = mode;
    }
    if (!(flags & QG1_DRAW_NO_COPY))
        painter.drawImage(target.topLeft(), picture.offscreen);
    return QG1_OK;
}

int DrawOn(QG1Pict* picture, QPainter& painter, const QG1Rect& rect, int flags, bool toWindow)
{
    picture->target = Normalized(rect);
    painter.save();
    // Only the exposed part is drawn: the clip rectangle, within what a window's paint event
    // asks for.
    QRect exposed;
    if (picture->clip) {
        painter.setClipRect(*picture->clip, Qt::IntersectClip);
        exposed = *picture->clip;
    }
    if (painter.device() && painter.device()->devType() == QInternal::Widget &&
        painter.paintEngine()) {
        const QRect asked = painter.paintEngine()->systemClip().boundingRect();
        if (!asked.isEmpty())
            exposed = exposed.isEmpty() ? asked : exposed & asked;
    }
    const int code = Draw(*picture, painter, picture->target, exposed, flags, toWindow);
    painter.restore();
    picture->clip.reset();
    if (code == QG1_OK)
        picture->flags = flags;
    return code;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Records

QG1Instance::~QG1Instance()
{
    cgmfilter::FreeOptionBlock(optionBlock);
}

int QG1Instance::Report(int code)
{
    lastError = code;
    try {
        const char* known = KnownErrorText(code);
        lastText = known ? known : "Invalid error code: " + std::to_string(code);
        for (std::size_t i = 0; i < diagnostics.size(); ++i)
            lastText += (i == 0 ? ": " : "; ") + diagnostics[i];
        if (droppedDiagnostics > 0)
            lastText += "; " + std::to_string(droppedDiagnostics) + " more";
    } catch (const std::exception&) {
        lastText.clear();
    }
    if (code != QG1_OK && errorProc)
        errorProc(code, lastText.c_str(), errorUser);
    return code;
}

namespace {
constexpr std::size_t kKeptDiagnostics = 16; // a badly damaged image reports every row
}

CInstanceOperation::CInstanceOperation(QG1Instance& instance)
    : m_instance(instance), m_sink([&instance](const std::string& line) {
          if (instance.diagnostics.size() < kKeptDiagnostics)
              instance.diagnostics.push_back(line);
          else
              ++instance.droppedDiagnostics;
      })
{
    m_instance.diagnostics.clear();
    m_instance.droppedDiagnostics = 0;
}

CInstanceOperation::~CInstanceOperation()
{
    m_instance.diagnostics.clear();
    m_instance.droppedDiagnostics = 0;
}

bool QG1Instance::CopyOptions()
{
    const cgmfilter::COptions* options = cgmfilter::LockOptions(optionBlock);
    if (!options)
        return false;
    simulateText = options->simulateText ? 1 : 0;
    saveOptions = options->saveOptions ? 1 : 0;
    mapColors = options->mapColors ? 1 : 0;
    picture = options->picture;
    fontMapPath = options->fontMapPath;
    cgmfilter::UnlockOptions(optionBlock);
    return true;
}

QG1Pict::~QG1Pict()
{
    metafile.reset();
    if (!metafilePath.empty())
        std::remove(metafilePath.c_str());
}

QRectF QG1Pict::SourceRect() const
{
    const cgmfilter::CPictureExtent& e = translation.logical;
    return QRectF(QPointF(e.left, e.top), QPointF(e.right, e.bottom)).normalized();
}

// ---------------------------------------------------------------------------------------
// Instances and errors

extern "C" {

QG1Instance* QG1_Init(const char* settingsKey)
{
    auto instance = std::unique_ptr<QG1Instance>(new (std::nothrow) QG1Instance);
    if (!instance)
        return nullptr;
    try {
        instance->settingsKey = settingsKey ? settingsKey : "";
        instance->optionBlock = cgmfilter::GetOptionBlock(instance->settingsKey, kClientName);
        if (!instance->optionBlock || !instance->CopyOptions())
            return nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
    instance->lastError = QG1_OK;
    return instance.release();
}

void QG1_Exit(QG1Instance* instance)
{
    delete instance;
}

int QG1_SetErrorProc(QG1Instance* instance, QG1ErrorProc proc, uintptr_t user)
{
    if (!instance)
        return QG1_ERR_ARGUMENT;
    instance->errorProc = proc;
    instance->errorUser = user;
    return QG1_OK;
}

int QG1_SetProgressProc(QG1Instance* instance, QG1ProgressProc proc, uintptr_t user)
{
    if (!instance)
        return QG1_ERR_ARGUMENT;
    instance->progressProc = proc;
    instance->progressUser = user;
    instance->raster.progress = proc;
    instance->raster.progressUser = user;
    return QG1_OK;
}

const char* QG1_GetErrorMsg(int code)
{
    static char buffer[256];
    if (const char* text = KnownErrorText(code))
        std::snprintf(buffer, sizeof buffer, "%s", text);
    else
        std::snprintf(buffer, sizeof buffer, "Invalid error code: %d", code);
    return buffer;
}

const char* QG1_GetLastError(QG1Instance* instance)
{
    return instance ? instance->lastText.c_str() : QG1_GetErrorMsg(QG1_ERR_ARGUMENT);
}

int QG1_ShowOptions(QG1Instance* instance)
{
    if (!instance)
        return QG1_ERR_ARGUMENT;
    QWidget* owner = QApplication::activeWindow();
    if (cgmfilter::ShowOptionsDialog(instance->optionBlock, owner))
        instance->CopyOptions();
    return QG1_OK;
}

int QG1_SaveOptions(QG1Instance* instance)
{
    if (!instance)
        return QG1_ERR_ARGUMENT;
    // The import options under the instance's settings key, subkey "Options".
    // Failures to write are not reported: the answer is 0.
    try {
        cgmfilter::COptions options;
        options.simulateText = instance->simulateText != 0;
        options.saveOptions = instance->saveOptions != 0;
        options.mapColors = instance->mapColors != 0;
        options.picture = instance->picture;
        options.fontMapPath = instance->fontMapPath;
        cgmfilter::SaveKeyOptions(instance->settingsKey, options);
    } catch (const std::exception&) {
    }
    return QG1_OK;
}

int QG1_GetOption(QG1Instance* instance, uintptr_t, uintptr_t, uintptr_t)
{
    return instance ? QG1_OK : QG1_ERR_ARGUMENT;
}

int QG1_SetOption(QG1Instance* instance, uintptr_t, uintptr_t)
{
    return instance ? QG1_OK : QG1_ERR_ARGUMENT;
}

// ---------------------------------------------------------------------------------------
// Graphic objects

QG1GrObj* QG1_GrObjLoad(QG1Instance* instance, const char* path, int* kind)
{
    if (!instance)
        return nullptr;
    if (!path) {
        instance->Report(QG1_ERR_ARGUMENT);
        return nullptr;
    }
    CInstanceOperation operation(*instance);
    auto object = std::unique_ptr<QG1GrObj>(new (std::nothrow) QG1GrObj);
    if (!object) {
        instance->Report(QG1_OK);
        return nullptr;
    }
    try {
        object->instance = instance;
        object->path = path;
    } catch (const std::exception&) {
        instance->Report(QG1_ERR_MEMORY);
        return nullptr;
    }
    // Only a regular file that opens for reading: a folder would open and then fail as a
    // vector file, and opening a named pipe or a device can block for ever.
    struct stat status
    {
    };
    if (::stat(path, &status) != 0 || !S_ISREG(status.st_mode)) {
        instance->Report(QG1_ERR_OPEN);
        return nullptr;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (!file || (std::fgetc(file) == EOF && std::ferror(file))) {
        if (file)
            std::fclose(file);
        instance->Report(QG1_ERR_OPEN);
        return nullptr;
    }
    std::fclose(file);

    const int asked = kind ? *kind : 0;
    if (asked != QG1_KIND_VECTOR) {
        auto tiff = std::make_unique<qgtiff::CTiffFile>();
        if (tiff->Open(path) == qgtiff::TiffStatus::Ok) {
            object->kind = QG1_KIND_RASTER;
            object->raster = std::move(tiff);
            if (kind)
                *kind = QG1_KIND_RASTER;
            instance->Report(QG1_OK);
            return object.release();
        }
    }
    object->kind = QG1_KIND_VECTOR;
    if (kind)
        *kind = QG1_KIND_VECTOR;
    return object.release();
}

void QG1_GrObjUnload(QG1GrObj* object)
{
    delete object;
}

int QG1_GetGrObjInfo(QG1GrObj* object, uintptr_t, uintptr_t, uintptr_t)
{
    if (!object)
        return QG1_ERR_ARGUMENT;
    return object->instance->Report(QG1_ERR_NOT_SUPPORTED);
}

// ---------------------------------------------------------------------------------------
// Pictures

QG1Pict* QG1_CreatePict(QG1GrObj* object)
{
    if (!object)
        return nullptr;
    QG1Instance& instance = *object->instance;
    CInstanceOperation operation(instance);
    auto picture = std::unique_ptr<QG1Pict>(new (std::nothrow) QG1Pict);
    if (!picture) {
        instance.Report(QG1_ERR_MEMORY);
        return nullptr;
    }
    picture->object = object;

    if (object->kind == QG1_KIND_RASTER) {
        // The picture option chooses the page of a TIFF file as it chooses the picture of a
        // CGM file; a page beyond the file's, or one that cannot be decoded, gives the first.
        qgtiff::CTiffFile& tiff = *object->raster;
        const int page =
            instance.picture > 0 && instance.picture < tiff.PageCount() ? instance.picture : 0;
        if (page != tiff.Page() && tiff.SelectPage(page) != qgtiff::TiffStatus::Ok)
            tiff.SelectPage(0);
        const CRasterContext& raster = instance.raster;
        auto progress = [&raster](int percent) {
            return raster.progress ? raster.progress(percent, raster.progressUser) : 0;
        };
        const qgtiff::TiffStatus status = DecodeImage(tiff, progress, picture->image);
        if (status == qgtiff::TiffStatus::Stopped)
            return nullptr;
        if (status == qgtiff::TiffStatus::TooLarge || picture->image.isNull()) {
            instance.Report(QG1_ERR_MEMORY);
            return nullptr;
        }
        // A page whose strips all lie outside the file still shows, white.
        picture->widthMm = object->raster->Info().WidthMm();
        picture->heightMm = object->raster->Info().HeightMm();
        instance.Report(QG1_OK);
        return picture.release();
    }

    picture->flags = QG1_DRAW_OFFSCREEN | QG1_DRAW_SCALE_0;
    const int code = Translate(*picture, ScalingModeOf(picture->flags));
    if (code != QG1_OK) {
        instance.Report(code);
        return nullptr;
    }
    instance.Report(QG1_OK);
    return picture.release();
}

void QG1_DestroyPict(QG1Pict* picture)
{
    delete picture;
}

int QG1_ReTranslate(QG1Pict* picture)
{
    if (!picture)
        return QG1_ERR_ARGUMENT;
    if (picture->IsRaster())
        return QG1_OK;
    CInstanceOperation operation(*picture->object->instance);
    return picture->object->instance->Report(Translate(*picture, ScalingModeOf(picture->flags)));
}

int QG1_View(QG1Pict* picture, void* window, const QG1Rect* rect, int flags)
{
    if (!picture)
        return QG1_ERR_ARGUMENT;
    QG1Instance& instance = *picture->object->instance;
    if (!window || !rect)
        return instance.Report(QG1_ERR_ARGUMENT);
    if (!picture->IsRaster() && !picture->metafile)
        return instance.Report(QG1_ERR_ARGUMENT);
    auto* widget = static_cast<QWidget*>(window);
    QPainter painter;
    if (!painter.begin(widget)) // the window's device context: only inside its paint event
        return instance.Report(QG1_ERR_MEMORY);
    picture->window = window;
    CInstanceOperation operation(instance);
    return instance.Report(DrawOn(picture, painter, *rect, flags, true));
}

int QG1_Render(QG1Pict* picture, void* painterHandle, const QG1Rect* rect, int flags)
{
    if (!picture)
        return QG1_ERR_ARGUMENT;
    QG1Instance& instance = *picture->object->instance;
    auto* painter = static_cast<QPainter*>(painterHandle);
    if (!painter || !rect || !painter->isActive() || (!picture->IsRaster() && !picture->metafile))
        return instance.Report(QG1_ERR_ARGUMENT);
    CInstanceOperation operation(instance);
    return instance.Report(DrawOn(picture, *painter, *rect, flags, true));
}

int QG1_GetRasterImage(QG1Pict* picture, const unsigned char** bits, int* width, int* height,
                       int* stride)
{
    if (!picture || !bits || !width || !height || !stride)
        return picture ? picture->object->instance->Report(QG1_ERR_ARGUMENT) : QG1_ERR_ARGUMENT;
    QG1Instance& instance = *picture->object->instance;
    if (!picture->IsRaster())
        return instance.Report(QG1_ERR_NOT_SUPPORTED);
    const QImage& image = picture->image;
    *bits = image.constBits();
    *width = image.width();
    *height = image.height();
    *stride = static_cast<int>(image.bytesPerLine());
    return instance.Report(QG1_OK);
}

int QG1_Print(QG1Pict* picture, void* deviceContext, const QG1Rect* rect, int flags)
{
    if (!picture)
        return QG1_ERR_ARGUMENT;
    QG1Instance& instance = *picture->object->instance;
    if (picture->IsRaster())
        return instance.Report(QG1_ERR_NOT_SUPPORTED);
    if (!deviceContext || !rect || !picture->metafile)
        return instance.Report(QG1_ERR_ARGUMENT);
    auto* painter = static_cast<QPainter*>(deviceContext);
    if (!painter->isActive())
        return instance.Report(QG1_ERR_ARGUMENT);
    flags = (flags | QG1_DRAW_NO_COPY) & ~QG1_DRAW_OFFSCREEN;
    CInstanceOperation operation(instance);
    return instance.Report(DrawOn(picture, *painter, *rect, flags, false));
}

void QG1_SetClipRect(QG1Pict* picture, const QG1Rect* rect)
{
    if (!picture)
        return;
    if (rect)
        picture->clip = Normalized(*rect);
    else
        picture->clip.reset();
}

uintptr_t QG1_GetColorPal(QG1Pict* picture, uintptr_t)
{
    if (!picture)
        return 0;
    picture->object->instance->Report(QG1_ERR_NOT_SUPPORTED);
    return static_cast<uintptr_t>(picture->flags);
}

int QG1_GetPictExtent(QG1Pict* picture, int* x, int* y, int* width, int* height, int which)
{
    if (!picture || !x || !y || !width || !height)
        return picture ? picture->object->instance->Report(QG1_ERR_ARGUMENT) : QG1_ERR_ARGUMENT;
    QG1Instance& instance = *picture->object->instance;
    if (which != 0 && which != 2)
        return instance.Report(QG1_ERR_ARGUMENT);
    if (picture->IsRaster()) {
        *x = 0;
        *y = 0;
        *width = which == 0 ? picture->image.width() : picture->widthMm;
        *height = which == 0 ? picture->image.height() : picture->heightMm;
        return instance.Report(QG1_OK);
    }
    const cgmfilter::CPictureExtent& e =
        which == 0 ? picture->translation.logical : picture->translation.millimetres;
    *x = e.left;
    *y = e.top;
    *width = e.right - e.left;
    *height = e.bottom - e.top;
    return instance.Report(QG1_OK);
}

int QG1_GetPictInfo(QG1Pict* picture, int request, void* buffer, int size)
{
    if (!picture)
        return QG1_ERR_ARGUMENT;
    QG1Instance& instance = *picture->object->instance;
    if (picture->IsRaster()) {
        // Request -100 answers the number of pages of the TIFF file; nothing else is kept.
        if (request != -100)
            return instance.Report(QG1_ERR_NOT_SUPPORTED);
        if (size != 4 || !buffer)
            return instance.Report(QG1_ERR_ARGUMENT);
        const std::uint32_t count =
            static_cast<std::uint32_t>(picture->object->raster->PageCount());
        std::memcpy(buffer, &count, 4);
        return instance.Report(QG1_OK);
    }
    if (request == -101) {
        if (size != 22 || !buffer)
            return instance.Report(QG1_ERR_ARGUMENT);
        // The picture count, the last target rectangle, and the last drawing flags.
        const std::uint32_t count = static_cast<std::uint32_t>(picture->translation.pictureCount);
        const std::int32_t rect[4] = {picture->target.left(), picture->target.top(),
                                      picture->target.right() + 1, picture->target.bottom() + 1};
        const std::uint16_t flags = static_cast<std::uint16_t>(picture->flags);
        auto* out = static_cast<unsigned char*>(buffer);
        std::memcpy(out, &count, 4);
        std::memcpy(out + 4, rect, 16);
        std::memcpy(out + 20, &flags, 2);
        return instance.Report(QG1_OK);
    }
    if (request == -100) {
        if (size != 4 || !buffer || picture->translation.pictureCount == 0)
            return instance.Report(QG1_ERR_ARGUMENT);
        const std::uint32_t count = static_cast<std::uint32_t>(picture->translation.pictureCount);
        std::memcpy(buffer, &count, 4);
        return instance.Report(QG1_OK);
    }
    return instance.Report(QG1_ERR_NOT_SUPPORTED);
}

const char* QG1_Version(void)
{
    return "qg1api32 1.04d6";
}

int QG1_GetHotSpots(QG1Pict* picture, QG1HotSpotProc proc, uintptr_t user)
{
    if (!picture)
        return -1;
    if (picture->IsRaster())
        return 0;
    const auto& hotSpots = picture->translation.hotSpots;
    if (proc) {
        std::vector<int> counts;
        std::vector<double> coords;
        for (const cgmfilter::CTranslation::HotSpot& spot : hotSpots) {
            counts.clear();
            coords.clear();
            for (const auto& polygon : spot.regions) {
                counts.push_back(static_cast<int>(polygon.size()));
                for (const auto& [x, y] : polygon) {
                    coords.push_back(x);
                    coords.push_back(y);
                }
            }
            proc(spot.id.c_str(), spot.name.c_str(), spot.linkUri.c_str(),
                 static_cast<int>(counts.size()), counts.data(), coords.data(), user);
        }
    }
    return static_cast<int>(hotSpots.size());
}

} // extern "C"
