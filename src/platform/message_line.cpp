// A message box as one line on standard error.
#include "platform/message_line.h"

#include <cstdio>
#include <cstring>

void printMessageLine(const char* caption, const char* text) {
    caption = caption ? caption : "";
    text = text ? text : "";
    const size_t length = std::strlen(text);
    std::fprintf(stderr, "%s: %s%s", caption, text,
                 length == 0 || text[length - 1] != '\n' ? "\n" : "");
    std::fflush(stderr);
}
