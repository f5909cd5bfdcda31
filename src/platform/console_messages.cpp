// Message boxes as lines on standard error.
#include "platform/console_messages.h"

#include <cstdio>
#include <cstring>

namespace {

bool toConsole = false;

} // namespace

void showMessagesOnConsole() {
    toConsole = true;
}

bool messagesGoToConsole() {
    return toConsole;
}

void printMessageLine(const char* caption, const char* text) {
    caption = caption ? caption : "";
    text = text ? text : "";
    const size_t length = std::strlen(text);
    std::fprintf(stderr, "%s: %s%s", caption, text,
                 length == 0 || text[length - 1] != '\n' ? "\n" : "");
    std::fflush(stderr);
}
