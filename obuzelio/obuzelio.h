#pragma once

/* The query library libobuzelio: in which books of a documentation collection does a
 * full-text query find hits, and which of them does the user want to see. It keeps the
 * documentation context that the browser library's book calls need.
 *
 * C linkage; used from one thread. No call throws: failures are answers (0 for false, -1,
 * or a null pointer). Query objects belong to the caller from CreateQuery to DestroyQuery;
 * collection and book results belong to their query object and stay valid until the next
 * QuerySingleCol on it or its destruction.
 *
 * Buffer lengths count characters without the terminating zero: a buffer of length n holds
 * n + 1 bytes. A text longer than the length is not copied at all (the call answers 0 and
 * leaves the buffer as it was). */

#include <stdint.h>

#if defined(__GNUC__)
#define OBUZELIO_API __attribute__((visibility("default")))
#else
#define OBUZELIO_API
#endif

#ifdef __cplusplus
class CQuery;
class CCollectionResult;
class CBookResult;
extern "C" {
#else
typedef struct CQuery CQuery;
typedef struct CCollectionResult CCollectionResult;
typedef struct CBookResult CBookResult;
#endif

/* Makes the documentation context from the keys DATA_DIR, ZELIO_AUTH, PUBLIC_DIR and
 * PRIVATE_DIR of a section of the browser's configuration file (null: "corvelle.ini" and
 * "zelio"). When a context exists already, answers 1 at once and reads nothing: the first
 * file and section stay in use. 1 when a context exists afterwards, else 0. */
OBUZELIO_API int CreateContextServer(const char* configFile, const char* section);
/* Ends the documentation context in the browser. The handle is kept: IsContextDefined stays
 * 1 and CreateContextServer makes no new one. */
OBUZELIO_API void DestroyContextServer(void);
/* 1 when there is a documentation context, else 0. */
OBUZELIO_API int IsContextDefined(void);
/* Makes context the documentation context; query is not used. Answers 1. */
OBUZELIO_API int SetContext(CQuery* query, uintptr_t context);

/* A new empty query object, or null when memory runs out. */
OBUZELIO_API CQuery* CreateQuery(void);
/* Frees a query object with all its results; null is harmless. */
OBUZELIO_API void DestroyQuery(CQuery* query);
/* Runs the query text in every book of the collection named by its directory or alias
 * (ignoring case) and keeps the hit counts in the query object, replacing what it held.
 * Shows the wait cursor meanwhile. Answers the number of books in which the query ran, or
 * -1 (unknown collection, no book folders, no book opened, no query object). reserved is
 * not used. */
OBUZELIO_API int QuerySingleCol(CQuery* query, const char* collection, const char* text,
                                uintptr_t reserved);
/* Shows the dialog "Query Result - <alias>" listing the books with hits (showAll 1: also those
 * with 0 hits) of the query object's one collection result. Answers the index (for GetBook)
 * of the book chosen with OK or a double-click, or -1: cancelled, no book to list (message
 * 1500 is shown), not exactly one collection result, or no QApplication. */
OBUZELIO_API int RealizeQuery2DLg(CQuery* query, int showAll);

/* The number of collection results; 0 for null. */
OBUZELIO_API int GetColCount(CQuery* query);
/* The first collection result whose directory or alias equals name ignoring case, or null. */
OBUZELIO_API CCollectionResult* FindCol(CQuery* query, const char* name);
/* The collection result at index, or null when index is out of range. */
OBUZELIO_API CCollectionResult* GetCol(CQuery* query, int index);
/* The sum of the collection's hit counts that are not negative; 0 for null. */
OBUZELIO_API long GetColHits(CCollectionResult* collection);
/* The number of book results; 0 for null. */
OBUZELIO_API int GetBookCount(CCollectionResult* collection);
/* Kind 1: the collection directory, kind 2: its alias, other kinds: an empty text. 1 when
 * copied, 0 when it is longer than length (buffer untouched) or an argument is null. */
OBUZELIO_API int GetColString(CCollectionResult* collection, int kind, char* buffer, int length);
/* The book result at index, or null when index is out of range. */
OBUZELIO_API CBookResult* GetBook(CCollectionResult* collection, int index);
/* Kind 3: the book's folder name, kind 4: its title, other kinds: an empty text; answers as
 * GetColString does. */
OBUZELIO_API int GetBookString(CBookResult* book, int kind, char* buffer, int length);
/* The book's hit count: -1 when its query failed, 0 without hits; -1 for null. */
OBUZELIO_API long GetBookHits(CBookResult* book);

/* Looks name up (directory or alias, ignoring case) in the collection table of the
 * configuration and copies the directory, then the alias. 1 when found and both fit; a
 * directory that fits is copied even when the alias then does not. */
OBUZELIO_API int FindColNameAndAlias(const char* name, char* directory, int directoryLength,
                                     char* alias, int aliasLength);

/* The in-process server entry points of the component framework. The library serves no
 * classes: DllGetClassObject answers "class not available" (0x80040111) and clears *object,
 * DllCanUnloadNow answers 1 ("not now"), DllRegisterServer answers 0. */
OBUZELIO_API int32_t DllGetClassObject(const void* classId, const void* interfaceId, void** object);
OBUZELIO_API int32_t DllCanUnloadNow(void);
OBUZELIO_API int32_t DllRegisterServer(void);

#ifdef __cplusplus
}

namespace platform {
class IPrompter;
}

/* C++ linkage. Installs the prompter through which the library beeps, shows message 1500
 * and the wait cursor: the model browser installs its own, tests a scripted one. null
 * returns to the library's own Qt prompter. The caller keeps ownership and keeps the prompter
 * alive while it is installed. */
OBUZELIO_API void ObuzelioSetPrompter(platform::IPrompter* prompter);
#endif
