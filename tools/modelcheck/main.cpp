#include "ModelCheck.h"

#ifdef MODELCHECK_WITH_RENDER
#include "RenderCommand.h"
#endif

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<CModelCheckExtension> extensions;
#ifdef MODELCHECK_WITH_RENDER
    extensions.push_back(RenderExtension());
#endif
    return RunModelCheck(args, stdout, stderr, extensions);
}
