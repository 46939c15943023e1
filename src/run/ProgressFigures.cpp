#include "run/ProgressFigures.h"

#include "base/NumberFormat.h"
#include "base/Text.h"
#include "engine/FolderCopyObserver.h"
#include "engine/PassAction.h"
#include "engine/StatusBits.h"
#include "run/ProgressTexts.h"

#include <algorithm>

namespace zdr::run {

namespace status = engine::status;

std::int32_t percentOf(double part, double whole)
{
    if (whole <= 0)
        return 0;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(base::roundHalfEven(part / whole * 100), 0, 100));
}

namespace {

const char* percentCaption(const std::string& action)
{
    switch (engine::passActionOf(action)) {
    case engine::PassAction::Copy: return "% kopiert...";
    case engine::PassAction::Attrib: return "% gesetzt...";
    case engine::PassAction::Delete: return "% gelöscht...";
    default: return nullptr;
    }
}

} // namespace

std::int32_t mainPercent(const engine::EngineCounters& c, double extraDoneK)
{
    const double count = static_cast<double>(c.CountFiles + c.CountFolder);
    if (count <= 0)
        return 0;
    const double done = static_cast<double>(c.CountFiles_Done + c.CountFolder_Done);
    const double countShare = done / count * 100;
    double p = countShare;
    if (c.SizeTotal > 0)
        p = (countShare + (c.SizeTotal_Done + extraDoneK) / c.SizeTotal * 100) / 2;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(base::roundHalfEven(p), 0, 100));
}

ViewUpdate figures(const EngineState& engine, std::int32_t lastMainPercent, double extraDoneK)
{
    ViewUpdate update;
    const engine::EngineCounters& c = engine.counters;
    const std::int64_t count = c.CountFiles + c.CountFolder;
    const std::int64_t done = c.CountFiles_Done + c.CountFolder_Done;
    const double sizeDone = c.SizeTotal_Done + extraDoneK;

    if (engine::passActionOf(engine.action) == engine::PassAction::Info) {
        update.setText(Control::lblSize, sizeText(c.SizeTotal) + " - (neu " + sizeText(c.SizeTotal_NeedHD) + ")");
        update.setText(Control::lblCount, std::to_string(count));
        update.setText(Control::lblTime,
                       timeText(engine.secondsUsed) + speedText(count, c.SizeTotal, engine.secondsUsed));
        update.setText(Control::lblCountToDo,
                       std::to_string(c.CountFiles_ToDo + c.CountFolder_ToDo) + " - " + sizeText(c.SizeTotal_ToDo));
        update.bar(BarAction::Value, WhichBar::Sub, 100);
        return update;
    }
    if ((engine.status & status::kWithInfo) == 0) {
        update.setText(Control::lblSize, sizeText(sizeDone + c.SizeTotal_ExistsTimeOk));
        update.setText(Control::lblCount,
                       std::to_string(done + c.CountFiles_ExistsTimeOk + c.CountFolder_ExistsTimeOk));
        update.setText(Control::lblTime, timeText(engine.secondsUsed));
        return update;
    }
    update.setText(Control::lblSize, "von " + sizeText(c.SizeTotal) + " => " + sizeText(sizeDone));
    update.setText(Control::lblCount, "von " + std::to_string(count) + " => " + std::to_string(done));
    update.setText(Control::lblTime,
                   "von " + std::to_string(engine.secondsMax) + " => " + std::to_string(engine.secondsUsed) + " s"
                       + speedText(done, sizeDone, engine.secondsUsed));
    if (engine::passActionOf(engine.action) == engine::PassAction::MkDir)
        return update; // its bars follow the folders made
    const std::int32_t p = mainPercent(c, extraDoneK);
    if (p != lastMainPercent) {
        update.bar(BarAction::Value, WhichBar::Main, p);
        if (const char* caption = percentCaption(engine.action))
            update.setText(Control::Caption, std::to_string(p) + caption);
        update.lastMainPercent = p;
    }
    return update;
}

ViewUpdate entryNotDone(const EngineState& engine, std::int32_t reason, std::int32_t lastMainPercent)
{
    ViewUpdate update = figures(engine, lastMainPercent);
    const engine::EngineCounters& c = engine.counters;
    if (reason == engine::kLeftByChoice)
        return update; // neither done nor failed: the summary counts it apart
    if (reason == 1) {
        update.setText(Control::lblCountExistsTimeOk,
                       std::to_string(c.CountFiles_ExistsTimeOk + c.CountFolder_ExistsTimeOk) + " - "
                           + sizeText(c.SizeTotal_ExistsTimeOk));
        return update;
    }
    const std::int64_t errors = c.CountFiles_Not + c.CountFolder_Not;
    if (errors > 0 || c.SizeTotal_Not > 0) {
        update.show(Control::lblCountNot, true);
        update.show(Control::lblSizeNot, true);
        update.show(Control::lblSizeNotCaption, true);
    }
    update.setText(Control::lblCountNot, std::to_string(errors));
    update.setText(Control::lblSizeNot, sizeText(c.SizeTotal_Not));
    return update;
}

ViewUpdate folderMade(const EngineState& engine)
{
    ViewUpdate update;
    const engine::EngineCounters& c = engine.counters;
    update.bar(BarAction::Value, WhichBar::Sub, 100);
    // A make-directory pass without a count of folders to make has made all.
    const auto toDo = static_cast<double>(c.CountFolder_ToDo);
    update.bar(BarAction::Value, WhichBar::Main,
               toDo > 0 ? percentOf(static_cast<double>(c.CountFolder_Done), toDo) : 100);
    return update;
}

ViewUpdate fileStarted(const std::string& action, const std::string& name, std::int64_t sizeBytes)
{
    ViewUpdate update;
    if (engine::passActionOf(action) == engine::PassAction::Info)
        return update;
    update.setText(Control::lblSystemInfoObject, base::escapeControls(name) + " => von " + byteSizeText(sizeBytes));
    update.bar(BarAction::Value, WhichBar::Sub, 0);
    return update;
}

ViewUpdate fileProgress(const EngineState& engine, std::int64_t totalBytes, std::int64_t doneBytes,
                        std::int32_t lastMainPercent)
{
    ViewUpdate update;
    update.bar(BarAction::Value, WhichBar::Sub,
               totalBytes > 0 ? percentOf(static_cast<double>(doneBytes), static_cast<double>(totalBytes)) : 100);
    update.setText(Control::lblSystemInfoObject,
                   base::escapeControls(engine.fileNameCurrent) + " von " + byteSizeText(totalBytes) + " => "
                       + byteSizeText(doneBytes));
    // The bytes copied so far count as done; the whole file would make the
    // figures run ahead of the copy.
    update.append(figures(engine, lastMainPercent, static_cast<double>(doneBytes) / 1024));
    return update;
}

ViewUpdate folderStarted(const std::string& action, const std::string& path)
{
    ViewUpdate update;
    update.setText(Control::lblSystemInfo, base::escapeControls(path));
    if (engine::passActionOf(action) == engine::PassAction::MkDir)
        update.bar(BarAction::Value, WhichBar::Sub, 0);
    return update;
}

} // namespace zdr::run
