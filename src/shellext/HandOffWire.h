#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <ctime>
#include <sys/socket.h>
#include <sys/un.h>

// The hand-off wire between the file-manager extension and the program, used
// by both sides. The receiver listens on a local socket named after its
// window title in the user's runtime folder; every message carries dwData and
// at most 256 bytes of payload and is answered before the next one is sent.
//
// Frame: dwData (4 bytes, little endian), payload size (4 bytes, little
// endian), payload. Answer: one byte, Reply.
namespace zdr::shellext::wire {

inline constexpr std::string_view kReceiverTitlePrefix = "Zendor DaroRazu - ";
inline constexpr std::size_t kMaxPayload = 256;
inline constexpr std::size_t kHeaderSize = 8;
// The key is "%d" seven times; a longer one cannot come from a real clock.
inline constexpr std::size_t kMaxKeyLength = 32;

inline constexpr std::uint32_t kEntry = 1; // one selected entry
inline constexpr std::uint32_t kEnd = 2;   // end of the selection, the count in decimal

// Source folder of a hand-off whose entries are full paths (the root or a
// mount root was selected).
inline constexpr std::string_view kMyComputer = "<Arbeitsplatz>";

enum class Reply : std::uint8_t { Refused = 0, Accepted = 1 };

struct Message {
    std::uint32_t dwData = 0;
    std::string payload;
};

// "Zendor DaroRazu - " + key.
std::string receiverTitle(std::string_view key);

// Keys are decimal digits only: they end up in a file name.
bool isValidKey(std::string_view key);

// The key of one hand-off: day, month, year, hour, minute, second and
// millisecond of a UTC time ("%d" each), then the sending process (seven
// digits) and that process's count of hand-offs (four digits). Two
// hand-offs in one millisecond, from one process or two, never share a key,
// and with it the receiver's socket.
std::string handOffKey(const timespec& utcNow, long process, unsigned number);

// The folder receivers listen in: $XDG_RUNTIME_DIR (the user's own) when
// set; false without one.
bool runtimeFolder(std::string& folder);

// Address of the receiver for a key: a socket in the runtime folder, or,
// without one, a name in the abstract namespace ("\0zendor-darorazu-<uid>-"
// + title), so no folder in a shared place is needed that another user
// could make first; both ends check that the other runs as the same user.
// Fails for a bad key or an address longer than a local socket holds.
[[nodiscard]] bool receiverSocketPath(std::string_view key, std::string& path, std::string& error);

// An address in the abstract namespace begins with a NUL.
bool isAbstractAddress(std::string_view path);
// The local socket address of a path from receiverSocketPath.
bool socketAddress(const std::string& path, sockaddr_un& address, socklen_t& length);
// A socket listening at a path from receiverSocketPath (the receiver's end);
// -1 with a German reason when the name is taken or the socket cannot be
// made. A socket file (in the runtime folder) only this user may reach
// (mode 600); one left by a receiver that died is replaced, a live
// receiver's is not ("ein anderes Programm empfängt bereits ...").
int listenReceiver(const std::string& path, std::string& error);

// One frame; fails when the payload exceeds kMaxPayload.
bool encodeMessage(std::uint32_t dwData, std::string_view payload, std::string& frame);

// Cuts frames out of a byte stream.
class Decoder {
public:
    enum class Result { NeedMore, Message, Malformed };

    void feed(std::string_view bytes) { buffer_.append(bytes); }
    // Malformed (a payload size over kMaxPayload) is final: the stream cannot
    // be resynchronised.
    Result next(Message& message);

private:
    std::string buffer_;
    bool malformed_ = false;
};

// True when a path has a "." or ".." step.
bool hasDotStep(std::string_view path);

// The rules both sides apply to one entry's hand-off text, so that nothing is
// ever run on a wrong path: it begins with "/", names something below the
// source folder (or is a full path when the source is kMyComputer), has no
// "." or ".." step, no ";" (the separator of a task's selection), no "\"
// (a folder marker of stored selections) and fits
// into one message. Returns false with a German reason.
[[nodiscard]] bool checkEntry(std::string_view entry, bool fullPath, std::string& error);

// True when the process at the other end of a connected local socket runs as
// the same user as this one.
bool peerIsSameUser(int socketFd);
// The process at the other end of a connected local socket (the one that
// listened, seen from the sender); 0 when the system does not say.
long peerProcess(int socketFd);

} // namespace zdr::shellext::wire
