#include "base/CommandLine.h"

#include "base/Text.h"

namespace zdr::base {

std::vector<std::string> fc_GetCommandLine(std::string_view rawText)
{
    std::vector<std::string> arguments;
    bool insideArgument = false;
    bool insideQuotes = false;
    for (const char c : rawText) {
        const bool separator = (c == ' ' || c == '\t') && !insideQuotes;
        if (separator) {
            insideArgument = false;
            continue;
        }
        if (!insideArgument) {
            if (arguments.size() == kMaxArguments)
                break; // a 33rd argument would begin: the rest is ignored
            arguments.emplace_back();
            insideArgument = true;
            insideQuotes = c == '"';
        } else if (c == '"') {
            insideQuotes = false;
        }
        arguments.back() += c;
    }
    return arguments;
}

std::string rawCommandLine(const std::vector<std::string>& arguments)
{
    std::string raw;
    for (const std::string& argument : arguments) {
        if (!raw.empty())
            raw += ' ';
        const bool needsQuotes = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        const bool alreadyQuoted = argument.size() >= 2 && argument.front() == '"' && argument.back() == '"';
        if (needsQuotes && !alreadyQuoted)
            raw += '"' + argument + '"';
        else
            raw += argument;
    }
    return raw;
}

bool isSwitch(std::string_view argument, char letter)
{
    const std::string upper = base::toUpper(argument);
    return upper.size() == 2 && upper[0] == '/' && upper[1] == base::toUpper(std::string(1, letter))[0];
}

StartPlan planStart(const std::vector<std::string>& arguments)
{
    StartPlan plan;
    const auto argument = [&](std::size_t i) { return i < arguments.size() ? arguments[i] : std::string(); };
    const auto unquoted = [&](std::size_t i) { return base::removeAll(argument(i), '"'); };

    if (arguments.empty()) {
        plan.arguments = {"", "", ""};
        return plan;
    }
    if (arguments[0] != "DLL") {
        plan.arguments = {unquoted(0), unquoted(1), unquoted(2)};
        return plan;
    }
    if (arguments.size() >= 4) {
        plan.form = StartPlan::Form::HandOff;
        plan.arguments = {"DLL", argument(1), argument(2), unquoted(3), unquoted(4)};
        return plan;
    }
    plan.form = StartPlan::Form::WrongCall;
    plan.messageTitle = "Falscher Aurfruf ...";
    plan.messageText = "Aktion abgebrochen, \r\n\r\nzu wenig Parameter (soll = 5) ist: "
        + std::to_string(arguments.size()) + "\r\n" + base::join(arguments, ", ");
    return plan;
}

} // namespace zdr::base
