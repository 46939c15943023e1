#include "net/clsNetConnect.h"

#include "net/NetErrors.h"
#include "util/Text.h"

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
    : provider_(std::move(provider))
    , waitHooks_(std::move(waitHooks))
{
}

clsNetConnect::~clsNetConnect() { forgetPassword(); }

bool clsNetConnect::fc_Init(const std::string& code)
{
    if (code.empty())
        return false;
    std::vector<std::string> fields = util::split(code, "|");
    // A code the dialog did not write (fewer fields) cannot name a share
    // with its credentials; it is refused rather than half applied.
    if (fields.size() < kCodeFields)
        return false;
    // The password is the rest of the code, so one typed with a "|" in it
    // still reaches the server whole.
    std::string password = fields[4];
    for (std::size_t i = kCodeFields; i < fields.size(); ++i)
        password += "|" + fields[i];

    forgetPassword();
    flags_ = static_cast<std::uint32_t>(util::numberValue(fields[0]));
    localName_ = fields[1];
    // "X" means the drive "X:"; an empty drive stays empty (nothing to map).
    if (!localName_.empty() && !util::endsWith(localName_, ":"))
        localName_ += ":";
    remoteName_ = fields[2];
    userName_ = fields[3];
    password_ = std::move(password);
    for (std::string& field : fields)
        explicit_bzero(field.data(), field.size());
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
    return util::replaceAll(text, password_, "***");
}

} // namespace zdr::net
