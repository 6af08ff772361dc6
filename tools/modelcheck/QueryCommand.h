#pragma once

#include <cstdio>
#include <string>
#include <vector>

// modelcheck query MODEL.mdl PAGE ELEMENT KEY [--books]: prints the full-text query the model
// browser sends for that instance; with books, then every book of the model's collection in
// which it finds hits, as BOOKDIR<TAB>TITLE<TAB>HITS in the order the book choice lists them.
// Exit 0; 1 when the model, page, element or instance is not found or the query cannot be
// built; 3 when the collection is not installed (message 5035). -1 for a usage error.
int RunQueryCommand(const std::vector<std::string>& positional, bool books, std::FILE* out,
                    std::FILE* err);
