// The argument string cut from whole command lines: quoted and unquoted
// program names, blanks, bytes above 0x7F and double-byte characters.
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ostream>
#include <string>

namespace {

bool no_lead_bytes(unsigned char) {
    return false;
}

// Lead bytes of the Japanese code page (932).
bool japanese_lead_byte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

struct CutCase {
    const char *intent;
    const char *command_line;
    const char *arguments;
    lead_byte_test lead = no_lead_bytes;
};

void PrintTo(const CutCase &c, std::ostream *out) {
    *out << c.intent;
}

class ArgumentString : public testing::TestWithParam<CutCase> {};

TEST_P(ArgumentString, IsTheCommandLineAfterTheProgramName) {
    const CutCase &c = GetParam();
    const char *arguments = argument_string_of(c.command_line, c.lead);
    // A pointer into the command line itself, as WinMain gets it.
    ASSERT_GE(arguments, c.command_line);
    ASSERT_LE(arguments, c.command_line + std::strlen(c.command_line));
    EXPECT_EQ(std::string(arguments), c.arguments);
}

std::string name_of(const testing::TestParamInfo<CutCase> &info) {
    std::string name;
    for (const char *p = info.param.intent; *p != '\0'; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentString,
    testing::Values(
        CutCase{"plain name and one argument", "launcher.exe x", "x"},
        CutCase{"arguments after the first are kept", "launcher.exe x -silent", "x -silent"},
        CutCase{"no arguments", "launcher.exe", ""},
        CutCase{"only blanks after the name", "launcher.exe    ", ""},
        CutCase{"empty command line", "", ""},
        CutCase{"tabs and control bytes are blanks", "launcher.exe\t\t \x01x", "x"},
        CutCase{"quoted name with a blank inside", "\"C:\\Program Files\\launcher.exe\" x", "x"},
        CutCase{"quoted name ends at its closing quote", "\"C:\\K\\launcher.exe\"x", "x"},
        CutCase{"quoted name without a closing quote runs to the end", "\"C:\\unterminated x", ""},
        CutCase{"a quote inside an unquoted name belongs to it", "C:\\a\"b c", "c"},
        CutCase{"byte E9 in an unquoted name is not a blank", "C:\\K\\caf\xE9xyz\\launcher.exe  i",
                "i"},
        CutCase{"byte A0 in an unquoted name is not a blank", "C:\\K\\a\xA0x.exe i", "i"},
        CutCase{"byte E9 after the name is not skipped", "launcher.exe \xE9x", "\xE9x"},
        CutCase{"a lead byte takes a quote along as its second byte", "\"C:\\\x81\"a.exe\" x", "x",
                japanese_lead_byte},
        CutCase{"the same bytes without a double-byte code page", "\"C:\\\x81\"a.exe\" x",
                "a.exe\" x"},
        CutCase{"a lead byte as the last byte of the line", "\"C:\\\x81", "", japanese_lead_byte},
        CutCase{"in an unquoted name a blank after a lead byte still ends it", "C:\\\x81 x", "x",
                japanese_lead_byte}),
    name_of);

} // namespace
