// One line on what a successful transfer moved, in Russian.
#pragma once

#include <string>

#include "transfer/transfer_commands.h"

// One line on what a successful transfer did, in Russian with the number's
// own word form: "Считано: 23 слова", "Записано: 930 байт".
std::string TransferSummary(const TransferAmount& amount);
