#pragma once

#include "base/Message.h"

#include <functional>
#include <string>

class QWidget;

// Message boxes of the program. Every window asks through here, so tests can
// answer a box without a person and see what it said.
namespace zdr::util::ui {

using base::Answer;
using base::Buttons;
using base::Icon;
using base::MessageRequest;

// Shows a modal message box; an empty title shows the program's title.
Answer msgBox(QWidget* owner, const std::string& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
              const std::string& title = {});

// A questioner that shows message boxes over an owner window.
class MsgBoxQuestioner : public base::Questioner {
public:
    explicit MsgBoxQuestioner(QWidget* owner = nullptr) : owner_(owner) {}
    Answer ask(const MessageRequest& request) override;
    void setOwner(QWidget* owner) { owner_ = owner; }

private:
    QWidget* owner_;
};

// Replaces the real boxes (tests); an empty function restores them.
using Answerer = std::function<Answer(const MessageRequest&)>;
void setAnswerer(Answerer answerer);

} // namespace zdr::util::ui
