#pragma once
// Mutations of any input held as a string of units (bytes of a file, UTF-16
// of a command line, hexadecimal text of a tag): every target uses the same
// few moves, fed with its own alphabet and its own tokens.
#include <string>
#include <vector>

#include "fuzz_run.h"

namespace tapdeck::fuzz {

template <typename Text>
struct Mutator {
    Text alphabet;              // single units a flip or insertion picks from
    std::vector<Text> tokens;   // pieces that mean something to the target

    // One to maxMoves moves on text; the name of the last move is returned
    // for the tally.
    const char* Mutate(Random& random, Text& text, int maxMoves = 4) const
    {
        const char* move = "none";
        const int moves = 1 + static_cast<int>(random.Below(static_cast<std::size_t>(maxMoves)));
        for (int m = 0; m < moves; ++m) move = MutateOnce(random, text);
        return move;
    }

    const char* MutateOnce(Random& random, Text& text) const
    {
        const std::size_t at = text.empty() ? 0 : random.Below(text.size() + 1);
        switch (random.Below(7)) {
        case 0:
            if (text.empty() || alphabet.empty()) return "flip";
            text[random.Below(text.size())] = alphabet[random.Below(alphabet.size())];
            return "flip";
        case 1:
            if (alphabet.empty()) return "insert";
            text.insert(at, 1 + random.Length(8), alphabet[random.Below(alphabet.size())]);
            return "insert";
        case 2:
            text.erase(at, 1 + random.Length(16));
            return "erase";
        case 3:
            text.resize(at);
            return "truncate";
        case 4: {
            if (text.empty()) return "duplicate";
            const std::size_t from = random.Below(text.size());
            const Text piece = text.substr(from, 1 + random.Length(64));
            text.insert(at, piece);
            return "duplicate";
        }
        case 5:
            if (tokens.empty()) return "token";
            text.insert(at, tokens[random.Below(tokens.size())]);
            return "token";
        default:
            if (text.empty()) return "bit";
            text[random.Below(text.size())] ^= static_cast<typename Text::value_type>(1u << random.Below(8));
            return "bit";
        }
    }
};

}  // namespace tapdeck::fuzz
