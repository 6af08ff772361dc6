#pragma once

// The records behind the library's handles.

#include "CgmFilter.h"
#include "PictureDrawer.h"
#include "TiffImage.h"
#include "qg1api32.h"

#include <QImage>
#include <QPicture>
#include <QRect>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Raster decoding state of an instance: who to tell about progress.
struct CRasterContext
{
    QG1ProgressProc progress = nullptr;
    uintptr_t progressUser = 0;
};

struct QG1Instance
{
    std::string settingsKey;
    int lastError = QG1_OK;
    // What QG1_GetLastError answers and the error procedure is told: the code's text, then
    // the diagnostics of the operation that set it. Each instance has its own.
    std::string lastText = "Success";
    std::vector<std::string> diagnostics; // of the operation under way
    int droppedDiagnostics = 0;
    QG1ErrorProc errorProc = nullptr;
    uintptr_t errorUser = 0;
    QG1ProgressProc progressProc = nullptr;
    uintptr_t progressUser = 0;

    cgmfilter::COptionBlock* optionBlock = nullptr; // owned
    // The options copied from the block.
    short simulateText = 0;
    short saveOptions = 0;
    short mapColors = 0;
    int picture = 0;
    std::string fontMapPath;

    CRasterContext raster;

    ~QG1Instance();
    // Stores the code and its text (with the operation's diagnostics) as the last error and
    // calls the error procedure for a failure.
    int Report(int code);
    // Copies the options out of the block; false when the block cannot be locked.
    bool CopyOptions();
};

// One operation of an instance: the diagnostics printed while it lives are kept for its
// report.
class CInstanceOperation
{
public:
    explicit CInstanceOperation(QG1Instance& instance);
    ~CInstanceOperation();

private:
    QG1Instance& m_instance;
    qgtiff::CDiagnosticSink m_sink;
};

struct QG1GrObj
{
    QG1Instance* instance = nullptr; // not owned
    std::string path;
    int kind = QG1_KIND_VECTOR;
    std::unique_ptr<qgtiff::CTiffFile> raster; // the opened image (raster objects)
};

struct QG1Pict
{
    QG1GrObj* object = nullptr; // not owned

    // Vector pictures.
    std::unique_ptr<QPicture> metafile;
    std::string metafilePath; // the temporary file that holds it
    cgmfilter::CTranslation translation;
    int translatedMode = -2; // scaling mode of the last translation
    QImage offscreen;        // the off-screen bitmap and the size it was drawn for
    int offscreenMode = -2;

    // Raster pictures.
    QImage image; // Format_Mono, white 0, black 1: the decoder's rows, not copied again
    CGreyCache greyCache;
    int widthMm = 0, heightMm = 0;

    QRect target;
    std::optional<QRect> clip;
    int flags = 0;
    void* window = nullptr;

    ~QG1Pict();
    bool IsRaster() const { return object && object->kind == QG1_KIND_RASTER; }
    // The rectangle of the picture's own coordinates that drawing maps onto the target.
    QRectF SourceRect() const;
};
