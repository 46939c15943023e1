#include "run/PassTexts.h"

#include "base/Text.h"
#include "engine/PassAction.h"
#include "engine/StatusBits.h"
#include "platform/Paths.h"
#include "registry/clsSystemChange.h"

#include <array>

namespace zdr::run {

namespace status = engine::status;

std::optional<ActionTitles> actionTitles(engine::PassAction action)
{
    using engine::PassAction;
    switch (action) {
    case PassAction::Info:
        return ActionTitles{"Information erstellen ...", "Bitte starten Sie den Informationsvorgang ...",
                            "Information erstellen ..."};
    case PassAction::Copy:
        return ActionTitles{"Verzeichnis kopieren ...",
                            "Bitte starten Sie den Kopier- und ggf. Informationsvorgang ...", "Daten kopieren ..."};
    case PassAction::Delete:
        return ActionTitles{"Daten löschen ...", "Bitte starten Sie den Lösch- und ggf. Informationsvorgang ...",
                            "Daten löschen ..."};
    case PassAction::Attrib:
        return ActionTitles{"Attribute setzen ...", "Bitte starten Sie den 'Attribute setzen' Vorgang ...",
                            "Daten Attribute ..."};
    case PassAction::MkDir:
        return ActionTitles{"Verzeichnis erstellen ...", "Bitte geben Sie eine Verzeichnisbezeichnung an ...",
                            "Verzeichnis erstellen ..."};
    case PassAction::None: break;
    }
    return std::nullopt;
}

ActionTitles registryChangeTitles()
{
    return {"Computer Registry ändern ...", "Bitte starten Sie den Änderungs- und ggf. Informationsvorgang ...",
            "Computer Registry ändern ..."};
}

std::string tasksPendingText(std::int32_t taskCount)
{
    return "Durchlauf von " + std::to_string(taskCount) + " Aufgaben ...";
}

std::string errorCountInitialText(bool dataComplete) { return dataComplete ? "(keine)" : "Datenempfang"; }

namespace {

struct ActionPass {
    engine::PassAction action;
    const char* verb;     // after "(komplett)' " / "(Auswahl)' "
    const char* caption;  // window caption while the pass runs
    const char* question; // lblSystemInfoQuestion
};

constexpr std::array<ActionPass, 3> kActionPasses = {{
    {engine::PassAction::Copy, "kopieren ...", "kopiere ...", "Kopiervorgang gestartet ..."},
    {engine::PassAction::Delete, "löschen ...", "lösche ...", "Löschvorgang gestartet ..."},
    {engine::PassAction::Attrib, "Attribute setzen/wegsetzen ...", "setze ...", "Attribute setzen gestartet ..."},
}};

const ActionPass* actionPass(const std::string& action)
{
    const engine::PassAction kind = engine::passActionOf(action);
    for (const ActionPass& pass : kActionPasses)
        if (kind == pass.action)
            return &pass;
    return nullptr;
}

std::string folderHeading(const ActionPass& pass, const std::string& source, bool whole)
{
    return "Verzeichnis '" + source + (whole ? " (komplett)' " : " (Auswahl)' ") + pass.verb;
}

} // namespace

std::optional<std::string> actionPassHeading(const std::string& action, std::uint32_t bits,
                                             const std::vector<project::Task>& records, std::size_t index)
{
    const ActionPass* pass = actionPass(action);
    if (pass == nullptr || index >= records.size())
        return std::nullopt;
    const bool fromRows = engine::passActionOf(action) == engine::PassAction::Copy
        && (bits & status::kOnlyDifferent) != 0 && (bits & status::kWithInfo) != 0;
    if (fromRows && records.size() > 1)
        return "Daten von " + std::to_string(records.size()) + " Aufgaben " + pass->verb;
    const project::Task& record = records[index];
    return folderHeading(*pass, record.sourceFolder, !record.selection.empty() && record.selection.front() == ".");
}

ViewUpdate passStarted(const std::string& action, const EngineState& engine)
{
    ViewUpdate update;
    const std::uint32_t bits = engine.status;
    const engine::PassAction kind = engine::passActionOf(action);
    if (kind == engine::PassAction::Info) {
        const bool withCopy = (bits & status::kCopy) != 0;
        update.setText(Control::lblSystemInfoTask,
                       withCopy ? "Informationen über zu kopierende Daten sammeln ..."
                                : "Informationen über Daten sammeln ...");
        update.setText(Control::lblSystemInfoQuestion,
                       withCopy ? "Informations- und Kopiervorgang gestartet ..."
                                : "Informationsvorgang gestartet ...");
        update.setText(Control::lblSystemInfo, "");
        update.setText(Control::lblSystemInfoObject, "");
        update.setText(Control::Caption, "lese ...");
        update.bar(BarAction::Hide, WhichBar::Both);
        update.lastMainPercent = 0;
        if ((bits & status::kOnlyDifferent) == 0) {
            update.initFolderInfoProtocol = (bits & status::kFolderEntriesInfo) != 0;
        } else {
            update.show(Control::lblCountToDo, true);
            update.show(Control::lblCountToDoCaption, true);
            update.setText(Control::lblCountToDo, "");
        }
        return update;
    }
    if (kind == engine::PassAction::MkDir) {
        update.show(Control::lblCreateFolderError, false);
        update.setText(Control::lblCreateFolderError, "");
        update.bar(BarAction::Init, WhichBar::Both);
        return update;
    }
    if (const ActionPass* pass = actionPass(action)) {
        update.setText(Control::lblSystemInfoTask,
                       folderHeading(*pass, engine.source, engine.folderAndFilesDot == "."));
        update.setText(Control::Caption, pass->caption);
        update.setText(Control::lblSystemInfoQuestion, pass->question);
        if (bits & status::kOnlyDifferent) {
            update.show(Control::lblCountExistsTimeOk, true);
            update.show(Control::lblCountExistsTimeOkCaption, true);
            update.setText(Control::lblCountExistsTimeOk, "0"); // nothing skipped yet
        }
    }
    update.bar(BarAction::Init, (bits & status::kWithInfo) ? WhichBar::Both : WhichBar::Sub);
    return update;
}

namespace {

// The registry run's phases take the headings of the information and the copy.
const char* taskHeading(const std::string& action)
{
    engine::PassAction pass = engine::passActionOf(action);
    if (action == registry::clsSystemChange::kInfoPhase)
        pass = engine::PassAction::Info;
    else if (action == registry::clsSystemChange::kChangePhase)
        pass = engine::PassAction::Copy;
    switch (pass) {
    case engine::PassAction::Info: return "Informationsvorgang - Aufgabe (";
    case engine::PassAction::Copy: return "Kopiervorgang - Aufgabe (";
    case engine::PassAction::Delete: return "Löschvorgang - Aufgabe (";
    case engine::PassAction::Attrib: return "Attribute setzen - Aufgabe (";
    case engine::PassAction::MkDir:
    case engine::PassAction::None: break;
    }
    return nullptr;
}

std::string attributeNames(std::uint32_t mask)
{
    struct Name {
        std::uint32_t bit;
        const char* text;
    };
    static constexpr std::array<Name, 4> names = {{
        {0x20, " Archive, "},
        {0x2, " Versteckt, "},
        {0x1, " Schreibgeschützt, "},
        {0x800, " Komprimiert, "},
    }};
    std::string out;
    for (const Name& name : names)
        if (mask & name.bit)
            out += name.text;
    return out;
}

} // namespace

std::string taskSourceText(const project::Task& record)
{
    std::string text;
    bool firstEntry = true; // inside the parentheses
    const std::vector<std::string>& selection = record.selection;
    int folders = 0;
    int files = 0;
    for (const std::string& entry : selection)
        (base::startsWith(entry, "\\") ? folders : files)++;

    if (selection.empty() || (selection.size() == 1 && selection.front() == ".")) {
        text = "von Verzeichnis: " + record.sourceFolder + " (komplett";
        firstEntry = false;
    } else if (folders == 1 && files == 0) {
        text = "von Verzeichnis: "
            + platform::joinPath(record.sourceFolder, platform::entryToRelativePath(selection.front())) + "  =>  (";
    } else if (files == 1 && folders == 0) {
        text = "von Datei: " + platform::joinPath(record.sourceFolder, platform::entryToRelativePath(selection.front()))
            + "  =>  (";
    } else {
        text = "von Verzeichnis: " + record.sourceFolder + "  =>  (Filter ";
        if (folders > 0)
            text += "Ordner " + std::to_string(folders);
        if (folders > 0 && files > 0)
            text += ", ";
        if (files > 0)
            text += "Dateien " + std::to_string(files);
        firstEntry = false;
    }

    auto entry = [&](const char* filter) {
        if (!firstEntry)
            text += ", ";
        text += filter;
        firstEntry = false;
    };
    if (!record.exclusions.empty())
        entry("Filter Daten auss.");
    if (!record.extensions.empty())
        entry("Filter Dateierw.");
    if (record.maxSizeK() > 0)
        entry("Filter Dateigröße");
    if (record.attributesToSet() != 0)
        entry("Attrib. setzen");
    if (record.attributesToClear() != 0)
        entry("Attrib. wegsetzen");
    return text + ")";
}

std::optional<std::string> taskTargetText(const std::string& action, const project::Task& record)
{
    const engine::PassAction kind = engine::passActionOf(action);
    if (kind == engine::PassAction::Copy && !record.targetFolder.empty())
        return "Ziel: " + record.targetFolder;
    if (kind != engine::PassAction::Attrib)
        return std::nullopt;
    // Both lists are shown when a task sets some attributes and clears others.
    std::string text;
    if (record.attributesToSet() != 0)
        text = "    setzen: " + attributeNames(record.attributesToSet());
    if (record.attributesToClear() != 0)
        text += (text.empty() ? "" : "\r\n") + std::string("wegsetzen: ") + attributeNames(record.attributesToClear());
    if (text.empty())
        return std::nullopt;
    return text;
}

ViewUpdate taskHeadingText(const std::string& action, std::int32_t task, std::int32_t taskCount, std::uint8_t state)
{
    ViewUpdate update;
    if (const char* heading = taskHeading(action))
        update.setText(Control::lblSystemInfoQuestion,
                       heading + std::to_string(task) + " / " + std::to_string(taskCount)
                           + (state == kTaskPending ? ") ausstehend ..." : ") gestartet ..."));
    return update;
}

ViewUpdate taskStarted(const std::string& action, std::int32_t task, std::int32_t taskCount, std::uint8_t state,
                       const project::Task& record)
{
    ViewUpdate update = taskHeadingText(action, task, taskCount, state);
    update.setText(Control::lblSystemInfoSource, taskSourceText(record));
    if (auto target = taskTargetText(action, record))
        update.setText(Control::lblSystemInfoTarget, *target);
    return update;
}

} // namespace zdr::run
