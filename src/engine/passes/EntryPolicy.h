#pragma once

#include "engine/passes/RunContext.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace zdr::base {
enum class Answer;
enum class Buttons;
} // namespace zdr::base

namespace zdr::engine {

// The questions before an action and after a failed one, and the error
// policy that turns a failed entry into its protocol line and counters.
// Shared by the passes that act on entries (copy, delete, attributes); it
// remembers which question "for all" the run has asked already.
class EntryPolicy {
public:
    explicit EntryPolicy(RunContext& run) : run_(run) {}

    // A new run: every question may come again.
    void sb_RunStart();
    // A new pass: no failure kept yet.
    void sb_PassStart() { kept_.reset(); }
    // What the questions decide about an entry.
    enum class Decision {
        GoOn,  // before the action: act; after a failure: leave it failed and go on
        Retry, // act again (a failure the user wants repeated, a read-only bit taken)
        Skip,  // the user skipped it: its line is written; count it with sb_CountLeft
        Cancel // the run stops (its line is written, the cancel flag set)
    };
    // With an empty errorText the questions before the action (obstacle:
    // the existing target of a copy); with the failed action's text the
    // questions after it.
    [[nodiscard]] Decision fc_AskUser(const EntryAt& at, const platform::FileEntry* obstacle,
                                      const std::string& errorText);
    // After the action routine reported failure: the entry's line, its
    // counts, and whether the walk goes on (a file: always).
    [[nodiscard]] EntryResult fc_EntryFailed(const EntryAt& at, std::string& errorText);
    // After a failed delete or attribute change: the questions. Retry (the
    // error text cleared); Skip (counted, the entry is done); else it failed
    // (errorText set). readOnlyAllowed: the answer was a yes to the read-only question.
    [[nodiscard]] Decision fc_AskAgain(const EntryAt& at, const std::string& path, bool& readOnlyAllowed,
                                       std::string& errorText);
    // An entry skipped or left: counted as done and as not done; `reason`
    // (empty: skipped) is kept as the run's last failure.
    void sb_CountLeft(const EntryAt& at, const std::string& reason);
    // A failure that fails the pass at its end while the walk goes on (a
    // rename after the copy): kept as a failure of an entry is.
    void sb_KeepFailure(const StepError& error)
    {
        if (error.failed())
            kept_ = error.text();
    }
    // An entry the walk meant to handle and cannot reach: the run's last failure.
    void sb_Unreachable(const std::string& path, const std::string& reason) { lastFailure_ = {path, reason}; }
    // The last entry left, skipped or not reached, for the engine's face.
    const EntryFailure& fc_LastFailure() const { return lastFailure_; }
    // The failure kept since the last call (the last one wins), for the
    // task driver, which ends the pass with it.
    [[nodiscard]] std::optional<std::string> fc_TakeKept() { return std::exchange(kept_, std::nullopt); }

private:
    base::Answer fc_Question(const EntryAt& at, const std::string& text, base::Buttons buttons);
    void sb_AskLine(const EntryAt& at, const char* fileText, const char* folderText);
    // The question for all after an answer, asked once per run (askedBit
    // of askedFlags_): true for a yes.
    bool fc_ForAll(const EntryAt& at, std::uint32_t askedBit, const std::string& question);
    // The answers "no" (the entry is skipped) and "cancel" of a copy question.
    Decision fc_Skipped(const EntryAt& at);
    Decision fc_CopyCancelled(const EntryAt& at);
    void sb_QuestionTimeAdd(RunContext::Clock::time_point start);

    RunContext& run_;
    std::uint32_t askedFlags_ = 0;    // which questions "for all" were asked
    std::int64_t questionMillis_ = 0; // question time not yet a whole second
    // The failure of an entry kept for the pass's result, so a later entry
    // that clears the walk's error text cannot hide it.
    std::optional<std::string> kept_;
    EntryFailure lastFailure_;
};

} // namespace zdr::engine
