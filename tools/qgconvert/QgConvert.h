#pragma once

#include <string>
#include <vector>

// qgconvert: turns a CGM or TIFF file into PNG, PBM or PDF through the graphics conversion
// library. Makes a QApplication when it draws and none exists yet (a bilevel image written at
// its own size needs none). Messages go to err.
//
// Exit statuses: 0 written; 1 the input could not be loaded or drawn; 2 the output could not
// be written; 64 usage errors.
int RunQgConvert(const std::vector<std::string>& args, std::string& err);

std::string QgConvertUsage();
