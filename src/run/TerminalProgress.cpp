#include "run/TerminalProgress.h"

#include "base/Text.h"
#include "engine/PassAction.h"
#include "engine/StatusBits.h"
#include "run/ProgressFigures.h"
#include "run/ProgressTexts.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace zdr::run {

namespace {

constexpr double kInterval = 0.2;
// The speed is what the last seconds did: a pass that slows down (a large
// file after many small ones, a slower disk) shows it at once.
constexpr double kPaceWindow = 5;

const char* actionName(engine::PassAction pass)
{
    switch (pass) {
    case engine::PassAction::Info: return "Informationen";
    case engine::PassAction::Copy: return "Kopieren";
    case engine::PassAction::Delete: return "Löschen";
    case engine::PassAction::Attrib: return "Attribute";
    case engine::PassAction::MkDir: return "Verzeichnisse anlegen";
    case engine::PassAction::None: break;
    }
    return "Vorgang";
}

std::string entries(std::int64_t count) { return std::to_string(count) + (count == 1 ? " Eintrag" : " Einträge"); }

std::string speed(double kilobytes, std::int32_t seconds, const Pace& pace)
{
    if (pace.kilobytesPerSecond >= 0)
        return ", " + sizeText(pace.kilobytesPerSecond) + "/s";
    return seconds > 0 ? ", " + sizeText(kilobytes / seconds) + "/s" : std::string();
}

// Whole seconds, rounded up: what is left is never shown as nothing.
std::int64_t secondsUp(double seconds) { return static_cast<std::int64_t>(std::ceil(seconds - 1e-9)); }

// Cuts a UTF-8 text to `columns` characters.
std::string cut(const std::string& text, std::size_t columns)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (chars++ == columns)
            return text.substr(0, i);
    }
    return text;
}

std::unique_ptr<TerminalProgress>& instance()
{
    static std::unique_ptr<TerminalProgress> progress;
    return progress;
}

} // namespace

std::string terminalLine(const EngineState& state, double extraDoneK, const Pace& pace)
{
    const engine::EngineCounters& c = state.counters;
    const std::int64_t count = c.CountFiles + c.CountFolder;
    const std::int64_t done = c.CountFiles_Done + c.CountFolder_Done;
    const double sizeDone = c.SizeTotal_Done + extraDoneK;
    const engine::PassAction pass = engine::passActionOf(state.action);
    const std::string head = std::string(actionName(pass)) + ": ";
    if (pass == engine::PassAction::Info)
        return head + entries(count) + ", " + sizeText(c.SizeTotal) + speed(c.SizeTotal, state.secondsUsed, pace) + ", "
            + timeText(state.secondsUsed);
    if ((state.status & engine::status::kWithInfo) == 0 || count == 0)
        return head + entries(done) + ", " + sizeText(sizeDone) + speed(sizeDone, state.secondsUsed, pace) + ", "
            + timeText(state.secondsUsed);
    std::string line = head + std::to_string(done) + " von " + std::to_string(count) + " Einträgen, "
        + sizeText(sizeDone) + " von " + sizeText(c.SizeTotal) + speed(sizeDone, state.secondsUsed, pace);
    // The size left at the recent speed tells how long the rest takes; else
    // the share done so far (counts and sizes) in the time it took; before
    // anything is done the engine's estimate.
    const std::int32_t percent = mainPercent(c, extraDoneK);
    std::int64_t left = -1;
    if (pace.kilobytesPerSecond > 0 && c.SizeTotal > sizeDone)
        left = secondsUp((c.SizeTotal - sizeDone) / pace.kilobytesPerSecond);
    else if (percent > 0 && pace.seconds > 0)
        left = secondsUp(pace.seconds * (100 - percent) / percent);
    else if (percent > 0 && state.secondsUsed > 0)
        left = static_cast<std::int64_t>(state.secondsUsed) * (100 - percent) / percent;
    else if (state.secondsMax > state.secondsUsed)
        left = state.secondsMax - state.secondsUsed;
    if (left >= 0)
        line += ", noch " + timeText(left);
    return line;
}

std::string closingLine(const EngineState& state, const std::string& result, std::int64_t leftAmongDone)
{
    const engine::EngineCounters& c = state.counters;
    const engine::PassAction pass = engine::passActionOf(state.action);
    std::string line = result + " - " + actionName(pass) + ": ";
    if (pass == engine::PassAction::Info)
        line += entries(c.CountFiles + c.CountFolder) + ", " + sizeText(c.SizeTotal);
    else
        line += std::to_string(std::max<std::int64_t>(0, c.CountFiles_Done + c.CountFolder_Done - leftAmongDone))
            + " erledigt, " + std::to_string(c.CountFiles_ExistsTimeOk + c.CountFolder_ExistsTimeOk) + " übersprungen";
    return line + ", " + std::to_string(c.CountFiles_Not + c.CountFolder_Not) + " Fehler, Dauer "
        + timeText(state.secondsUsed);
}

std::string failureLine(const std::string& path, const std::string& reason)
{
    return "Fehler: '" + base::escapeControls(path) + "' - " + base::escapeControls(reason);
}

TerminalProgress::TerminalProgress(std::function<void(const std::string&)> write, std::function<double()> seconds)
    : write_(std::move(write)), seconds_(std::move(seconds))
{
}

void TerminalProgress::update(const EngineState& state, double extraDoneK, bool now)
{
    const double t = seconds_();
    if (!now && lastShown_ >= 0 && t - lastShown_ < kInterval)
        return;
    lastShown_ = t;
    const engine::EngineCounters& c = state.counters;
    const double kilobytes =
        engine::passActionOf(state.action) == engine::PassAction::Info ? c.SizeTotal : c.SizeTotal_Done + extraDoneK;
    if (passBegan_ < 0)
        passBegan_ = t;
    samples_.push_back({t, kilobytes});
    while (samples_.size() > 2 && t - samples_[1].at >= kPaceWindow)
        samples_.erase(samples_.begin());
    Pace pace;
    pace.seconds = t - passBegan_;
    if (const double span = t - samples_.front().at; span >= 0.5)
        pace.kilobytesPerSecond = std::max(0.0, kilobytes - samples_.front().kilobytes) / span;
    write_("\r" + terminalLine(state, extraDoneK, pace));
    lineOpen_ = true;
}

void TerminalProgress::line(const std::string& text)
{
    write_((lineOpen_ ? "\n" : "") + text + "\n");
    lineOpen_ = false;
    lastShown_ = -1;
}

void TerminalProgress::passStarted(const std::string& heading)
{
    line(heading);
    passBegan_ = -1;
    samples_.clear();
}

TerminalProgress* terminalProgress() { return instance().get(); }

void printNote(const std::string& message)
{
    // The program's texts break lines as Windows does; a log read on Linux
    // shows each "\r" as a stray "^M".
    const std::string text = base::replaceAll(base::replaceAll(message, "\r\n", "\n"), "\r", "\n");
    if (TerminalProgress* progress = terminalProgress()) {
        progress->line(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

void enableTerminalProgress()
{
    instance() = std::make_unique<TerminalProgress>(
        [](const std::string& text) {
            // A line longer than the terminal would wrap, and "\r" would
            // rewrite only its last part.
            winsize size{};
            std::string shown = text;
            if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && text.starts_with('\r'))
                shown = cut(text, size.ws_col);
            std::fputs((shown + (text.starts_with('\r') ? "\x1b[K" : "")).c_str(), stderr);
            std::fflush(stderr);
        },
        [] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); });
}

} // namespace zdr::run
