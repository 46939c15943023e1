#include "net/clsNetConnect.h"

#include "base/ParameterCodes.h"
#include "base/Text.h"
#include "net/NetErrors.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zdr::net {

namespace {
constexpr const char* kErrorHead = "Fehler: ";
constexpr const char* kConnectFailed = "Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: ";
constexpr const char* kDisconnectFailed = "Netzlaufwerk konnte nicht getrennt werden: ";
constexpr std::size_t kCodeFields = 5;
} // namespace

clsNetConnect::clsNetConnect(std::shared_ptr<NetProvider> provider, WaitHooks waitHooks)
    : provider_(std::move(provider)), waitHooks_(std::move(waitHooks))
{
}

clsNetConnect::~clsNetConnect() { forgetPassword(); }

bool clsNetConnect::fc_Init(const std::string& code)
{
    if (code.empty())
        return false;
    // A code the dialog did not write (fewer than five fields) cannot name a
    // share with its credentials; it is refused rather than half applied.
    if (std::count(code.begin(), code.end(), '|') < static_cast<std::ptrdiff_t>(kCodeFields - 1))
        return false;
    // Other faults of the code (a drive that is no letter, a share of
    // another form) are left to the connection, which names them.
    base::ParsedCode<base::NetConnectCode> parsed = base::parseNetConnectCode(code);
    forgetPassword();
    flags_ = parsed.code.flags;
    localName_ = parsed.code.localName;
    // "X" means the drive "X:"; an empty drive stays empty (nothing to map).
    if (!localName_.empty() && !base::endsWith(localName_, ":"))
        localName_ += ":";
    remoteName_ = parsed.code.remoteName;
    userName_ = parsed.code.user;
    password_ = parsed.code.password;
    explicit_bzero(parsed.code.password.data(), parsed.code.password.size());
    return true;
}

bool clsNetConnect::fc_Connect(std::string& message)
{
    if (localName_.empty())
        return true;
    if (provider_->pathAnswers(localName_)) {
        message.clear();
        return true;
    }
    for (int attempt = 1;; ++attempt) {
        const NetCallResult result = provider_->connect(localName_, remoteName_, userName_, password_);
        if (!result.failure.empty()) {
            message = withoutPassword(result.failure);
            return false;
        }
        if (result.code == platform::error::kSuccess) {
            connected_ = true;
            message.clear();
            forgetPassword();
            return true;
        }
        message = std::string(kErrorHead) + kConnectFailed + fc_NetErrorText(result.code);
        if (attempt == kConnectTries)
            return false;
        sb_Wait(kSecondsBetweenTries, waitHooks_);
    }
}

bool clsNetConnect::fc_DisConnect(std::string& message)
{
    const NetCallResult result = provider_->cancel(localName_, true);
    if (!result.failure.empty()) {
        message = withoutPassword(result.failure);
        return false;
    }
    if (result.code != platform::error::kSuccess) {
        message = std::string(kErrorHead) + kDisconnectFailed + fc_NetErrorText(result.code);
        return false;
    }
    connected_ = false;
    message.clear();
    return true;
}

void clsNetConnect::forgetPassword()
{
    explicit_bzero(password_.data(), password_.size());
    password_.clear();
}

std::string clsNetConnect::withoutPassword(std::string text) const
{
    if (password_.empty())
        return text;
    return base::replaceAll(text, password_, "***");
}

} // namespace zdr::net
