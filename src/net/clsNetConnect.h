#pragma once

#include "net/NetProvider.h"
#include "net/NetworkDrive.h"
#include "net/ResponsiveWait.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zdr::net {

// One network drive of a task side: parses the task's network-drive code
// ("flags|drive|share|user|password"), connects the share to the drive when
// the drive does not answer yet (three tries, 5 s apart) and removes the
// mapping again when asked. The password is kept only until the drive is
// connected or the object goes, and never appears in a message.
class clsNetConnect final : public NetworkDrive {
public:
    static constexpr int kConnectTries = 3;
    static constexpr double kSecondsBetweenTries = 5.0;
    static constexpr std::uint32_t kFlagDisconnectAfterAction = 2;

    clsNetConnect(std::shared_ptr<NetProvider> provider, WaitHooks waitHooks);
    ~clsNetConnect() override;
    clsNetConnect(const clsNetConnect&) = delete;
    clsNetConnect& operator=(const clsNetConnect&) = delete;

    bool fc_Init(const std::string& code) override;
    bool fc_Connect(std::string& message) override;
    bool fc_DisConnect(std::string& message) override;

    std::string LocalName() const override { return localName_; }
    std::string RemoteName() const override { return remoteName_; }
    bool Connected() const override { return connected_; }
    bool DisConnectAfterAction() const override { return (flags_ & kFlagDisconnectAfterAction) != 0; }

private:
    void forgetPassword();
    // A provider's failure text with the password blotted out, should a
    // tool ever have echoed it.
    std::string withoutPassword(std::string text) const;

    std::shared_ptr<NetProvider> provider_;
    WaitHooks waitHooks_;
    std::uint32_t flags_ = 0;
    std::string localName_;
    std::string remoteName_;
    std::string userName_;
    std::string password_;
    bool connected_ = false;
};

} // namespace zdr::net
