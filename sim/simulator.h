// CSimulator: the simulated controller answering the link on a pseudo-terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "sim/controller_model.h"
#include "sim/controller_store.h"
#include "sim/fault_rule.h"
#include "sim/file_descriptor.h"
#include "sim/line_io.h"
#include "sim/pseudo_terminal.h"
#include "sim/sim_options.h"
#include "sim/transaction_log.h"

// The simulated controller: its memory, kept in a store folder, answering
// the link's requests as unit 1 on a pseudo-terminal from a thread of its
// own. Tests reach the memory and the fault rules through the thread-safe
// operations below while it runs.
class CSimulator {
public:
    explicit CSimulator(SimOptions options);
    ~CSimulator();
    CSimulator(const CSimulator&) = delete;
    CSimulator& operator=(const CSimulator&) = delete;

    // Loads or seeds the store, opens the log and the pseudo-terminal and
    // starts answering. False with a one-line `error` when any of it fails.
    bool Start(std::string& error);
    // Stops answering and waits for the request thread; idempotent.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    // The pty slave a client opens as its serial port.
    const std::string& SlavePath() const { return m_pty.SlavePath(); }
    const std::string& StoreFolder() const { return m_store.Folder(); }

    // Rules take effect from the next request; an nth rule counts from it.
    void AddFault(const FaultRule& rule);
    void ClearFaults();
    // Requests framed so far, answered or not.
    std::uint64_t RequestCount() const;

    ControllerInfo Descriptor() const;
    std::vector<std::uint8_t> GeneralParams() const;
    std::vector<std::uint8_t> AxisBlock(std::uint8_t axis) const;
    std::uint16_t ProgramSize(ProgramId id) const;
    std::vector<ProgramFrame> ProgramFrames(ProgramId id) const;
    // Replace memory and store at once; false when the sizes do not fit,
    // the program does not exist or the store cannot be written.
    bool SetGeneralParams(std::span<const std::uint8_t> bytes);
    bool SetAxisParams(std::span<const std::uint8_t> bytes);
    bool SetProgramFrames(ProgramId id, std::span<const ProgramFrame> frames);
    // Takes all 16 bytes of `descriptor`, reserved ones included, and resizes
    // the parameter blocks to its sizes as a start with those sizes would.
    bool SetDescriptor(const ControllerInfo& descriptor);

    // A frame that sits in the input too long without the rest of its
    // request is dropped: longer than any pause inside one request, shorter
    // than the link's shortest read time-out.
    static constexpr std::chrono::milliseconds FRAME_GAP{20};

private:
    struct ActiveFault {
        FaultRule rule;
        std::uint64_t base; // RequestCount when the rule was set
    };

    void Run();
    void Serve(CLineIo& io);
    // False when the loop is to end; otherwise `refused` says whether the
    // request read can be answered.
    bool ReadRequest(CLineIo& io, std::vector<std::uint8_t>& request,
                     std::optional<NoReplyReason>& refused);
    void Transmit(CLineIo& io, const ReplyPlan& plan, CLineIo::Clock::time_point requestStart,
                  std::size_t requestSize);
    ReplyPlan Respond(std::span<const std::uint8_t> request);
    bool Persist(const ChangedUnit& unit);

    SimOptions m_options;
    CControllerStore m_store;
    CPseudoTerminal m_pty;
    CTransactionLog m_log; // the request thread's only
    CFileDescriptor m_stop;
    std::thread m_thread;

    mutable std::mutex m_mutex; // guards what follows
    std::optional<CControllerModel> m_model;
    std::vector<ActiveFault> m_faults;
    std::uint64_t m_requests = 0;
};
