#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// What every match of a regular expression must contain, read from the pattern's syntax, so that
// a cheap substring search can rule the expression out before it runs.
struct RequiredLiterals {
    // Each entry holds texts of which a match contains at least one; a match satisfies every
    // entry. Lowercase ASCII: compare with the subject's ASCII lowercased. Empty: nothing sure.
    std::vector<std::vector<std::string>> allOf;
    // The pattern ignores case somewhere ("(?i)"); such a match may hold non-ASCII letters that
    // fold to ASCII ones, so the texts hold only for subjects of ASCII alone.
    bool ignoresCase = false;
};

// A construct the reader does not know well enough to be sure of gives no entry (never a wrong
// one); so does a pattern that is not valid.
RequiredLiterals requiredLiterals(std::string_view pattern);

} // namespace tw
