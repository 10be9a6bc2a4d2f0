// CPortPublisher: the simulator's port link made in the port folder and taken away.
#include "sim/port_publisher.h"

#include "link/port_names.h"
#include "platform/file_error.h"
#include "sim/sim_messages.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

CPortPublisher::~CPortPublisher()
{
    Withdraw();
}

bool CPortPublisher::Publish(const std::string& folder, const std::string& name,
                             const std::string& target, std::string& error)
{
    Withdraw();
    if (name.empty() || name.find('/') != std::string::npos || name.front() == '.') {
        error = SimMsg::NotAPortName(name);
        return false;
    }
    std::error_code ec;
    CreatePortFolder(folder, ec);
    if (ec) {
        error = SimMsg::PortFolderNotMade(folder, SystemErrorReason(ec.value()));
        return false;
    }
    const std::string link = folder + "/" + name;
    const auto status = fs::symlink_status(link, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        error = SimMsg::PortNameTaken(link);
        return false;
    }
    // A link left by a simulator that did not end cleanly is replaced; so is
    // one of a simulator still running, as the operator asked for this name.
    // The new link goes in under a temporary name and is renamed over the
    // old one, so the name never points nowhere.
    m_replaced.clear();
    if (fs::is_symlink(status))
        m_replaced = fs::read_symlink(link, ec).string();
    const std::string temp = link + ".new." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
        error = SimMsg::LinkNotMade(link, SystemErrorReason(errno));
        ::unlink(temp.c_str());
        return false;
    }
    m_link = link;
    m_target = target;
    return true;
}

void CPortPublisher::Withdraw()
{
    if (m_link.empty())
        return;
    std::error_code ec;
    if (fs::is_symlink(m_link, ec) && fs::read_symlink(m_link, ec) == m_target)
        ::unlink(m_link.c_str());
    m_link.clear();
    m_target.clear();
}
