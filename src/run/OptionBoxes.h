#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zdr::run {

// An option check box of the progress window and the option bit it changes.
struct OptionBox {
    const char* name;
    const char* caption;
    std::uint32_t bit;
    const char* tip;
};

// The progress window's option boxes in their order on the window.
std::span<const OptionBox> progressOptionBoxes();
// The box of a name, or nullptr.
const OptionBox* progressOptionBox(std::string_view name);

} // namespace zdr::run
