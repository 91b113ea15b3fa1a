#pragma once

#include <string>
#include <string_view>

// One sentence in the words of both faces: the command line's English and the window's Chinese.
// "%1" and "%2" stand for the values the sentence names.
struct Wording {
    const char* english;
    const char* chinese;
};

// Why a line is refused, ready for either face to word: the reason, a hint when there is one (an
// unknown keyword that is a known one misspelt), and the values they name: %1 the field's number,
// the side button's number or the quoted keyword, %2 the keyword in upper case.
struct Refusal {
    const Wording* reason = nullptr;  // nullptr: the line is not refused
    const Wording* hint = nullptr;
    std::string first;
    std::string second;
};

// The text with %1 and %2 replaced by the refusal's values.
std::string filledIn(std::string_view text, const Refusal& refusal);
// The reason and its hint in English, e.g. "no digits in field 3".
std::string englishReason(const Refusal& refusal);
