#include "base/CommandLine.h"

#include "base/ProgramInfo.h"
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

std::string commandLineHelp()
{
    return "Aufruf: zendor-darorazu [PROJEKTDATEI [/a] [/s]]\n"
           "       zendor-darorazu --help | -h | /?\n"
           "       zendor-darorazu --version\n"
           "\n"
           "Ohne Angabe öffnet sich das Hauptfenster mit einem neuen Projekt.\n"
           "  PROJEKTDATEI  das Projekt (*.ZdrPrj) im Hauptfenster öffnen\n"
           "  /a            das Projekt sofort ausführen, das Hauptfenster bleibt verborgen\n"
           "                (mit gedrückter Strg-Taste wird es nur geöffnet)\n"
           "  /s            nur mit /a: nach einem erfolgreichen Lauf das Fortschrittsfenster\n"
           "                und das Programm schließen\n"
           "  --help        diese Hilfe zeigen\n"
           "  --version     die Version zeigen\n"
           "\n"
           "Ohne Anzeige (cron, ssh, systemd) läuft nur ein Projekt mit /a, ohne Fenster und ohne\n"
           "Rückfragen. Jeder unbeaufsichtigte Lauf schreibt auf die Standardfehlerausgabe je eine\n"
           "Zeile für jeden Eintrag, der nicht ausgeführt wurde (Pfad und Grund), und eine\n"
           "Schlusszeile mit erledigt, übersprungen, Fehler und Dauer; auf einem Terminal dazu\n"
           "eine Fortschrittszeile. Strg+C oder SIGTERM brechen den Lauf ab wie \"Abbrechen\".\n"
           "\n"
           "Rückgabewerte:\n"
           "  0    jeder Durchlauf endete mit \"Vorgang erfolgreich abgeschlossen\"\n"
           "       (oder das Programm wurde ohne /a geöffnet und geschlossen)\n"
           "  1    fehlgeschlagen, Einträge nicht ausgeführt, abgebrochen, Protokoll nicht\n"
           "       bestätigt oder nicht gestartet (z. B. Projektdatei nicht gefunden)\n"
           "  130  mit Strg+C (SIGINT) abgebrochen\n"
           "  143  mit SIGTERM abgebrochen\n"
           "\n"
           "Umgebung: ZDR_UNATTENDED=1 (niemand am Bildschirm), ZDR_PROTOCOL_FILE=DATEI\n"
           "(Protokoll jedes Laufs an DATEI anhängen).\n"
           "Mehr: man zendor-darorazu\n";
}

std::string versionText()
{
    const Version v = programVersion();
    return std::string(kProgramTitle) + " " + std::to_string(v.major) + "." + std::to_string(v.minor) + "."
        + std::to_string(v.revision) + "\n";
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
    // Asked from a terminal: no project of that name is meant.
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "/?") {
        plan.form = StartPlan::Form::Help;
        return plan;
    }
    if (arguments[0] == "--version") {
        plan.form = StartPlan::Form::Version;
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
