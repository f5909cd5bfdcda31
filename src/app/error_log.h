// "error.txt": emptied at every start, it holds the message of a fatal failure.
#pragma once

// Opens (and empties) the log in the working directory; ends the process with
// status 1, silently, when that is impossible.
void openErrorLog();

// Formats the message into the fixed message buffer (cutting what does not fit),
// puts it on standard output with a line end and into the log without one,
// closes the log and ends the process with the given status.
[[noreturn]] void fatalExit(int status, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The same, but the message has already been shown (in a message box): it only
// goes into the log before the process ends.
[[noreturn]] void fatalExitShown(int status, const char* message);
