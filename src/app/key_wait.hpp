#pragma once

#include <cstdio>

namespace curtis {

// Prints "Press any key to continue . . . " and waits for one key. On a
// terminal a single key press is enough (the terminal is put in raw mode and
// restored afterwards); otherwise at most one byte is read, and the end of
// the input ends the wait, so scripted runs never hang.
void waitForKey(std::FILE* in, std::FILE* out);

} // namespace curtis
