#pragma once

#include <cstdint>
#include <string>

namespace zdr::engine {

// The counters of a run. Counts are whole numbers, sizes kilobytes
// (bytes / 1024) as doubles. All move while the walk runs; the task driver
// sets some anew between the information pass and the action pass.
struct EngineCounters {
    std::int64_t CountFiles = 0;
    std::int64_t CountFolder = 0;
    std::int64_t CountFiles_Protected = 0;
    std::int64_t CountFolder_Protected = 0;
    std::int64_t CountFiles_System = 0;
    std::int64_t CountFolder_System = 0;
    std::int64_t CountFiles_Hidden = 0;
    std::int64_t CountFolder_Hidden = 0;
    std::int64_t CountFiles_Compressed = 0;
    std::int64_t CountFolder_Compressed = 0;
    std::int64_t CountFiles_Done = 0;
    std::int64_t CountFolder_Done = 0;
    std::int64_t CountFiles_Not = 0;
    std::int64_t CountFolder_Not = 0;
    std::int64_t CountFiles_ExistsTimeOk = 0;
    std::int64_t CountFolder_ExistsTimeOk = 0;
    // Left by the review's choice: unticked, not in its list, or a folder
    // that holds such an entry. Neither done nor failed.
    std::int64_t CountFiles_Left = 0;
    std::int64_t CountFolder_Left = 0;
    std::int64_t CountFiles_ToDo = 0;
    std::int64_t CountFolder_ToDo = 0;
    double SizeTotal = 0;
    double SizeTotal_Done = 0;
    double SizeTotal_Not = 0;
    double SizeTotal_ExistsTimeOk = 0;
    double SizeTotal_ToDo = 0;
    double SizeTotal_NeedHD = 0;
    std::int32_t LevelMax = 0;
    std::int32_t FullPathMaxLetters = 0;

    // An entry failed since before was taken (a folder with a failure inside
    // is never taken back by a roll-back).
    bool failedSince(const EngineCounters& before) const
    {
        return CountFiles_Not != before.CountFiles_Not || CountFolder_Not != before.CountFolder_Not;
    }

    bool operator==(const EngineCounters&) const = default;
};

// The entry that failed or was left last (its full path and why), as the
// handlers of ActionFileNot(0) and ActionFolderNot(0) can read it: the
// protocol holds it only when one is made, a run without a person lists it
// anyway.
struct EntryFailure {
    std::string path;
    std::string reason;
    bool countedDone = false; // also in the "_Done" counters (it was reached, then left)
};

} // namespace zdr::engine
