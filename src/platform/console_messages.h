// Message boxes told on the console: what Linux always does with them, and
// what every platform does once a command-line tool has asked for it.
#pragma once

// For the command-line tools: from now on message boxes are lines on standard
// error, as on Linux, and never wait for a click.
void showMessagesOnConsole();

// True once showMessagesOnConsole has been called.
bool messagesGoToConsole();

// "CAPTION: TEXT" on standard error, ending in one line end whether or not the
// text has its own.
void printMessageLine(const char* caption, const char* text);
