#pragma once
// A document whose first bytes show that it holds no element: it ends, or
// holds a NUL (never allowed in XML), before its first start tag begins.
// That is what a file caught half written often holds: a byte order mark,
// an XML declaration or the beginning of one. An XML reader reports an
// error for it, as for any document without an element, but some readers
// abort the whole process on several such documents instead. The readers
// answer it without a reader.
#include <windows.h>
#include <objidl.h>

namespace tapdeck {

// True for a UTF-8 stream (with or without its byte order mark) that ends
// or holds a NUL byte before the first "<" that begins an element. A
// UTF-16 stream, or one whose first element begins later than its first
// 512 bytes, gives false. Leaves the stream at its start.
bool HoldsNoElement(IStream* stream);

}  // namespace tapdeck
