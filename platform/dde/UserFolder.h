#pragma once

#include <string>
#include <string_view>

namespace platform {

// The per-user folder of the platform services: $XDG_RUNTIME_DIR/modelbrowser when that
// variable names an absolute path, else /tmp/modelbrowser-<uid>. Read anew on every call.
std::string UserServiceRoot();

// Makes sure <UserServiceRoot()>/<leaf> exists and is private, creating the missing folders
// with mode 0700. A folder of ours (the root and the leaf) that is a symbolic link, is not a
// folder, is not owned by the user or is open to group or others is refused and left exactly
// as it is. Answers true with path set to the folder, else false with error set to a text
// that names the folder and the reason.
bool PrepareUserFolder(std::string_view leaf, std::string& path, std::string& error);

// The same check for one folder only (lstat, no creation): empty when it is a private folder
// of the user, else the reason it is refused.
std::string CheckPrivateFolder(const std::string& path);

// A file name for a service or window name: ASCII letters lowered, letters, digits, "-" and
// "_" kept, every other byte as "%XX" (so "/" and ".." can never leave the folder). Empty
// when the name is empty or its file name would be longer than 80 bytes.
std::string ServiceFileName(std::string_view name);

} // namespace platform
