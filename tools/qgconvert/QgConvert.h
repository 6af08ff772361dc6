#pragma once

#include "QgConvertRaster.h"

#include <string>
#include <vector>

// qgconvert: turns a CGM or TIFF file into PNG, PBM or PDF through the graphics conversion
// library. Makes a QApplication when it draws and none exists yet (a bilevel image written at
// its own size needs none). Messages go to err. Returns the exit status (QgConvertRaster.h).
int RunQgConvert(const std::vector<std::string>& args, std::string& err);

// The conversions that need the graphics conversion library, on parsed options whose output
// suffix is one of the three. Returns the exit status; messages go to err.
int RunQgConvertDrawing(const QgConvertOptions& options, std::string& err);

// The entry point of the drawing module that the program loads when it needs it: the
// arguments after the program name; the messages, if any, go to standard error. Returns the
// exit status.
extern "C" int QgConvertDrawingMain(int argc, const char* const* argv);
