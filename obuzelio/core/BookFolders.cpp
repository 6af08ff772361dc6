#include "BookFolders.h"

#include "files/PathLookup.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

std::vector<std::string> ListBookFolders(const std::string& booksFolder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(booksFolder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        struct stat status;
        if (stat((booksFolder + '/' + name).c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string BooksFolderOf(const std::string& dataDir, const std::string& collectionDir,
                          const std::string& booksName)
{
    std::string path = platform::NormalizeSeparators(collectionDir);
    if (!path.starts_with('/') && !dataDir.empty()) {
        std::string base = platform::NormalizeSeparators(dataDir);
        if (!base.ends_with('/'))
            base += '/';
        path = base + path;
    }
    if (!path.ends_with('/'))
        path += '/';
    return platform::ResolveExistingPath(path + booksName);
}
