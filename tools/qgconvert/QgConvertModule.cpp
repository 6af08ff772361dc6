// The drawing module of qgconvert: everything that needs Qt and the graphics conversion
// library, loaded by the program only for the conversions that draw.

#include "QgConvert.h"

#include <cstdio>

extern "C" __attribute__((visibility("default"))) int QgConvertDrawingMain(int argc,
                                                                           const char* const* argv)
{
    std::string err;
    int status = kQgConvertUsage;
    try {
        const std::vector<std::string> args(argv, argv + argc);
        QgConvertOptions options;
        std::string error;
        if (ParseQgConvertOptions(args, options, error))
            status = RunQgConvertDrawing(options, err);
        else
            err = "qgconvert: " + error + "\n" + QgConvertUsage();
    } catch (const std::exception& e) {
        err += std::string("qgconvert: ") + e.what() + "\n";
        status = kQgConvertLoadFailed;
    }
    std::fputs(err.c_str(), stderr);
    return status;
}
