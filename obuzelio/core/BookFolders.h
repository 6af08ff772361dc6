#pragma once

#include <string>
#include <vector>

// The book folders of a collection's books folder: the names of its entries that are
// folders (links to folders count) and do not begin with ".", sorted by name in byte order so
// that every run lists them alike. Empty when the folder cannot be read.
std::vector<std::string> ListBookFolders(const std::string& booksFolder);

// The folder that holds the book folders of a collection: <collection>/<booksName>, the
// collection directory taken relative to dataDir unless it is absolute. "\" and "/" both
// separate; names that do not exist as written are looked up ignoring case.
std::string BooksFolderOf(const std::string& dataDir, const std::string& collectionDir,
                          const std::string& booksName);
