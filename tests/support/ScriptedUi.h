#pragma once

#include "util/HelpFile.h"
#include "util/MsgBox.h"
#include "util/clsCommonDialog.h"
#include "util/mdlGetFolder.h"

#include <deque>
#include <string>
#include <vector>

namespace zdr::test {

// Answers the program's message boxes, file dialogs and folder picker by script while it
// lives, and records what they showed and which help file was opened. An
// unscripted box is answered with Cancel (or No) so a test never blocks on a
// window.
class ScriptedUi {
public:
    ScriptedUi();
    ~ScriptedUi();
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    void answer(util::ui::Answer a) { answers_.push_back(a); }
    void chooseFile(std::string path) { files_.push_back(std::move(path)); }
    // The next folder picker answers with this path (an empty one cancels).
    void chooseFolder(std::string path) { folders_.push_back(std::move(path)); }

    const std::vector<util::ui::MessageRequest>& messages() const { return messages_; }
    const std::vector<util::ui::clsCommonDialog::Request>& dialogs() const { return dialogs_; }
    const std::vector<util::ui::FolderRequest>& folderRequests() const { return folderRequests_; }
    const std::vector<std::string>& helpOpened() const { return help_; }
    void failHelp() { helpFails_ = true; }
    std::string lastText() const { return messages_.empty() ? std::string() : messages_.back().text; }

private:
    static std::string next(std::deque<std::string>& answers);

    std::deque<util::ui::Answer> answers_;
    std::deque<std::string> files_;
    std::deque<std::string> folders_;
    std::vector<util::ui::MessageRequest> messages_;
    std::vector<util::ui::clsCommonDialog::Request> dialogs_;
    std::vector<util::ui::FolderRequest> folderRequests_;
    std::vector<std::string> help_;
    bool helpFails_ = false;
};

} // namespace zdr::test
