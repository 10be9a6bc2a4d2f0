// vemsync's exit codes, which scripts rely on.
#pragma once

constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_DIFFERS = 3;
