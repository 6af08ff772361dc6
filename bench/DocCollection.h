#pragma once

// The documentation collection the browser's benchmarks generate: books of readable text in
// a technical vocabulary with instrument tags (P-101, KV-0005), each book's files half plain
// text and half HTML with paragraphs. The same seed gives the same collection.

#include "BenchFolder.h"

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

struct CDocCollectionShape
{
    int books = 20;
    int filesPerBook = 10;
    std::size_t bytesPerFile = 100 * 1024; // at least; a file ends after the word that passes it
};

// The folder name of book b ("book<b>").
inline std::string DocBookName(int b)
{
    return "book" + std::to_string(b);
}

// Writes the collection as <data>/<collection>/books/book<b>/ with a book.ini (title
// "Manual <b>") and files part<f>.txt / part<f>.html. Throws when a file cannot be written.
inline void WriteDocCollection(const std::filesystem::path& data, const std::string& collection,
                               const CDocCollectionShape& shape = CDocCollectionShape())
{
    static const std::vector<std::string> words = {
        "pump",   "impeller", "valve",    "air",     "seal",    "bearing", "motor",  "drive",
        "shaft",  "flange",   "pressure", "flow",    "station", "control", "signal", "level",
        "sensor", "cable",    "gasket",   "housing", "inspect", "replace", "torque", "maintenance",
        "the",    "and",      "of",       "to",      "is",      "with",    "for",    "check"};
    std::mt19937 random(42);
    std::uniform_int_distribution<std::size_t> word(0, words.size() - 1);
    std::uniform_int_distribution<int> tag(1, 999);
    for (int b = 0; b < shape.books; ++b) {
        const auto folder = data / collection / "books" / DocBookName(b);
        std::filesystem::create_directories(folder);
        WriteBenchFile(folder / "book.ini", "[book]\nTITLE=Manual " + std::to_string(b) + "\n");
        for (int f = 0; f < shape.filesPerBook; ++f) {
            const bool html = f % 2 == 1;
            std::string text = html ? "<html><body><h1>Chapter</h1><p>" : "";
            int sentence = 0;
            while (text.size() < shape.bytesPerFile) {
                if (random() % 23 == 0) {
                    char tagText[16];
                    std::snprintf(tagText, sizeof tagText, "%s-%03d", random() % 2 ? "P" : "KV",
                                  tag(random));
                    text += tagText;
                } else {
                    text += words[word(random)];
                }
                text += ' ';
                if (++sentence % 15 == 0)
                    text += html ? ".</p>\n<p>" : ".\n";
            }
            if (html)
                text += "</p></body></html>\n";
            WriteBenchFile(folder / ("part" + std::to_string(f) + (html ? ".html" : ".txt")), text);
        }
    }
}
