// CPortPublisher: the simulator's pty published under a port name in the port folder.
#pragma once

#include <string>

// Publishes the simulator's pty under a port name ("COM3") as a symbolic
// link in the port folder, where the link's name resolver looks, and takes
// it away again when the publisher goes.
class CPortPublisher {
public:
    CPortPublisher() = default;
    ~CPortPublisher();
    CPortPublisher(const CPortPublisher&) = delete;
    CPortPublisher& operator=(const CPortPublisher&) = delete;

    // Creates folder/name -> target, creating the folder if needed and
    // replacing a stale link; refuses to replace anything that is not a
    // symbolic link, and names that are not a plain file name.
    bool Publish(const std::string& folder, const std::string& name, const std::string& target,
                 std::string& error);
    // Removes the link if it is still ours.
    void Withdraw();

    const std::string& LinkPath() const { return m_link; }
    // Where the link that Publish replaced pointed; empty when there was
    // none.
    const std::string& ReplacedTarget() const { return m_replaced; }

private:
    std::string m_link;
    std::string m_target;
    std::string m_replaced;
};
