// Developer tool: runs one task of the copy engine over a folder with given
// option words and prints the counters, a summary of the events and the
// protocol. Headless; for trying the engine out and for benchmarks.
#include "base/Message.h"
#include "base/Text.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <string_view>

using namespace zdr;

namespace {

const char* kUsage = R"(usage: zdr-run [options] SOURCE
  --status HEX      option word (default 2002: information pass with protocol)
  --status-ex HEX   extra option word (default 0)
  --level N         deepest folder level of the folder report (default 2)
  --target DIR      target folder
  --select TEXT     selected entries, ";"-separated (default: the whole folder)
  --exclude TEXT    exclusions, ";"-separated ("\" marks folders, "*" patterns)
  --filter TEXT     file-name filter, ";"-separated
  --ext TEXT        extensions as "*.txt;*.doc"
  --max-size K      largest file size in kilobytes
  --from DATE       earliest modification time ("07.12.2026 14:30")
  --to DATE         latest modification time
  --quiet           counters and events only, no protocol
)";

// Counts the events and keeps the list entries of the protocol in order.
class Recorder : public engine::FolderCopyObserver {
public:
    explicit Recorder(bool keepEntries) : keepEntries_(keepEntries) {}

    std::map<std::string, long long, std::less<>> counts;
    std::string entries;
    std::string ready;

    void ActionStart(const std::string& action) override { note("ActionStart " + action); }
    void ActionInfo(const std::string& text) override { note("ActionInfo", "  info: " + text + "\n"); }
    void ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t n, std::uint8_t) override
    {
        note("ActionStartAufgabe " + action, "  task " + std::to_string(task) + " / " + std::to_string(n) + "\n");
    }
    void ActionFolderSet(const std::string&) override { note("ActionFolderSet"); }
    void ActionFolderStart(const std::string&) override { note("ActionFolderStart"); }
    void ActionFolderDone() override { note("ActionFolderDone"); }
    void ActionFolderNot(std::int32_t code) override { note("ActionFolderNot " + std::to_string(code)); }
    void ActionFileStart(const std::string&, std::int64_t) override { note("ActionFileStart"); }
    void ActionFileDone() override { note("ActionFileDone"); }
    void ActionFileDoneByte(std::int64_t, std::int64_t) override { note("ActionFileDoneByte"); }
    void ActionFileNot(std::int32_t code) override { note("ActionFileNot " + std::to_string(code)); }
    void ActionReady(bool success, const std::string& message, bool protocol) override
    {
        note("ActionReady");
        ready += std::string("  ActionReady ") + (success ? "true" : "false") + " '" + message + "' protocol "
            + (protocol ? "yes" : "no") + "\n";
    }
    void ActionProtocolExists() override { note("ActionProtocolExists"); }
    void ActionProtocolAdd(const protocol::ProtocolEntry& e) override { entry("ADD", e); }
    void ActionProtocolErr(const protocol::ProtocolEntry& e) override { entry("ERR", e); }
    void ActionProtocolDel(const std::string& folder) override { note("ActionProtocolDel", "DEL " + folder + "\n"); }
    void ActionProtocolShow(bool&) override { note("ActionProtocolShow"); }
    void ActionFolderEntriesInfo(const std::string&, std::int64_t, std::int64_t, std::int64_t) override
    {
        note("ActionFolderEntriesInfo");
    }

private:
    void note(std::string_view event, const std::string& line = {})
    {
        // Found without making a string: events come by the ten thousand.
        const auto it = counts.find(event);
        if (it != counts.end())
            ++it->second;
        else
            counts.emplace(event, 1);
        if (keepEntries_)
            entries += line;
    }
    void entry(const char* kind, const protocol::ProtocolEntry& e)
    {
        note(std::string("ActionProtocol") + (kind[0] == 'A' ? "Add" : "Err"),
             std::string(kind) + " " + e.par_Type + " | " + e.par_Info + " | " + e.par_Folder + " | " + e.par_Target
                 + " | " + std::to_string(e.par_Level) + " | " + std::to_string(e.par_SystemActionTypeIndex) + "\n");
    }
    bool keepEntries_;
};

// Shows what the engine would ask and answers the safe way: OK, else cancel.
class ConsoleQuestioner : public base::Questioner {
public:
    base::Answer ask(const base::MessageRequest& r) override
    {
        std::cerr << "[" << r.title << "] " << base::replaceAll(r.text, "\r\n", "\n") << "\n";
        return r.buttons == base::Buttons::Ok ? base::Answer::Ok : base::Answer::Cancel;
    }
};

void printCounters(const engine::EngineCounters& c)
{
    const std::pair<const char*, long long> counts[] = {
        {"CountFiles", c.CountFiles},
        {"CountFolder", c.CountFolder},
        {"CountFiles_Protected", c.CountFiles_Protected},
        {"CountFolder_Protected", c.CountFolder_Protected},
        {"CountFiles_System", c.CountFiles_System},
        {"CountFolder_System", c.CountFolder_System},
        {"CountFiles_Hidden", c.CountFiles_Hidden},
        {"CountFolder_Hidden", c.CountFolder_Hidden},
        {"CountFiles_Compressed", c.CountFiles_Compressed},
        {"CountFolder_Compressed", c.CountFolder_Compressed},
        {"CountFiles_Done", c.CountFiles_Done},
        {"CountFolder_Done", c.CountFolder_Done},
        {"CountFiles_Not", c.CountFiles_Not},
        {"CountFolder_Not", c.CountFolder_Not},
        {"CountFiles_ExistsTimeOk", c.CountFiles_ExistsTimeOk},
        {"CountFolder_ExistsTimeOk", c.CountFolder_ExistsTimeOk},
        {"CountFiles_ToDo", c.CountFiles_ToDo},
        {"CountFolder_ToDo", c.CountFolder_ToDo},
        {"LevelMax", c.LevelMax},
        {"FullPathMaxLetters", c.FullPathMaxLetters},
    };
    for (const auto& [name, value] : counts)
        std::cout << name << " = " << value << "\n";
    const std::pair<const char*, double> sizes[] = {
        {"SizeTotal", c.SizeTotal},           {"SizeTotal_Done", c.SizeTotal_Done},
        {"SizeTotal_Not", c.SizeTotal_Not},   {"SizeTotal_ExistsTimeOk", c.SizeTotal_ExistsTimeOk},
        {"SizeTotal_ToDo", c.SizeTotal_ToDo}, {"SizeTotal_NeedHD", c.SizeTotal_NeedHD},
    };
    for (const auto& [name, value] : sizes)
        std::cout << name << " = " << std::fixed << value << " KB\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGXFSZ, SIG_IGN); // a write beyond a file-size limit fails the file, not the tool
    std::uint32_t status = engine::status::kWithInfo | engine::status::kCreateProtocol;
    std::uint32_t statusEx = 0;
    int level = 2;
    bool quiet = false;
    project::Task task;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const auto value = [&] { return std::string(argv[++i]); };
        if (arg == "--quiet")
            quiet = true;
        else if (arg == "--status" && hasValue)
            status = static_cast<std::uint32_t>(std::strtoul(value().c_str(), nullptr, 16));
        else if (arg == "--status-ex" && hasValue)
            statusEx = static_cast<std::uint32_t>(std::strtoul(value().c_str(), nullptr, 16));
        else if (arg == "--level" && hasValue)
            level = std::atoi(value().c_str());
        else if (arg == "--target" && hasValue)
            task.targetFolder = value();
        else if (arg == "--select" && hasValue)
            task.selection = base::split(value(), ";");
        else if (arg == "--exclude" && hasValue)
            task.exclusions = value();
        else if (arg == "--filter" && hasValue)
            task.nameFilters = value();
        else if (arg == "--ext" && hasValue)
            task.extensions = value();
        else if (arg == "--max-size" && hasValue)
            task.sizeMaxK = value();
        else if (arg == "--from" && hasValue)
            task.dateFrom = value();
        else if (arg == "--to" && hasValue)
            task.dateTo = value();
        else if (!arg.starts_with("--") && task.sourceFolder.empty())
            task.sourceFolder = arg;
        else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (task.sourceFolder.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    Recorder recorder(!quiet);
    ConsoleQuestioner questioner;
    engine::clsFolderCopy engine(recorder, questioner);
    std::string errorText;
    static_cast<void>(engine.fc_Init(status, statusEx, static_cast<std::uint8_t>(level), errorText, 32767));
    static_cast<void>(engine.fc_InitAdd(task, errorText));
    const bool ok = engine.fc_ActionRun();
    engine.sb_Action_CloseConnections();

    printCounters(engine.Counters());
    std::cout << "\nEvents:\n";
    for (const auto& [event, count] : recorder.counts)
        std::cout << "  " << event << ": " << count << "\n";
    std::cout << recorder.ready;
    if (!quiet) {
        if (!recorder.entries.empty())
            std::cout << "\nProtocol entries:\n" << base::toValidUtf8(recorder.entries);
        if (!engine.Protocol().empty())
            std::cout << "\nText protocol:" << base::toValidUtf8(base::replaceAll(engine.Protocol(), "\r\n", "\n"))
                      << "\n";
    }
    return ok ? 0 : 1;
}
