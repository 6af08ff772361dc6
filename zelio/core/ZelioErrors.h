#pragma once

namespace zelio {

// The numbers a context's last error takes. 11 and 14 are the ones callers act on: the query
// found nothing in the book, or it held nothing to search for.
enum ZelioError : int
{
    kErrorNone = 0,
    kErrorInvalidArgument = 1, // a null text or a handle of the wrong kind
    kErrorNotABook = 2,        // the book folder does not exist or cannot be read
    kErrorIndex = 3,           // the full-text index could not be opened, built or searched
    kErrorNoHits = 11,
    kErrorEmptyQuery = 14,
};

} // namespace zelio
