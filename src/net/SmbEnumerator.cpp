#include "net/SmbEnumerator.h"

#include "net/UncName.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstring>
#include <libsmbclient.h>

namespace zdr::net {

namespace {

// libsmbclient brings about a hundred libraries of its own: loaded when a
// network is first walked, every other run starts without them.
struct SmbLibrary {
    decltype(&smbc_new_context) newContext = nullptr;
    decltype(&smbc_free_context) freeContext = nullptr;
    decltype(&smbc_init_context) initContext = nullptr;
    decltype(&smbc_setDebug) setDebug = nullptr;
    decltype(&smbc_setOptionUserData) setOptionUserData = nullptr;
    decltype(&smbc_getOptionUserData) getOptionUserData = nullptr;
    decltype(&smbc_setFunctionAuthDataWithContext) setFunctionAuthDataWithContext = nullptr;
    decltype(&smbc_setTimeout) setTimeout = nullptr;
    decltype(&smbc_setPort) setPort = nullptr;
    decltype(&smbc_setOptionUseKerberos) setOptionUseKerberos = nullptr;
    decltype(&smbc_setOptionFallbackAfterKerberos) setOptionFallbackAfterKerberos = nullptr;
    decltype(&smbc_getFunctionOpendir) getFunctionOpendir = nullptr;
    decltype(&smbc_getFunctionReaddir) getFunctionReaddir = nullptr;
    decltype(&smbc_getFunctionClosedir) getFunctionClosedir = nullptr;
    bool loaded = false;
};

template <class F>
bool bind(void* handle, F& function, const char* name)
{
    function = reinterpret_cast<F>(dlsym(handle, name));
    return function != nullptr;
}

// The library, loaded once; `loaded` is false where it is not installed.
const SmbLibrary& smbLibrary()
{
    static const SmbLibrary library = [] {
        SmbLibrary l;
        void* handle = dlopen("libsmbclient.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return l;
        l.loaded = bind(handle, l.newContext, "smbc_new_context") && bind(handle, l.freeContext, "smbc_free_context")
            && bind(handle, l.initContext, "smbc_init_context") && bind(handle, l.setDebug, "smbc_setDebug")
            && bind(handle, l.setOptionUserData, "smbc_setOptionUserData")
            && bind(handle, l.getOptionUserData, "smbc_getOptionUserData")
            && bind(handle, l.setFunctionAuthDataWithContext, "smbc_setFunctionAuthDataWithContext")
            && bind(handle, l.setTimeout, "smbc_setTimeout") && bind(handle, l.setPort, "smbc_setPort")
            && bind(handle, l.setOptionUseKerberos, "smbc_setOptionUseKerberos")
            && bind(handle, l.setOptionFallbackAfterKerberos, "smbc_setOptionFallbackAfterKerberos")
            && bind(handle, l.getFunctionOpendir, "smbc_getFunctionOpendir")
            && bind(handle, l.getFunctionReaddir, "smbc_getFunctionReaddir")
            && bind(handle, l.getFunctionClosedir, "smbc_getFunctionClosedir");
        return l; // the handle stays open for the program's life
    }();
    return library;
}

} // namespace

struct SmbEnumerator::Context {
    Options options;
    SMBCCTX* smb = nullptr;

    ~Context()
    {
        if (smb)
            smbLibrary().freeContext(smb, 1);
    }
};

namespace {

void copyInto(char* buffer, int size, const std::string& text)
{
    if (size <= 0)
        return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// libsmbclient asks for credentials per server; the options' credentials
// (empty: anonymous) answer for all of them.
void answerCredentials(SMBCCTX* smb, const char*, const char*, char* workgroup, int workgroupSize, char* user,
                       int userSize, char* password, int passwordSize)
{
    const auto* options = static_cast<const SmbEnumerator::Options*>(smbLibrary().getOptionUserData(smb));
    if (!options->domain.empty())
        copyInto(workgroup, workgroupSize, options->domain);
    copyInto(user, userSize, options->user);
    copyInto(password, passwordSize, options->password);
}

bool shareMatches(unsigned int smbType, std::uint32_t resourceType)
{
    if (resourceType == resource::kTypeDisk)
        return smbType == SMBC_FILE_SHARE;
    if (resourceType == resource::kTypePrint)
        return smbType == SMBC_PRINTER_SHARE;
    return true;
}

NetResource record(std::uint32_t type, std::uint32_t displayType, std::uint32_t usage, std::string remoteName,
                   std::string comment = {})
{
    NetResource r;
    r.dwType = type;
    r.dwDisplayType = displayType;
    r.dwUsage = usage;
    r.RemoteName = std::move(remoteName);
    r.Comment = std::move(comment);
    r.Provider = SmbEnumerator::kProvider;
    return r;
}

} // namespace

SmbEnumerator::SmbEnumerator() : SmbEnumerator(Options{}) {}

SmbEnumerator::SmbEnumerator(Options options) : context_(std::make_unique<Context>())
{
    context_->options = std::move(options);
    const SmbLibrary& lib = smbLibrary();
    if (!lib.loaded)
        return; // no network then, as without a context
    SMBCCTX* smb = lib.newContext();
    if (!smb)
        return;
    lib.setDebug(smb, 0);
    lib.setOptionUserData(smb, &context_->options);
    lib.setFunctionAuthDataWithContext(smb, answerCredentials);
    lib.setTimeout(smb, context_->options.timeoutMilliseconds);
    if (context_->options.port > 0)
        lib.setPort(smb, static_cast<std::uint16_t>(context_->options.port));
    lib.setOptionUseKerberos(smb, 0);
    lib.setOptionFallbackAfterKerberos(smb, 1);
    if (!lib.initContext(smb)) {
        lib.freeContext(smb, 0);
        return;
    }
    context_->smb = smb;
}

SmbEnumerator::~SmbEnumerator() = default;

platform::ErrorCode SmbEnumerator::enumerate(const NetResource* container, std::uint32_t resourceType,
                                             const std::function<void(const NetResource&)>& found)
{
    using namespace resource;
    if (!container) {
        found(record(kTypeAny, kDisplayNetwork, kUsageContainer, kNetworkName));
        return 0;
    }
    if (!context_->smb)
        return platform::error::kNoNetwork;

    std::string url;
    std::string serverPrefix;
    switch (container->dwDisplayType) {
    case kDisplayNetwork: url = "smb://"; break;
    case kDisplayDomain: url = "smb://" + percentEncoded(container->RemoteName) + "/"; break;
    case kDisplayServer: {
        std::string host = container->RemoteName;
        host.erase(0, host.find_first_not_of('\\'));
        url = "smb://" + percentEncoded(host) + "/";
        serverPrefix = "\\\\" + host + "\\";
        break;
    }
    default: return 0;
    }

    platform::ErrorCode result = 0;
    const bool listSmb = container->dwDisplayType != kDisplayNetwork || context_->options.browseWorkgroups;
    if (listSmb) {
        SMBCCTX* smb = context_->smb;
        const SmbLibrary& lib = smbLibrary();
        SMBCFILE* dir = lib.getFunctionOpendir(smb)(smb, url.c_str());
        if (!dir) {
            result = platform::fromErrno(errno);
        } else {
            while (const smbc_dirent* entry = lib.getFunctionReaddir(smb)(smb, dir)) {
                const std::string comment = entry->comment ? entry->comment : "";
                switch (entry->smbc_type) {
                case SMBC_WORKGROUP:
                    found(record(kTypeAny, kDisplayDomain, kUsageContainer, entry->name, comment));
                    break;
                case SMBC_SERVER:
                    found(
                        record(kTypeAny, kDisplayServer, kUsageContainer, std::string("\\\\") + entry->name, comment));
                    break;
                case SMBC_FILE_SHARE:
                case SMBC_PRINTER_SHARE:
                case SMBC_COMMS_SHARE:
                case SMBC_IPC_SHARE:
                    if (!serverPrefix.empty() && shareMatches(entry->smbc_type, resourceType)) {
                        const std::uint32_t type = entry->smbc_type == SMBC_FILE_SHARE ? kTypeDisk
                            : entry->smbc_type == SMBC_PRINTER_SHARE                   ? kTypePrint
                                                                                       : kTypeAny;
                        found(record(type, kDisplayShare, kUsageConnectable, serverPrefix + entry->name, comment));
                    }
                    break;
                default: break;
                }
            }
            lib.getFunctionClosedir(smb)(smb, dir);
        }
    }
    if (container->dwDisplayType == kDisplayNetwork) {
        for (const std::string& host : context_->options.hosts)
            found(record(kTypeAny, kDisplayServer, kUsageContainer, "\\\\" + host));
    }
    return result;
}

} // namespace zdr::net
