#include "run/PassSummary.h"

#include "engine/PassAction.h"
#include "engine/StatusBits.h"

namespace zdr::run {

namespace {

using std::to_string;

// " (geschützt: n)" and its siblings, each only when its number is above 0.
std::string attributeCounts(std::int64_t isProtected, std::int64_t system, std::int64_t hidden, std::int64_t compressed)
{
    std::string out;
    auto part = [&out](const char* name, std::int64_t n) {
        if (n > 0)
            out += std::string(" (") + name + ": " + to_string(n) + ")";
    };
    part("geschützt", isProtected);
    part("System", system);
    part("versteckt", hidden);
    part("komprimiert", compressed);
    return out;
}

} // namespace

std::string passSummary(const EngineState& engine)
{
    const engine::EngineCounters& c = engine.counters;
    const bool withInfo = (engine.status & engine::status::kWithInfo) != 0;
    const std::string crlf = "\r\n";
    const engine::PassAction pass = engine::passActionOf(engine.action);
    if (pass == engine::PassAction::Info)
        return " Anzahl Ordner: " + to_string(c.CountFolder)
            + attributeCounts(c.CountFolder_Protected, c.CountFolder_System, c.CountFolder_Hidden,
                              c.CountFolder_Compressed)
            + crlf + "Anzahl Dateien: " + to_string(c.CountFiles)
            + attributeCounts(c.CountFiles_Protected, c.CountFiles_System, c.CountFiles_Hidden, c.CountFiles_Compressed)
            + crlf + "Tiefe: " + to_string(c.LevelMax) + " - max. Länge: " + to_string(c.FullPathMaxLetters);

    const bool copy = pass == engine::PassAction::Copy;
    if (!engine::actsOnEntries(pass))
        return {};
    // One line per kind; the folder line of a copy after the information pass
    // has two blanks before "- (übersprungen".
    // What the review left out stands apart from errors and equal files.
    auto line = [&](const char* head, std::int64_t done, std::int64_t all, std::int64_t failed, std::int64_t skipped,
                    const char* skippedGap, std::int64_t left) {
        std::string text = std::string(head) + to_string(done);
        if (withInfo)
            text += " (von " + to_string(all) + ")";
        text += " - (Fehler " + to_string(failed) + ")";
        if (copy)
            text += std::string(skippedGap) + "- (übersprungen " + to_string(skipped) + ")";
        if (left > 0)
            text += " - (ausgelassen " + to_string(left) + ")";
        return text;
    };
    return line(" Anzahl Ordner: ", c.CountFolder_Done, c.CountFolder, c.CountFolder_Not, c.CountFolder_ExistsTimeOk,
                withInfo ? "  " : " ", c.CountFolder_Left)
        + crlf
        + line("Anzahl Dateien: ", c.CountFiles_Done, c.CountFiles, c.CountFiles_Not, c.CountFiles_ExistsTimeOk, " ",
               c.CountFiles_Left);
}

ViewUpdate passReady(const EngineState& engine, bool success, const std::string& message, bool targetMissing,
                     const std::string& objectText)
{
    ViewUpdate update;
    const engine::EngineCounters& c = engine.counters;
    const engine::PassAction pass = engine::passActionOf(engine.action);
    const bool mkDir = pass == engine::PassAction::MkDir;
    if (success) {
        if (message == kNothingToCopy) {
            update.setText(Control::lblSystemInfoObject, objectText + " - " + message);
        } else {
            // Not "erfolgreich" while anything was left, by an error or by the review.
            const bool leftSome = c.CountFiles_Not + c.CountFolder_Not + c.CountFiles_Left + c.CountFolder_Left > 0;
            const char* state = leftSome ? "Vorgang abgeschlossen" : "Vorgang erfolgreich abgeschlossen";
            update.setText(Control::Caption, state);
            update.setText(Control::lblSystemInfoQuestion, state);
        }
        if (!mkDir)
            update.setText(Control::lblSystemInfo, passSummary(engine));
        // Small files are copied without progress steps: the last one's bar
        // would stay where it started.
        update.bar(BarAction::Value, WhichBar::Sub, 100);
        // The main bar's share of counts and sizes can end a hair short (a
        // folder counted but not an entry of the action): a pass that did
        // everything shows it full.
        if (c.CountFiles_Not + c.CountFolder_Not == 0) {
            update.bar(BarAction::Value, WhichBar::Main, 100);
            update.lastMainPercent = 100;
        }
        update.unloadWindow = engine::actsOnEntries(pass) && (engine.statusEx & engine::statusEx::kCloseAfterRun) != 0;
        return update;
    }
    const char* state = targetMissing ? kTargetWanted : "Vorgang abgebrochen";
    update.setText(Control::Caption, state);
    update.setText(Control::lblSystemInfoQuestion, state);
    if (!message.empty()) {
        if (mkDir) {
            update.setText(Control::lblCreateFolderError, objectText + " - " + message);
            update.show(Control::lblCreateFolderError, true);
        } else {
            update.setText(Control::lblSystemInfoObject, objectText + " - " + message);
        }
    }
    return update;
}

} // namespace zdr::run
