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

// A number field beside the option boxes, in the progress window and in the
// main window alike.
struct NumberField {
    const char* name;
    const char* caption;
    const char* tip;
};
// The folder level and the block size, in this order.
std::span<const NumberField> optionNumberFields();

} // namespace zdr::run
