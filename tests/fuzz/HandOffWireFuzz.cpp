// Fuzz target: whatever a sender writes to the receiver's socket, cut into
// any pieces, the decoder yields only payloads within the limit, stops for
// good at a malformed frame, and every payload the entry rules accept is
// clean: no "..", no ";", below the source.
#include "shellext/HandOffWire.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace wire = zdr::shellext::wire;
    if (size == 0)
        return 0;
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
