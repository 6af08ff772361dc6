// The documentation browser's readers of book scripts: any bytes as a user-document file, a
// document reference or content text give entries that lie inside the input.

#include "BookScripts.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const zelio::CUserDocEntry& entry : zelio::ParseUserDocFile(bytes))
        if (entry.entity.empty() || entry.entity.size() > size || entry.systemId.size() > size)
            std::abort();
    zelio::CUserDocument document;
    if (zelio::ParseDocRef(bytes, document) &&
        (document.file.size() > size || document.title.size() > size ||
         document.description.size() > size))
        std::abort();
    for (const zelio::CFigureReference& figure : zelio::FindFigureReferences(bytes))
        if (figure.begin >= figure.end || figure.end > size || !zelio::IsPlainFileName(figure.name))
            std::abort();
    return 0;
}
