#pragma once

#include <string>
#include <string_view>
#include <utility>

// Small string and path helpers shared by the model, instance and relation readers.
// Upper-casing and case comparisons here touch ASCII letters only, so bytes of other
// encodings pass through unchanged.

// Removes every occurrence of c at the start and at the end of the text.
std::string TrimChar(std::string_view text, char c);
// Removes trailing blanks, then trailing tabs, then trailing line feeds, in that order.
std::string TrimLineEnd(std::string_view text);
// Removes blanks (spaces) at both ends.
std::string TrimBlanks(std::string_view text);
// Removes blanks and tabs at both ends.
std::string TrimBlanksTabs(std::string_view text);
// Keeps the digits of the text and converts them; -1 when there is none. Saturates at
// INT_MAX instead of overflowing.
int ExtractNumber(std::string_view text);
// The prefix followed by n in decimal ("E", 1 -> "E1").
std::string MakeEntryKey(std::string_view prefix, int n);
// The path up to and including its last separator ('\\' or '/'); unchanged without one.
std::string DirectoryOf(std::string_view path);
// The name alone (separators turned into '/') when it holds a separator ('\\' or '/'),
// else directory followed by name.
std::string JoinModelPath(std::string_view directory, std::string_view name);
// 1 when the path names a regular file that can be opened for reading (looked up ignoring
// case when it does not exist as written), else 0. Folders, FIFOs, sockets and devices give 0
// at once.
int FileExists(std::string_view path);
// The path made absolute against the current folder and normalised ("a/./b/../c" ->
// "/cwd/a/c"); unchanged when the current folder cannot be read.
std::string AbsolutePath(std::string_view path);
// Reads an integer as the C library's atoi does: leading blanks, optional sign, digits;
// stops at the first other character; 0 without digits. Saturates instead of overflowing.
int ReadInt(std::string_view text);
// Fields 1 and 2 of the text, each with blanks trimmed, converted with ReadInt.
std::pair<int, int> ParseIntPair(std::string_view text, char separator);
// The source with its first occurrence of find replaced; empty when any of the three is
// empty or find does not occur.
std::string ReplaceFirst(std::string_view source, std::string_view find,
                         std::string_view replacement);
// 1 for A E I O U Y and the Windows-1252 letters Ä Ö Å, capital or small, else 0.
int IsVowel(char c);
// Position of the first occurrence of sub at or after start, or -1.
int FindFrom(std::string_view text, std::string_view sub, int start);
// Sets out to the text from the first occurrence of open up to, not including, the first
// occurrence of close at or after it; returns the position of open, or -1 (out unchanged).
int Between(std::string_view text, std::string_view open, std::string_view close,
            std::string& out);
// ASCII upper-casing.
std::string ToUpperAscii(std::string_view text);
void ToUpperAsciiInPlace(std::string& text);
// ASCII case-insensitive equality.
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);
