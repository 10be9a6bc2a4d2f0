// The dialog application's link, controller descriptor and transfer buffer.
#include "dialog/app_globals.h"

namespace {
constexpr std::uint16_t START_BAUD_RATE = 38400;
constexpr std::uint16_t START_TIMEOUT_MS = 100;
} // namespace

CControllerLink theLink(START_BAUD_RATE, "COM1", START_TIMEOUT_MS);
ControllerInfo theControllerInfo;
std::array<std::uint8_t, TRANSFER_BUFFER_SIZE> theTransferBuffer{};
