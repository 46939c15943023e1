#include "shellext/HandOffPlan.h"

#include "shellext/HandOffWire.h"
#include "shellext/MenuCommands.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace zdr::shellext {

namespace {

std::string unescapeMountField(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
        const bool octal = field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2])
            && isOctal(field[i + 3]);
        if (octal) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// The program splits its command line at blanks outside quotes; a quote
// inside one of the quoted folders would end the quoting early.
bool checkCommandLineFolder(const std::string& folder, std::string& error)
{
    if (wire::hasDotStep(folder)) {
        error = "Der Ordner enthält \".\" oder \"..\": " + folder;
        return false;
    }
    if (folder.find('"') != std::string::npos) {
        error = "Der Ordnername enthält ein Anführungszeichen: " + folder;
        return false;
    }
    return true;
}

} // namespace

std::vector<std::string> mountPoints(std::string_view mountInfo)
{
    // Each line: id, parent id, major:minor, root, mount point, ...
    std::vector<std::string> points;
    std::size_t lineStart = 0;
    while (lineStart < mountInfo.size()) {
        const std::size_t lineEnd = std::min(mountInfo.find('\n', lineStart), mountInfo.size());
        const std::string_view line = mountInfo.substr(lineStart, lineEnd - lineStart);
        std::size_t fieldStart = 0;
        for (int field = 0; field < 4 && fieldStart != std::string_view::npos; ++field) {
            fieldStart = line.find(' ', fieldStart);
            if (fieldStart != std::string_view::npos)
                ++fieldStart;
        }
        if (fieldStart != std::string_view::npos) {
            const std::size_t fieldEnd = std::min(line.find(' ', fieldStart), line.size());
            points.push_back(unescapeMountField(line.substr(fieldStart, fieldEnd - fieldStart)));
        }
        lineStart = lineEnd + 1;
    }
    return points;
}

bool isMountRoot(std::string_view path)
{
    if (path == "/")
        return true;
    std::ifstream file("/proc/self/mountinfo");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::vector<std::string> points = mountPoints(text);
    return std::find(points.begin(), points.end(), path) != points.end();
}

bool planHandOff(int offset, const std::vector<std::string>& selected, const std::string& shellFolder,
                 const std::string& key, HandOffPlan& plan, std::string& error)
{
    const MenuCommand* command = menuCommand(offset);
    if (!command || selected.empty()) {
        error = "Keine Auswahl.";
        return false;
    }
    plan = {};
    plan.actionWord = command->actionWord;
    const std::string& first = selected.front();
    const bool fullPaths = offset != kMkDir && isMountRoot(first);
    if (offset == kMkDir)
        plan.sourceFolder = first;
    else if (fullPaths)
        plan.sourceFolder = wire::kMyComputer;
    else
        plan.sourceFolder = first.substr(0, std::max<std::size_t>(first.rfind('/'), 1));
    if (!checkCommandLineFolder(plan.sourceFolder, error) || !checkCommandLineFolder(shellFolder, error))
        return false;

    if (offset == kMkDir) {
        plan.endText = "1";
    } else {
        const std::string& source = plan.sourceFolder;
        for (const std::string& path : selected) {
            std::string entry = path;
            if (!fullPaths && source != "/") {
                if (path.compare(0, source.size(), source) != 0 || path.size() <= source.size()
                    || path[source.size()] != '/') {
                    error = "Der Eintrag liegt nicht unter dem Quellordner " + source + ": " + path;
                    return false;
                }
                entry = path.substr(source.size());
            }
            if (!wire::checkEntry(entry, fullPaths, error))
                return false;
            plan.entries.push_back(std::move(entry));
        }
        plan.endText = std::to_string(plan.entries.size());
    }
    plan.arguments = {"DLL", plan.actionWord, key, '"' + plan.sourceFolder + '"', '"' + shellFolder + '"'};
    plan.commandLine = plan.arguments[0];
    for (std::size_t i = 1; i < plan.arguments.size(); ++i)
        plan.commandLine += ' ' + plan.arguments[i];
    return true;
}

} // namespace zdr::shellext
