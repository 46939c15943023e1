// Fuzz target: whatever a sender writes to the receiver's socket, cut into
// any pieces, the decoder yields only payloads within the limit, stops for
// good at a malformed frame, and every payload the entry rules accept is
// clean: no "..", no ";", below the source. Hand-off keys made of any time,
// process and count are valid keys, and two hand-offs in the
// same millisecond never share one.
#include "shellext/HandOffWire.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

namespace wire = zdr::shellext::wire;

void checkKeys(const std::uint8_t* data, std::size_t size)
{
    struct {
        std::int64_t seconds;
        std::int64_t nanoseconds;
        std::int64_t process[2];
        std::uint32_t number[2];
    } in{};
    std::memcpy(&in, data, std::min(size, sizeof(in)));
    const timespec at{.tv_sec = static_cast<time_t>(in.seconds), .tv_nsec = static_cast<long>(in.nanoseconds)};
    if (!wire::isValidKey(wire::handOffKey(at, static_cast<long>(in.process[0]), in.number[0])))
        __builtin_trap();
    // Process numbers of this system are below 2^22; with the count they tell hand-offs apart.
    const long process[2] = {static_cast<long>(in.process[0] & ((1 << 22) - 1)),
                             static_cast<long>(in.process[1] & ((1 << 22) - 1))};
    const bool apart = process[0] != process[1] || in.number[0] % 10000 != in.number[1] % 10000;
    if (apart && wire::handOffKey(at, process[0], in.number[0]) == wire::handOffKey(at, process[1], in.number[1]))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    checkKeys(data, size);
    const std::size_t chunk = data[0] % 16 + 1;
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    wire::Decoder decoder;
    bool malformed = false;
    for (std::size_t i = 0; i < stream.size(); i += chunk) {
        decoder.feed(stream.substr(i, chunk));
        wire::Message message;
        for (;;) {
            const wire::Decoder::Result result = decoder.next(message);
            if (result == wire::Decoder::Result::NeedMore)
                break;
            if (result == wire::Decoder::Result::Malformed) {
                malformed = true;
                break;
            }
            if (malformed || message.payload.size() > wire::kMaxPayload)
                __builtin_trap();
            std::string error;
            for (const bool fullPath : {false, true}) {
                if (!wire::checkEntry(message.payload, fullPath, error))
                    continue;
                if (wire::hasDotStep(message.payload) || message.payload.find(';') != std::string::npos
                    || message.payload.front() != '/' || (!fullPath && message.payload.size() < 2))
                    __builtin_trap();
            }
        }
    }
    return 0;
}
