// What the portable test suites take from POSIX and the Windows C library lacks.
#pragma once

// What the portable suites take from POSIX and the Windows C library
// lacks. On POSIX this header adds nothing.

#ifdef _WIN32

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

// mkdtemp(3): replaces the trailing XXXXXX of `pattern` and creates that
// folder; the pattern, or nullptr when no fresh name could be made.
inline char* mkdtemp(char* pattern)
{
    const std::size_t length = std::strlen(pattern);
    constexpr std::size_t MARKS = 6;
    if (length < MARKS || std::strcmp(pattern + length - MARKS, "XXXXXX") != 0)
        return nullptr;
    static constexpr char LETTERS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof LETTERS - 2);
    constexpr int TRIES = 100;
    for (int attempt = 0; attempt < TRIES; ++attempt) {
        for (std::size_t i = length - MARKS; i < length; ++i)
            pattern[i] = LETTERS[pick(random)];
        std::error_code error;
        if (std::filesystem::create_directory(pattern, error))
            return pattern;
    }
    return nullptr;
}

// setenv(3) and unsetenv(3) over the C library's own environment.
inline int setenv(const char* name, const char* value, int overwrite)
{
    if (overwrite == 0 && std::getenv(name) != nullptr)
        return 0;
    return _putenv_s(name, value);
}
inline int unsetenv(const char* name)
{
    return _putenv_s(name, "");
}

#endif
