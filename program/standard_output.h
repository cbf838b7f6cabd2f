#pragma once

#include <QString>

// Standard output is where a command's result goes: a result that did not arrive there is not
// a success.

// Run first: a standard stream that was closed (`>&-`) is held by a descriptor that refuses
// every write, so no file or port the program opens later takes its number and receives what
// was meant for the stream. Writes to a closed output fail, and are seen to fail. Also lets a
// write to a pipe whose reader has gone fail instead of ending the program.
void guardStandardStreams();

// Flushes standard output. When anything written there was lost (disk full, stream closed,
// reader gone), says so on standard error and returns a failing status (`status`, or 1 when
// it was 0); otherwise `status`.
int standardOutputStatus(int status);

// True once whatever read standard output has gone (a pipe's reader has closed it), whether or
// not anything was written; the reason in *why.
bool standardOutputGone(QString* why = nullptr);
