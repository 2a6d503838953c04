// Names for parameterised test cases, made from each case's intent, so that
// a failing case names itself ("TrailingBackslashDropped" rather than "/3").
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace scenario {

// "trailing backslash dropped" -> "TrailingBackslashDropped"; anything that
// is not a letter or digit starts a new word.
inline std::string name_from_intent(const std::string &intent) {
    std::string name;
    bool new_word = true;
    for (unsigned char c : intent) {
        if (!std::isalnum(c)) {
            new_word = true;
            continue;
        }
        name += static_cast<char>(new_word ? std::toupper(c) : c);
        new_word = false;
    }
    return name.empty() ? "Unnamed" : name;
}

// For INSTANTIATE_TEST_SUITE_P: cases whose parameter has an `intent`.
struct IntentName {
    template <class Case> std::string operator()(const testing::TestParamInfo<Case> &info) const {
        return name_from_intent(info.param.intent);
    }
};

} // namespace scenario
