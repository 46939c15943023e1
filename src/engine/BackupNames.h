#pragma once

#include "base/DateText.h"

#include <string>

// The names of the backup of replaced files: the run's folder or archive,
// and each saved file's name in it.
namespace zdr::engine {

// "DaroRazu Backup yymmdd hhnnss".
std::string fc_BackupName(const base::LocalDateTime& at);

// The saved file's name in the run's backup folder: its target folder
// without the root (where a drive stood), then the entry's name, " ~ "
// between the steps: /Data/Sub and a.txt give "Data ~ Sub ~ a.txt". A name
// longer than a folder entry may be keeps its end (the file's own name)
// behind a mark made from the whole, so different files keep different names.
std::string fc_BackupFileName(const std::string& targetFolder, const std::string& entryName);

// The saved file's name in the run's archive: "Data/Sub/a.txt".
std::string fc_BackupArchiveName(const std::string& targetFolder, const std::string& entryName);

// The n-th name (from 2) for a name that is taken: "a.txt" gives "a (2).txt".
std::string fc_NumberedName(const std::string& name, int n);

} // namespace zdr::engine
