#pragma once
// A standard tag's decoding outcome by name, for comparisons and tallies
// that print it readably.
#include "wsc_decoder.h"

namespace tapdeck::test {

inline const char* OutcomeName(WscOutcome outcome)
{
    switch (outcome) {
    case WscOutcome::Malformed: return "malformed";
    case WscOutcome::NoCredential: return "no credential";
    case WscOutcome::Unsupported: return "unsupported";
    case WscOutcome::Usable: return "usable";
    }
    return "?";
}

}  // namespace tapdeck::test
