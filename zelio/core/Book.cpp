#include "Book.h"

#include "BookScripts.h"
#include "HtmlText.h"
#include "StringUtil.h"
#include "files/PathLookup.h"
#include "profile/ProfileReader.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zelio {

namespace fs = std::filesystem;

std::unique_ptr<CBook> CBook::Open(const std::string& folder)
{
    std::unique_ptr<CBook> book(new CBook());
    std::string path = platform::ResolveExistingPath(AbsolutePath(folder));
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    book->m_folder = std::move(path);
    book->m_name = fs::path(book->m_folder).filename().string();
    if (!book->Refresh())
        return nullptr;
    return book;
}

bool CBook::Refresh()
{
    std::error_code ec;
    if (!fs::is_directory(m_folder, ec))
        return false;
    std::vector<CContentFile> files;
    std::string iniPath;
    fs::directory_iterator it(m_folder, ec);
    if (ec)
        return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return false;
        const std::string name = it->path().filename().string();
        if (EqualsIgnoreCaseAscii(name, "book.ini")) {
            if (iniPath.empty() || name == "book.ini")
                iniPath = it->path().string();
            continue;
        }
        CContentFile file;
        if (!IsContentFileName(name, &file.html) || !it->is_regular_file(ec))
            continue;
        file.name = name;
        file.path = it->path().string();
        if (!platform::FileStatus(file.path, file.size, file.mtimeNs))
            continue;
        files.push_back(std::move(file));
    }
    // The reference files of the book's user documents are listed beside the text, not in it.
    const std::vector<std::string> references = UserDocReferenceFiles(m_folder);
    std::erase_if(files, [&](const CContentFile& file) {
        return std::any_of(references.begin(), references.end(), [&](const std::string& name) {
            return EqualsIgnoreCaseAscii(name, file.name);
        });
    });
    std::sort(files.begin(), files.end(),
              [](const CContentFile& a, const CContentFile& b) { return a.name < b.name; });
    m_files = std::move(files);
    m_title = iniPath.empty() ? std::string()
                              : platform::GetProfileString(iniPath, "book", "TITLE", "", 4096);
    if (m_title.empty())
        m_title = m_name;
    return true;
}

bool CBook::ReadText(std::size_t index, std::string& text) const
{
    text.clear();
    if (index >= m_files.size())
        return false;
    std::string bytes;
    if (platform::ReadRegularFile(m_files[index].path, bytes) != 0)
        return false;
    text = ContentText(bytes, m_files[index].html);
    return true;
}

} // namespace zelio
