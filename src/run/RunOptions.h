#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

// The option words of a run started from the main window, built from the
// values of its controls. Which control sets which bit is fixed here; what a
// bit means is the engine's business.
namespace zdr::run {

struct RunOptionBit {
    const char* control; // a check box of the main window
    std::uint32_t bit;
    bool extended; // the bit belongs to StatusEx
};
// Every check box that becomes an option bit, with its bit.
std::span<const RunOptionBit> runOptionBits();

struct RunWords {
    std::uint32_t status = 0;
    std::uint32_t statusEx = 0;
    bool operator==(const RunWords&) const = default;
};

// checkValue(name) is a check box's value (0 cleared, 1 checked, 2 grey);
// only 1 counts. actionIndex is the list index of cboAction.
RunWords fc_RunWords(int actionIndex, const std::function<int(std::string_view control)>& checkValue, bool autoStart,
                     bool closeAfterRun);

} // namespace zdr::run
