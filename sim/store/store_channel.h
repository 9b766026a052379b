#pragma once
// Where the Store stand-in records the pages it was asked to open:
// C:\tapdeck-sim\store\records.txt, one line per request: "open\t<uri>".
namespace tapdeck::sim::store {

inline constexpr wchar_t kArea[] = L"store";
inline constexpr wchar_t kRecords[] = L"records.txt";

}  // namespace tapdeck::sim::store
