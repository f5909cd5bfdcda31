// The error log and the fatal-error exits.
#include "app/error_log.h"

#include "app/application.h"
#include "platform/exit_status.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

std::FILE* errorLog = nullptr;
const size_t MESSAGE_SIZE = 150;

void writeLogAndClose(const char* message) {
    if (!errorLog)
        return;
    std::fputs(message, errorLog);
    std::fclose(errorLog);
    errorLog = nullptr;
}

[[noreturn]] void fatalExitV(int status, const char* format, va_list values) {
    char strMessage[MESSAGE_SIZE];
    // vsnprintf never writes past the buffer; a longer message is cut.
    if (std::vsnprintf(strMessage, sizeof strMessage, format, values) < 0)
        strMessage[0] = '\0';
    std::puts(strMessage);
    writeLogAndClose(strMessage);
    std::exit(status);
}

} // namespace

void openErrorLog() {
    errorLog = std::fopen("error.txt", "w");
    if (!errorLog)
        std::exit(EXIT_LOG_UNAVAILABLE);
}

void fatalExit(int status, const char* format, ...) {
    va_list values;
    va_start(values, format);
    fatalExitV(status, format, values);
}

void fatalExitShown(int status, const char* message) {
    std::fflush(stdout);
    writeLogAndClose(message);
    std::exit(status);
}

void Application::error(const char* format, ...) {
    va_list values;
    va_start(values, format);
    fatalExitV(EXIT_FATAL_ERROR, format, values);
}
