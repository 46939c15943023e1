#include "shellext/ContextMenuHandler.h"

#include "shellext/HandOffPlan.h"
#include "shellext/HandOffWire.h"
#include "shellext/Menu.h"
#include "shellext/MenuCommands.h"
#include "shellext/ProcessStart.h"
#include "shellext/WireClient.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

namespace zdr::shellext {

namespace {

constexpr const char* kCaption = "ZendorShellExtension";
constexpr const char* kProgramName = "Zendor DaroRazu";
constexpr const char* kCannotSend =
    "Fehler beim Aufrufen des Programmes Zendor DaroRazu.exe\nKann Nachrichten nicht senden.";
constexpr const char* kRefused = "Aktion abgebrochen, nichts wurde übergeben.\n";
// The receiver answers each message at once; this only guards against a hung one.
constexpr int kAnswerTimeoutMs = 30000;
// Every name of the file list is read into a buffer of this size.
constexpr std::size_t kNameBuffer = PATH_MAX;

// A process of that number runs (or has ended and waits to be collected).
bool processAlive(long process) { return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM; }

bool readName(const char* name, std::string& out)
{
    if (!name || name[0] != '/')
        return false;
    const std::size_t length = strnlen(name, kNameBuffer);
    if (length == kNameBuffer)
        return false;
    out.assign(name, length);
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return true;
}

zse_Menu::Item stringItem(const MenuCommand& command, unsigned idCmdFirst)
{
    zse_Menu::Item item;
    item.kind = ZSE_MF_STRING;
    item.id = idCmdFirst + static_cast<unsigned>(command.offset);
    item.bitmap = command.bitmap;
    item.text = command.menuText;
    return item;
}

zse_Menu::Item separator()
{
    zse_Menu::Item item;
    item.kind = ZSE_MF_SEPARATOR;
    return item;
}

// Copies text into a buffer of cchMax bytes, cut at a character boundary and
// always terminated.
void copyUtf8(std::string_view text, char* name, unsigned cchMax)
{
    std::size_t length = std::min<std::size_t>(text.size(), cchMax - 1);
    while (length > 0 && length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    std::memcpy(name, text.data(), length);
    name[length] = '\0';
}

std::u16string toUtf16(std::string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        char32_t point = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < text.size(); ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        if (point >= 0x10000) {
            point -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (point >> 10));
            out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        } else {
            out += static_cast<char16_t>(point);
        }
    }
    return out;
}

// The same for UTF-16 units; a surrogate pair is never split.
void copyUtf16(std::string_view text, char* name, unsigned cchMax)
{
    const std::u16string wide = toUtf16(text);
    std::size_t length = std::min<std::size_t>(wide.size(), cchMax - 1);
    if (length > 0 && length < wide.size() && wide[length - 1] >= 0xD800 && wide[length - 1] < 0xDC00)
        --length;
    const char16_t zero = 0;
    std::memcpy(name, wide.data(), length * sizeof(char16_t));
    std::memcpy(name + length * sizeof(char16_t), &zero, sizeof(zero));
}

} // namespace

ContextMenuHandler::ContextMenuHandler() : moduleFolder_(moduleFolder()) {}

void ContextMenuHandler::setMessageCallback(zse_MessageFn fn, void* context)
{
    messageFn_ = fn;
    messageContext_ = context;
}

void ContextMenuHandler::pinTime(const timespec& utc) { pinnedTime_ = utc; }

void ContextMenuHandler::setReceiverWait(int retries, int intervalMs)
{
    waitRetries_ = std::max(0, retries);
    waitIntervalMs_ = std::max(0, intervalMs);
}

void ContextMenuHandler::message(const std::string& text) const
{
    if (messageFn_)
        messageFn_(messageContext_, kCaption, text.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", kCaption, text.c_str());
}

ZSE_HRESULT ContextMenuHandler::Initialize(const char* folder, const char* const* names, int count)
{
    std::string first;
    if (!names || count <= 0 || !readName(names[0], first))
        return ZSE_E_INVALIDARG;
    selected_.clear();
    shellFolder_.clear();
    if (folder && *folder && !readName(folder, shellFolder_))
        return ZSE_E_INVALIDARG;
    std::vector<std::string> selected;
    selected.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string name;
        if (!readName(names[i], name))
            return ZSE_E_INVALIDARG;
        selected.push_back(std::move(name));
    }
    selected_ = std::move(selected);
    return ZSE_S_OK;
}

ZSE_HRESULT ContextMenuHandler::QueryContextMenu(zse_Menu& menu, unsigned indexMenu, unsigned idCmdFirst,
                                                 unsigned idCmdLast, unsigned flags) const
{
    // Without room for every offset the identifiers would collide with the
    // file manager's own.
    if ((flags & ZSE_CMF_DEFAULTONLY) != 0 || idCmdLast < idCmdFirst || idCmdLast - idCmdFirst < kInfoDir)
        return 0;
    if (flags == ZSE_CMF_NORMAL) {
        menu.insert(indexMenu, stringItem(*menuCommand(kCopy), idCmdFirst));
        menu.insert(indexMenu + 1, separator());
        return 2;
    }
    zse_Menu::Item information;
    information.kind = ZSE_MF_POPUP;
    information.bitmap = kInfoSubmenuBitmap;
    information.text = kInfoSubmenuText;
    information.submenu = std::make_unique<zse_Menu>();
    information.submenu->insert(0, stringItem(*menuCommand(kInfo), idCmdFirst));
    information.submenu->insert(1, stringItem(*menuCommand(kInfoDir), idCmdFirst));

    unsigned position = indexMenu;
    menu.insert(position++, separator());
    menu.insert(position++, std::move(information));
    menu.insert(position++, stringItem(*menuCommand(kCopy), idCmdFirst));
    menu.insert(position++, stringItem(*menuCommand(kDelete), idCmdFirst));
    menu.insert(position++, separator());
    menu.insert(position++, stringItem(*menuCommand(kMkDir), idCmdFirst));
    menu.insert(position++, separator());
    return 7;
}

ZSE_HRESULT ContextMenuHandler::GetCommandString(std::uintptr_t idCmd, unsigned type, char* name, unsigned cchMax) const
{
    if ((type & ZSE_GCS_HELPTEXTA) == 0)
        return ZSE_S_OK;
    const MenuCommand* command = idCmd <= kInfoDir ? menuCommand(static_cast<int>(idCmd)) : nullptr;
    if (!command)
        return ZSE_E_INVALIDARG;
    if (!name || cchMax == 0)
        return ZSE_S_OK;
    if ((type & ZSE_GCS_UNICODE) != 0)
        copyUtf16(command->helpText, name, cchMax);
    else
        copyUtf8(command->helpText, name, cchMax);
    return ZSE_S_OK;
}

ZSE_HRESULT ContextMenuHandler::InvokeCommand(const char* verb) const
{
    // Counted per process: the threads of one file manager may hand off at once.
    static std::atomic<unsigned> handOffs{0};
    timespec now = pinnedTime_;
    if (now.tv_sec == 0 && now.tv_nsec == 0)
        clock_gettime(CLOCK_REALTIME, &now);
    const std::string key = wire::handOffKey(now, static_cast<long>(getpid()), handOffs++);

    const auto value = reinterpret_cast<std::uintptr_t>(verb);
    if ((value >> 16) != 0)
        return ZSE_E_INVALIDARG;
    const int offset = static_cast<int>(value & 0xFFFF);
    if (!menuCommand(offset))
        return ZSE_S_OK;

    HandOffPlan plan;
    std::string error;
    std::string socketPath;
    if (!planHandOff(offset, selected_, shellFolder_, key, plan, error)
        || !wire::receiverSocketPath(key, socketPath, error)) {
        message(kRefused + error);
        return ZSE_E_INVALIDARG;
    }
    int startError = 0;
    long started = 0;
    if (!startDetached(moduleFolder_ + "/" + kProgramName, plan.arguments, moduleFolder_, started, startError)) {
        message("Fehler beim Aufrufen des Programmes Zendor DaroRazu.exe.\n" + plan.commandLine);
        return ZSE_E_INVALIDARG;
    }

    // The entries go only to the program started here: the process that
    // listens under the key must be that one.
    wire::WireClient client;
    using Connect = wire::WireClient::ConnectResult;
    Connect found = client.connectTo(socketPath, started);
    for (int attempt = 0; found == Connect::NoReceiver && attempt < waitRetries_ && processAlive(started); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(waitIntervalMs_));
        found = client.connectTo(socketPath, started);
    }
    if (found == Connect::Stranger) {
        message(std::string(kCannotSend) + "\nUnter dem Übergabeschlüssel " + key + " empfängt ein anderes Programm"
                + (client.peer() > 0 ? " (Prozess " + std::to_string(client.peer()) + ")" : std::string())
                + " als das gestartete (Prozess " + std::to_string(started) + "); nichts wurde übergeben.");
        return ZSE_E_FAIL;
    }
    if (found != Connect::Connected) {
        message(kCannotSend);
        return ZSE_E_FAIL;
    }
    const auto sendOne = [&](std::uint32_t dwData, const std::string& payload) {
        switch (client.send(dwData, payload, kAnswerTimeoutMs)) {
        case wire::WireClient::SendResult::Accepted: return true;
        case wire::WireClient::SendResult::Refused: return false; // the program tells the user why
        case wire::WireClient::SendResult::Broken: break;
        }
        message(kCannotSend);
        return false;
    };
    for (const std::string& entry : plan.entries)
        if (!sendOne(wire::kEntry, entry))
            return ZSE_E_FAIL;
    return sendOne(wire::kEnd, plan.endText) ? ZSE_S_OK : ZSE_E_FAIL;
}

} // namespace zdr::shellext
