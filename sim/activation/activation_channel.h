#pragma once
// Where the activation manager of the test prefix keeps its records:
// C:\tapdeck-sim\activation\records.txt, one line per activation:
// "activate\t<app user model id>\t<arguments>\t<options>".
namespace tapdeck::sim::activation {

inline constexpr wchar_t kArea[] = L"activation";
inline constexpr wchar_t kRecords[] = L"records.txt";
// The census records of the server: "activation-<pid>.txt" in C:\tapdeck-sim\census.
inline constexpr wchar_t kCensus[] = L"activation";

}  // namespace tapdeck::sim::activation
