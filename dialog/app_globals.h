// The process-wide objects of the dialog application: link, descriptor and buffer.
#pragma once

#include <array>
#include <cstdint>

#include "transfer/transfer_commands.h"
#include "link/controller_info.h"
#include "link/controller_link.h"

// The process-wide objects of the dialog application. The link opens COM1
// at 38400 baud with a read time-out of 100 ms while the process starts; a
// failure leaves it closed.
extern CControllerLink theLink;
extern ControllerInfo theControllerInfo;
extern std::array<std::uint8_t, TRANSFER_BUFFER_SIZE> theTransferBuffer;
