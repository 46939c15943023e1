#include "engine/EngineTask.h"

#include "base/ParameterCodes.h"
#include "base/Text.h"
#include "platform/Paths.h"

namespace zdr::engine {

void splitFilterText(const std::string& text, std::string& names, std::vector<std::string>& patterns)
{
    names.clear();
    patterns.clear();
    for (const std::string& piece : base::split(text, ";")) {
        if (piece.empty())
            continue; // "a;;b" and a final ";" name nothing
        if (piece.find('*') != std::string::npos)
            patterns.push_back(piece);
        else
            names += ";" + piece;
    }
    if (!names.empty())
        names += ";";
}

EngineTask EngineTask::fromTask(const project::Task& in, bool onlyDifferent)
{
    EngineTask t;
    t.task = in;
    t.Source = base::startsWith(in.sourceFolder, kSourceNetSet) ? in.sourceFolder
                                                                : platform::withoutTrailingSeparator(in.sourceFolder);
    t.Target = platform::withoutTrailingSeparator(in.targetFolder);
    for (const std::string& entry : in.selection) {
        if (!entry.empty())
            t.Selection.push_back(entry);
    }
    // An empty selection means the whole folder, as the task list stores it.
    if (t.Selection.empty())
        t.Selection.push_back(kSelectionAll);
    splitFilterText(in.exclusions, t.ExcludeNames, t.ExcludePatterns);
    splitFilterText(in.nameFilters, t.IncludeNames, t.IncludePatterns);
    // "*.txt;*.dat" as typed becomes ";.txt;.dat;", which the walk searches.
    if (!in.extensions.empty())
        t.Extensions = ";" + base::removeAll(in.extensions, '*') + ";";
    t.MaxSizeK = in.maxSizeK();
    t.Filtered = !t.ExcludeNames.empty() || !t.IncludeNames.empty() || !t.Extensions.empty()
        || !t.ExcludePatterns.empty() || !t.IncludePatterns.empty() || t.MaxSizeK != 0 || onlyDifferent;
    const base::ParsedCode<base::RenameCode> rename = base::parseRenameCode(in.renameCode);
    t.RenameFlags = rename.code.flags;
    t.RenameCode = rename.code.pattern;
    if (!rename.empty)
        t.RenameProblem = rename.error;
    // An empty backup folder stays empty: with a separator it would name the root.
    t.BackupFolder = in.backupFolder;
    if (!t.BackupFolder.empty() && !platform::endsWithSeparator(t.BackupFolder))
        t.BackupFolder += platform::kSeparator;
    return t;
}

} // namespace zdr::engine
