#include "QgConvert.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    // Converting needs no display: without one, draw off screen.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The application object is made by the conversion when it draws.
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string err;
    const int status = RunQgConvert(args, err);
    std::fputs(err.c_str(), stderr);
    return status;
}
