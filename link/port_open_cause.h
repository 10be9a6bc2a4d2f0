// Why a port did not open, for the operator, and who holds it open.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// A process that has a device open.
struct PortHolder {
    pid_t pid = 0;
    std::string command; // its name as the kernel keeps it, "minicom"
};

// The processes with `path` (or the device it leads to) open, found through
// /proc/*/fd; only those whose descriptors this user may look at.
std::vector<PortHolder> ProcessesHolding(const std::string& path);

// Why `portName` did not open, for the operator, in Russian: the device
// tried, the cause for `error` (an errno of the open) and what to do.
// Empty when `error` is 0 (no open failed).
std::string PortOpenCause(std::string_view portName, int error);
