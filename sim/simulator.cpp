// CSimulator: the request loop on its own thread, with store, faults and log.
#include "sim/simulator.h"

#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>

#include "link/link_frame.h"
#include "platform/file_error.h"
#include "sim/sim_messages.h"

namespace {

constexpr std::uint64_t STOP_SIGNAL = 1;
// Paced replies go out byte by byte at 260 µs; the default timer slack of
// 50 µs would smear them.
constexpr unsigned long PACED_TIMER_SLACK_NS = 1000;

std::string StoreFolderOf(const SimOptions& options)
{
    return options.storeDir.empty() ? CControllerStore::DefaultFolder() : options.storeDir;
}

} // namespace

CSimulator::CSimulator(SimOptions options)
    : m_options(std::move(options)), m_store(StoreFolderOf(m_options))
{
}

CSimulator::~CSimulator()
{
    Stop();
}

bool CSimulator::Start(std::string& error)
{
    if (IsRunning()) {
        error = SimMsg::ALREADY_RUNNING;
        return false;
    }
    auto model = m_store.Open(m_options.descriptor, error);
    if (!model)
        return false;
    if (!m_options.logPath.empty() && !m_log.Open(m_options.logPath, error))
        return false;
    if (!m_pty.Open(error))
        return false;
    m_stop.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_stop.IsOpen()) {
        error = SimMsg::Failed(SimMsg::NO_STOP_EVENT, SystemErrorReason(errno));
        return false;
    }
    if (!m_peerWatch.Start(m_pty.SlavePath(), m_pty.Slave(), m_stop.Get(), error))
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_model = std::move(model);
        m_faults.clear();
        for (const FaultRule& rule : m_options.faults)
            m_faults.push_back({rule, m_requests});
    }
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CSimulator::Stop()
{
    if (!m_thread.joinable())
        return;
    const std::uint64_t one = STOP_SIGNAL;
    [[maybe_unused]] const ssize_t put = ::write(m_stop.Get(), &one, sizeof one);
    m_thread.join();
    m_peerWatch.Join();
}

void CSimulator::AddFault(const FaultRule& rule)
{
    std::lock_guard lock(m_mutex);
    m_faults.push_back({rule, m_requests});
}

void CSimulator::ClearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

std::uint64_t CSimulator::RequestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

ControllerInfo CSimulator::Descriptor() const
{
    std::lock_guard lock(m_mutex);
    return m_model ? m_model->Descriptor() : ControllerInfo{};
}

std::vector<std::uint8_t> CSimulator::GeneralParams() const
{
    std::lock_guard lock(m_mutex);
    if (!m_model)
        return {};
    const auto bytes = m_model->GeneralParams();
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> CSimulator::AxisBlock(std::uint8_t axis) const
{
    std::lock_guard lock(m_mutex);
    if (!m_model)
        return {};
    const auto bytes = m_model->AxisBlock(axis);
    return {bytes.begin(), bytes.end()};
}

std::uint16_t CSimulator::ProgramSize(ProgramId id) const
{
    std::lock_guard lock(m_mutex);
    return m_model && CControllerModel::IsValid(id) ? m_model->ProgramSize(id) : 0;
}

std::vector<ProgramFrame> CSimulator::ProgramFrames(ProgramId id) const
{
    std::lock_guard lock(m_mutex);
    if (!m_model || !CControllerModel::IsValid(id))
        return {};
    return m_model->ProgramFrames(id);
}

bool CSimulator::SetGeneralParams(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(m_mutex);
    return m_model && m_model->SetGeneralParams(bytes) &&
           Persist({StoreUnit::GeneralParams, {}});
}

bool CSimulator::SetAxisParams(std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(m_mutex);
    return m_model && m_model->SetAxisParams(bytes) && Persist({StoreUnit::AxisParams, {}});
}

bool CSimulator::SetProgramFrames(ProgramId id, std::span<const ProgramFrame> frames)
{
    std::lock_guard lock(m_mutex);
    return m_model && m_model->SetProgramFrames(id, frames) && Persist({StoreUnit::Program, id});
}

bool CSimulator::SetDescriptor(const ControllerInfo& descriptor)
{
    std::lock_guard lock(m_mutex);
    if (!m_model)
        return false;
    const CControllerModel before = *m_model;
    m_model->Resize(descriptor);
    std::string error;
    if (m_store.SaveDescriptor(*m_model, error))
        return true;
    *m_model = before;
    std::string ignored;
    m_store.SaveDescriptor(*m_model, ignored);
    return false;
}

// Called with the mutex held. A write that cannot be saved is undone, so
// that memory and store never disagree.
bool CSimulator::Persist(const ChangedUnit& unit)
{
    std::string error;
    if (m_store.Save(*m_model, unit, error))
        return true;
    std::string ignored;
    m_store.Reload(*m_model, unit, ignored);
    return false;
}

void CSimulator::Run()
{
    if (m_options.pace)
        ::prctl(PR_SET_TIMERSLACK, PACED_TIMER_SLACK_NS);
    CLineIo io(m_pty.Master(), m_stop.Get());
    Serve(io);
}

ReplyPlan CSimulator::Respond(std::span<const std::uint8_t> request)
{
    std::lock_guard lock(m_mutex);
    const std::uint64_t ordinal = ++m_requests;
    // A corrupting store takes the request with a byte flipped; the reply
    // still says what the PC sent.
    std::vector<std::uint8_t> stored(request.begin(), request.end());
    bool corrupted = false;
    bool refused = false;
    const RequestKind kind = RequestHandler::Classify(request);
    for (const ActiveFault& f : m_faults) {
        if (!FaultApplies(f.rule, kind, ordinal - f.base))
            continue;
        if (f.rule.mode == FaultMode::Corrupt)
            corrupted = CorruptWrite(stored) || corrupted;
        refused = refused || f.rule.mode == FaultMode::Exception;
    }
    // A request the controller refuses changes nothing: the exception reply
    // is its whole answer.
    Answer answer = refused ? Answer{kind, {}, {}}
                            : RequestHandler::Handle(*m_model, stored, m_options.echoWrites);
    if (corrupted && answer.reply == stored)
        answer.reply.assign(request.begin(), request.end());
    // A write the store did not take is a write the controller failed: the
    // PC must hear so rather than believe its data are safe.
    if (answer.changed && !Persist(*answer.changed))
        answer.reply = RequestHandler::BuildException(request[LinkFrame::UNIT_OFFSET],
                                                      request[LinkFrame::FUNCTION_OFFSET],
                                                      RequestHandler::DEVICE_FAILURE);
    ReplyPlan plan{std::move(answer.reply), false, 0, 0, 0};
    for (const ActiveFault& f : m_faults)
        if (FaultApplies(f.rule, answer.kind, ordinal - f.base))
            ApplyFault(f.rule, request, plan);
    return plan;
}

bool CSimulator::ReadRequest(CLineIo& io, std::vector<std::uint8_t>& request,
                             std::optional<NoReplyReason>& refused)
{
    // The header tells the length; the rest must follow without a pause
    // longer than the frame gap.
    const auto failed = [](CLineIo::Result r) {
        return r == CLineIo::Result::Stopped || r == CLineIo::Result::Error;
    };
    const CLineIo::Result got = io.Read(RequestHandler::HEADER_SIZE, FRAME_GAP, request);
    if (failed(got))
        return false;
    if (got == CLineIo::Result::Timeout) {
        refused = NoReplyReason::Incomplete;
        return true;
    }
    const RequestHandler::Framing framing = RequestHandler::FrameSize(
        std::span<const std::uint8_t, RequestHandler::HEADER_SIZE>(request.data(), request.size()));
    refused = framing.refused;
    if (refused)
        return true;
    std::vector<std::uint8_t> rest;
    const CLineIo::Result r = io.Read(framing.size - request.size(), FRAME_GAP, rest);
    if (failed(r))
        return false;
    request.insert(request.end(), rest.begin(), rest.end());
    refused = r == CLineIo::Result::Timeout ? NoReplyReason::Incomplete
                                            : RequestHandler::CheckRequest(request);
    return true;
}

void CSimulator::Serve(CLineIo& io)
{
    for (;;) {
        if (io.WaitForInput() != CLineIo::Result::Ok)
            return;
        const auto start = io.PendingSince();
        std::vector<std::uint8_t> request;
        std::optional<NoReplyReason> refused;
        if (!ReadRequest(io, request, refused))
            return;
        m_log.Request(request);

        if (refused) {
            {
                std::lock_guard lock(m_mutex);
                ++m_requests;
            }
            m_log.NoReply(NoReplyName(*refused));
            // A frame for another unit is whole and leaves the line in step;
            // after anything else, what follows may be its tail: wait for
            // the line to go quiet before taking the next request.
            if (*refused != NoReplyReason::OtherUnit) {
                const auto dropped = io.Drain(FRAME_GAP);
                if (!dropped.empty())
                    m_log.Dropped(dropped);
            }
            continue;
        }

        const ReplyPlan plan = Respond(request);
        if (plan.silent) {
            m_log.NoReply(NoReplyName(NoReplyReason::FaultSilent));
            continue;
        }
        Transmit(io, plan, start, request.size());
    }
}

void CSimulator::Transmit(CLineIo& io, const ReplyPlan& plan,
                          CLineIo::Clock::time_point requestStart, std::size_t requestSize)
{
    using Clock = CLineIo::Clock;
    const auto delay = std::chrono::milliseconds(plan.delayMs);
    const auto gap = std::chrono::milliseconds(plan.gapMs);
    const std::span<const std::uint8_t> bytes = plan.bytes;
    const std::size_t gapAfter = plan.gapMs > 0 ? plan.gapAfter : bytes.size();

    // The line is busy with the request until its last byte is in; paced,
    // each reply byte then takes its own byte time. Deadlines are absolute,
    // so a late wake-up does not push every later byte back.
    const Clock::time_point begin =
        (m_options.pace ? std::max(Clock::now(), requestStart + CLineIo::LineTime(requestSize))
                        : Clock::now()) +
        delay;
    if (!io.WaitUntil(begin))
        return;
    // Logged as the reply starts, so that whoever has the reply in hand
    // finds its line in the log.
    m_log.Reply(bytes);

    bool sent = true;
    if (m_options.pace) {
        for (std::size_t i = 0; sent && i < bytes.size(); ++i) {
            auto at = begin + CLineIo::LineTime(i);
            if (i >= gapAfter)
                at += gap;
            sent = io.WaitUntil(at) && io.Write(bytes.subspan(i, 1)) == CLineIo::Result::Ok;
        }
    } else {
        sent = io.Write(bytes.first(gapAfter)) == CLineIo::Result::Ok;
        if (sent && gapAfter < bytes.size())
            sent = io.WaitUntil(Clock::now() + gap) &&
                   io.Write(bytes.subspan(gapAfter)) == CLineIo::Result::Ok;
    }
    if (!sent)
        m_log.NoReply("not-sent");
}
