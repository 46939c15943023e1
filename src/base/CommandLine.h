#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zdr::base {

inline constexpr std::size_t kMaxArguments = 32;

// Splits the raw argument text (without the program path): blanks and tabs
// separate outside quotes, a quote that begins an argument starts quoting, a
// later quote ends it; quotes stay in the arguments; at most 32 arguments.
std::vector<std::string> fc_GetCommandLine(std::string_view rawText);

// The raw argument text of a process that received its arguments already
// split (Linux): arguments joined by blanks, each one that holds a blank or a
// tab, or is empty, put between quotes, so that splitting gives them back.
std::string rawCommandLine(const std::vector<std::string>& arguments);

// How Main starts the program.
struct StartPlan {
    // Help and Version are answered on standard output without a window.
    enum class Form { MainWindow, HandOff, WrongCall, Help, Version };
    Form form = Form::MainWindow;
    // MainWindow: project file, switch 1, switch 2 (quotes removed).
    // HandOff: DLL, action word, key, source folder, shell folder.
    std::vector<std::string> arguments;
    // WrongCall: the critical message box to show before the program ends.
    std::string messageTitle;
    std::string messageText;
};

StartPlan planStart(const std::vector<std::string>& arguments);

// What --help (-h, /?) prints: the command line, what an unattended run
// prints and the exit codes.
std::string commandLineHelp();
// What --version prints.
std::string versionText();

// Exit codes of a run that a signal cancelled (Ctrl+C, SIGTERM), as shells
// report a program ended by that signal.
inline constexpr int kExitInterrupted = 130;
inline constexpr int kExitTerminated = 143;

// True when a switch equals "/a" (resp. "/s") compared in upper case.
bool isSwitch(std::string_view argument, char letter);

} // namespace zdr::base
