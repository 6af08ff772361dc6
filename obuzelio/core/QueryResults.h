#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What a query found in one book of a collection.
class CBookResult
{
public:
    std::string m_directory; // the book's folder name
    std::string m_title;     // the title the browser gives the book
    long m_hits = -1;        // -1: the book opened but its query failed; 0: no hits

    // Kind 3: the folder name, kind 4: the title, any other kind: an empty text.
    std::string_view Text(int kind) const;
};

// What a query found in the books of one collection.
class CCollectionResult
{
public:
    std::vector<CBookResult> m_books; // in the order the book folders were listed
    std::string m_directory;
    std::string m_alias;
    std::string m_query;

    // The sum of the hit counts that are not negative.
    long Hits() const;
    // The book result at index; nullptr when index is out of range.
    const CBookResult* Book(int index) const;
    // Kind 1: the directory, kind 2: the alias, any other kind: an empty text.
    std::string_view Text(int kind) const;
};

// A query object: the collection results of its last query. Results stay valid until the
// next query on the object or its destruction.
class CQuery
{
public:
    std::vector<std::unique_ptr<CCollectionResult>> m_collections;

    void Clear() { m_collections.clear(); }
    // The collection result at index; nullptr when index is out of range.
    const CCollectionResult* Collection(int index) const;
    // The first collection result whose directory or alias equals name ignoring ASCII case;
    // nullptr when there is none.
    const CCollectionResult* FindCollection(std::string_view name) const;
};

// Copies text and its terminating zero into a buffer of length + 1 bytes. False, with the
// buffer untouched, when the text is longer than length bytes or there is no buffer.
bool CopyToBuffer(std::string_view text, char* buffer, int length);
