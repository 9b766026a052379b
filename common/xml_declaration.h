#pragma once
// A document that holds nothing but its XML declaration, or the beginning
// of one: what a file caught half written often holds. Windows' XML reader
// reports an error for it, as for any document without an element; Wine's
// aborts the whole process. The readers answer it without a reader.
#include <windows.h>
#include <objidl.h>

namespace tapdeck {

// True for a UTF-8 stream (with or without its byte order mark) that is
// empty, a beginning of "<?xml", or one complete XML declaration and
// nothing after it. Leaves the stream at its start.
bool HoldsOnlyXmlDeclaration(IStream* stream);

}  // namespace tapdeck
