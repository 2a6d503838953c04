#include "platform/command_line.h"

namespace {

unsigned char byte_at(const char *p) {
    return static_cast<unsigned char>(*p);
}

} // namespace

const char *argument_string_of(const char *command_line, lead_byte_test is_lead_byte) {
    const char *p = command_line;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            // A lead byte at the very end has no second byte to take along.
            if (is_lead_byte(byte_at(p)) && p[1] != '\0')
                ++p;
            ++p;
        }
        if (*p == '"')
            ++p;
    } else {
        while (byte_at(p) > ' ')
            ++p;
    }
    while (*p != '\0' && byte_at(p) <= ' ')
        ++p;
    return p;
}
