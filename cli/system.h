// What vemsync needs from the operating system: arguments, console and terminal.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What vemsync needs from the operating system around its commands.

// The arguments after the program's name, in UTF-8. Windows hands them over
// in UTF-16; the narrow argv there would have lost every Cyrillic letter
// outside the ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes the console show the program's UTF-8 texts; on Windows it switches
// the console's output code page for the life of the process.
void PrepareConsole();

// Opens a file for appending by its UTF-8 name; nothing when it cannot.
std::FILE* OpenForAppend(const std::string& path);

// Whether the stream is an interactive terminal or console.
bool IsTerminal(std::FILE* stream);
