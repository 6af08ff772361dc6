#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zelio {

// One content file of a book.
struct CContentFile
{
    std::string name; // file name inside the book folder
    std::string path; // full path
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    bool html = false;

    bool operator==(const CContentFile&) const = default;
};

// A book: a folder with book.ini (section "book", key "TITLE") and content files (*.txt,
// *.htm, *.html) directly inside it, listed sorted by name (byte order). Other files and
// sub-folders are ignored.
class CBook
{
public:
    // Opens the folder; nullptr when it is not a readable folder. Owned by the caller.
    static std::unique_ptr<CBook> Open(const std::string& folder);

    // The folder made absolute, without a trailing slash.
    const std::string& Folder() const { return m_folder; }
    // The folder's own name.
    const std::string& Name() const { return m_name; }
    // The TITLE of book.ini as written (bytes), or the folder name when it has none.
    const std::string& Title() const { return m_title; }
    const std::vector<CContentFile>& ContentFiles() const { return m_files; }

    // Reads the plain text of content file index (see ContentText): what the browser shows
    // and what the index holds. False (text empty) when the index is out of range or the
    // file cannot be read.
    bool ReadText(std::size_t index, std::string& text) const;

    // Lists the folder again (title and content files). False when it is no longer readable.
    bool Refresh();

private:
    CBook() = default;

    std::string m_folder;
    std::string m_name;
    std::string m_title;
    std::vector<CContentFile> m_files;
};

} // namespace zelio
