#include "run/ProgressView.h"

#include <array>

namespace zdr::run {

const char* controlName(Control control)
{
    static constexpr std::array<const char*, kControlCount> names = {
        "Caption",
        "lblSystemInfoTask",
        "lblSystemInfoQuestion",
        "lblSystemInfoSource",
        "lblSystemInfoTarget",
        "lblSystemInfo",
        "lblSystemInfoObject",
        "lblSystemFolderSource",
        "lblCount",
        "lblSize",
        "lblTime",
        "lblCountNot",
        "lblSizeNot",
        "lblSizeNotCaption",
        "lblCountExistsTimeOk",
        "lblCountExistsTimeOkCaption",
        "lblCountToDo",
        "lblCountToDoCaption",
        "lblCreateFolderError",
    };
    return names.at(static_cast<std::size_t>(control));
}

void ViewUpdate::append(const ViewUpdate& other)
{
    texts.insert(texts.end(), other.texts.begin(), other.texts.end());
    shown.insert(shown.end(), other.shown.begin(), other.shown.end());
    bars.insert(bars.end(), other.bars.begin(), other.bars.end());
    initFolderInfoProtocol = initFolderInfoProtocol || other.initFolderInfoProtocol;
    if (other.lastMainPercent)
        lastMainPercent = other.lastMainPercent;
    unloadWindow = unloadWindow || other.unloadWindow;
}

std::optional<std::string> ViewUpdate::text(Control control) const
{
    for (auto it = texts.rbegin(); it != texts.rend(); ++it)
        if (it->first == control)
            return it->second;
    return std::nullopt;
}

std::optional<bool> ViewUpdate::visible(Control control) const
{
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        if (it->first == control)
            return it->second;
    return std::nullopt;
}

} // namespace zdr::run
