#include "support/ScriptedUi.h"

namespace zdr::test {

using util::ui::Answer;
using util::ui::Buttons;

ScriptedUi::ScriptedUi()
{
    util::ui::setAnswerer([this](const util::ui::MessageRequest& request) {
        messages_.push_back(request);
        if (!answers_.empty()) {
            const Answer a = answers_.front();
            answers_.pop_front();
            return a;
        }
        switch (request.buttons) {
        case Buttons::Ok: return Answer::Ok;
        case Buttons::YesNo: return Answer::No;
        case Buttons::AbortRetryIgnore: return Answer::Abort;
        default: return Answer::Cancel;
        }
    });
    util::ui::clsCommonDialog::setChooser([this](const util::ui::clsCommonDialog::Request& request) {
        dialogs_.push_back(request);
        return next(files_);
    });
    util::ui::setHelpOpener([this](const std::string& path) {
        help_.push_back(path);
        return !helpFails_;
    });
    util::ui::setFolderChooser([this](const util::ui::FolderRequest& request) {
        folderRequests_.push_back(request);
        return next(folders_);
    });
}

std::string ScriptedUi::next(std::deque<std::string>& answers)
{
    if (answers.empty())
        return {};
    std::string answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

ScriptedUi::~ScriptedUi()
{
    util::ui::setAnswerer({});
    util::ui::clsCommonDialog::setChooser({});
    util::ui::setHelpOpener({});
    util::ui::setFolderChooser({});
}

} // namespace zdr::test
