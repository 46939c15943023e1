#pragma once

#include "run/EngineState.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A run without a screen (started with /a where there is no display) shows
// how it goes on the terminal it was started from: one line, rewritten in
// place, with the entries, the size, the speed and the time left.
namespace zdr::run {

// How fast the pass goes, measured on a steady clock (negative: not yet).
struct Pace {
    double kilobytesPerSecond = -1; // over the last few seconds
    double seconds = -1;            // since the pass began
};

// The line for the engine's figures now; `extraDoneK`: the part of the file
// in progress already done, in kilobytes. Without a pace the speed is the
// engine's size by its whole seconds.
std::string terminalLine(const EngineState& state, double extraDoneK = 0, const Pace& pace = {});

// A pass's closing line for a log: its result (and the engine's message),
// what was done, left unchanged and failed, and how long it took.
// `leftAmongDone`: failed entries the "_Done" counters hold too.
std::string closingLine(const EngineState& state, const std::string& result, std::int64_t leftAmongDone);

// An entry a run without a person could not do, as its line for a log.
std::string failureLine(const std::string& path, const std::string& reason);

class TerminalProgress {
public:
    // `write` gets each text to put on the terminal ("\r" rewrites the line);
    // `seconds` is a steady clock.
    TerminalProgress(std::function<void(const std::string&)> write, std::function<double()> seconds);

    // The figures changed; the line is rewritten at most every 0.2 s unless
    // `now` asks for it at once.
    void update(const EngineState& state, double extraDoneK = 0, bool now = false);
    // A line of its own (a pass's heading or end, a message): the updating
    // line is ended first and starts anew below it.
    void line(const std::string& text);
    // A pass begins under its heading: its speed is measured anew.
    void passStarted(const std::string& heading);

private:
    struct Sample {
        double at;
        double kilobytes;
    };

    std::function<void(const std::string&)> write_;
    std::function<double()> seconds_;
    double lastShown_ = -1;
    bool lineOpen_ = false;
    double passBegan_ = -1;
    std::vector<Sample> samples_; // the last seconds of the pass, oldest first
};

// The program's terminal progress, or nullptr when it shows none.
TerminalProgress* terminalProgress();
// A message without a window (a run without a person at the screen): on
// standard error, below the progress line when one is shown.
void printNote(const std::string& text);
// From now on runs show their progress on standard error (a terminal), the
// line cut to the terminal's width.
void enableTerminalProgress();

} // namespace zdr::run
