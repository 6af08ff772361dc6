// qgconvert's program: Qt-free. A one-page bilevel TIFF to PBM is converted here; every other
// conversion is handed to the drawing module, loaded only then, so that the plain conversion
// does not pay for loading Qt and the graphics conversion library at start.

#include "QgConvertRaster.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kModuleName[] = "libqgconvert_drawing.so";

// The drawing module: beside the program (the build tree), in ../lib (an installation), else
// wherever the dynamic linker finds it. Null, with a message in err, when none loads.
void* LoadDrawingModule(std::string& err)
{
    std::vector<std::string> candidates;
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        std::string folder(self, static_cast<std::size_t>(length));
        folder.erase(folder.find_last_of('/') + 1);
        candidates.push_back(folder + kModuleName);
        candidates.push_back(folder + "../lib/" + kModuleName);
    }
    candidates.push_back(kModuleName);
    std::string reasons;
    for (const std::string& candidate : candidates) {
        if (void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return module;
        if (const char* reason = ::dlerror())
            reasons = reason;
    }
    err += "qgconvert: cannot load the drawing module: " + reasons + "\n";
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string err;
    QgConvertOptions options;
    const int status = RunQgConvertRaster(args, err, options);
    if (status != kQgConvertNeedsDrawing) {
        std::fputs(err.c_str(), stderr);
        return status;
    }
    // Converting needs no display: without one, draw off screen.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    void* module = LoadDrawingModule(err);
    using Entry = int (*)(int, const char* const*);
    auto entry =
        module ? reinterpret_cast<Entry>(::dlsym(module, "QgConvertDrawingMain")) : nullptr;
    if (!entry) {
        if (module)
            err += "qgconvert: the drawing module has no entry point\n";
        std::fputs(err.c_str(), stderr);
        return kQgConvertLoadFailed;
    }
    std::fflush(stdout);
    // The application object is made by the conversion when it draws.
    return entry(argc - 1, argv + 1);
}
