#pragma once

#include <cstdint>
#include <string>

namespace zdr::base {

// Clipboard format numbers as the system knows them.
namespace clipboardFormat {
inline constexpr std::uint32_t kText = 1;
inline constexpr std::uint32_t kSylk = 4;
inline constexpr std::uint32_t kDif = 5;
inline constexpr std::uint32_t kOemText = 7;
inline constexpr std::uint32_t kUnicodeText = 13;
} // namespace clipboardFormat

// Puts text on the clipboard. The engine holds one to hand out the path of a
// folder it made; the program's one is clsClipboard, tests record the calls.
class ClipboardWriter {
public:
    virtual ~ClipboardWriter() = default;
    // Replaces the clipboard's content with the text in the given format.
    // False when the clipboard cannot be reached or the format is unknown;
    // the clipboard is then unchanged and nobody is told.
    [[nodiscard]] virtual bool ClipboardAll_Copy(const std::string& text, std::uint32_t format) = 0;
};

} // namespace zdr::base
