#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The modelcheck commands, callable from tests. Messages of the model browser go to err as
// "NNNN: text"; questions about large relation files are answered No.
//
// Exit statuses: syntax 0 clean, 1 warnings only, 2 errors; the other commands 0 on
// success, 1 when the model does not load or a name is unknown. Usage errors give 64,
// files that cannot be written 74.
int RunModelCheck(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// The usage text.
std::string ModelCheckUsage();
