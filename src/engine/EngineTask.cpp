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

EngineTask EngineTask::fromInput(const EngineTaskInput& in, bool onlyDifferent)
{
    EngineTask t;
    t.Source = base::startsWith(in.Source, kSourceNetSet) ? in.Source : platform::withoutTrailingSeparator(in.Source);
    t.Target = platform::withoutTrailingSeparator(in.Target);
    for (const std::string& entry : in.Selection) {
        if (!entry.empty())
            t.Selection.push_back(entry);
    }
    // An empty selection means the whole folder, as the task list stores it.
    if (t.Selection.empty())
        t.Selection.push_back(kSelectionAll);
    splitFilterText(in.Exclusions, t.ExcludeNames, t.ExcludePatterns);
    splitFilterText(in.NameFilters, t.IncludeNames, t.IncludePatterns);
    t.Extensions = in.Extensions;
    t.MaxSizeK = in.MaxSizeK;
    t.Filtered = !t.ExcludeNames.empty() || !t.IncludeNames.empty() || !t.Extensions.empty()
        || !t.ExcludePatterns.empty() || !t.IncludePatterns.empty() || t.MaxSizeK != 0 || onlyDifferent;
    t.AttributesSet = in.AttributesSet;
    t.AttributesClear = in.AttributesClear;
    const base::ParsedCode<base::RenameCode> rename = base::parseRenameCode(in.RenameParameter);
    t.RenameFlags = rename.code.flags;
    t.RenameCode = rename.code.pattern;
    if (!rename.empty)
        t.RenameProblem = rename.error;
    t.NetSource = in.NetSource;
    t.NetTarget = in.NetTarget;
    t.DateFrom = in.DateFrom;
    t.DateTo = in.DateTo;
    // An empty backup folder stays empty: with a separator it would name the root.
    t.BackupFolder = in.BackupFolder;
    if (!t.BackupFolder.empty() && !platform::endsWithSeparator(t.BackupFolder))
        t.BackupFolder += platform::kSeparator;
    return t;
}

} // namespace zdr::engine
