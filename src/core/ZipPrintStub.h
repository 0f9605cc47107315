#pragma once

namespace core {

// The print callback of both zip libraries: the program shows none of their output.
int zipPrintStub(const char* text, unsigned long size);

} // namespace core
