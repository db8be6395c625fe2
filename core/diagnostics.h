// Every diagnostic line of the program goes through these printers, so tests can capture them.
#pragma once

// Development trace; silent in the shipped build (see the LIGHTRIG_DEBUG_LOG build option).
void debugLog(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Progress markers and reports that the show always prints to standard output.
void logOut(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Errors and warnings on standard error.
void logError(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Prints the message to standard error and ends the process with the given status.
[[noreturn]] void fatalExit(int status, const char *format, ...) __attribute__((format(printf, 2, 3)));
// A user-facing error: always on standard error, and in a message box where one cannot hang an
// unattended run.
void errorBox(const char *text, const char *caption);
// True in builds where debugLog prints.
bool debugLogEnabled();
