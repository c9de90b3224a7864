#pragma once
// The program's one message: what it says when memory runs out.

// Prints the out-of-memory message and a line feed to standard output and
// ends the process with status 1.
[[noreturn]] void reportOutOfMemory();
