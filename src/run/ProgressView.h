#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the progress texts change in the progress window, as data: the
// texts compute a ViewUpdate from the engine's figures, the window applies
// it. So every text is tested without a window, and the window decides how
// often it repaints.
namespace zdr::run {

// The window's caption and the labels the texts write.
enum class Control : std::uint8_t {
    Caption,
    lblSystemInfoTask,
    lblSystemInfoQuestion,
    lblSystemInfoSource,
    lblSystemInfoTarget,
    lblSystemInfo,
    lblSystemInfoObject,
    lblSystemFolderSource,
    lblCount,
    lblSize,
    lblTime,
    lblCountNot,
    lblSizeNot,
    lblSizeNotCaption,
    lblCountExistsTimeOk,
    lblCountExistsTimeOkCaption,
    lblCountToDo,
    lblCountToDoCaption,
    lblCreateFolderError,
};
inline constexpr int kControlCount = static_cast<int>(Control::lblCreateFolderError) + 1;

// The control's objectName ("Caption" for the window's caption).
const char* controlName(Control control);

// What the window's ProgressBarAction does to a bar: show it from the start,
// set its value (shown at the next refresh), hide it at a value, remove it.
enum class BarAction : std::uint8_t { Init, Value, Hide, Term };
// The bar it does it to: the main bar, the sub bar or both.
enum class WhichBar : std::uint8_t { Main, Sub, Both };

// One call of the window's ProgressBarAction.
struct BarCommand {
    BarAction action = BarAction::Value;
    WhichBar bar = WhichBar::Both;
    std::int32_t value = 0;
    bool operator==(const BarCommand&) const = default;
};

struct ViewUpdate {
    std::vector<std::pair<Control, std::string>> texts; // in order; a later text wins
    std::vector<std::pair<Control, bool>> shown;
    std::vector<BarCommand> bars;
    bool initFolderInfoProtocol = false;         // fc_Protocol_Init "LISTVIEW,INFODIR"
    std::optional<std::int32_t> lastMainPercent; // the coordinator's new LastMainPercent
    bool unloadWindow = false;

    void setText(Control control, std::string text) { texts.emplace_back(control, std::move(text)); }
    void show(Control control, bool visible) { shown.emplace_back(control, visible); }
    void bar(BarAction action, WhichBar which, std::int32_t value = 0) { bars.push_back({action, which, value}); }
    void append(const ViewUpdate& other);

    // The last text set for a control, if any (tests and callers that chain).
    std::optional<std::string> text(Control control) const;
    std::optional<bool> visible(Control control) const;
};

} // namespace zdr::run
