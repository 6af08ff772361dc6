#pragma once

// Runs a modelcheck command in the test's process with its output captured.

#include "ModelCheck.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

struct ModelCheckResult
{
    int status = 0;
    std::string out, err;
};

inline ModelCheckResult RunModelCheckCaptured(const std::vector<std::string>& args,
                                              const std::vector<CModelCheckExtension>& extensions = {})
{
    ModelCheckResult run;
    char* outBuffer = nullptr;
    char* errBuffer = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outBuffer, &outSize);
    std::FILE* err = open_memstream(&errBuffer, &errSize);
    run.status = RunModelCheck(args, out, err, extensions);
    std::fclose(out);
    std::fclose(err);
    run.out.assign(outBuffer, outSize);
    run.err.assign(errBuffer, errSize);
    std::free(outBuffer);
    std::free(errBuffer);
    return run;
}
