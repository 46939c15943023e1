#pragma once

#include <functional>
#include <string>

class QWidget;

// Message boxes of the program. Every window asks through here, so tests can
// answer a box without a person and see what it said.
namespace zdr::util::ui {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct MessageRequest {
    std::string text; // line breaks as the program writes them (CR LF)
    std::string title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// Shows a modal message box; an empty title shows the program's title.
Answer msgBox(QWidget* owner, const std::string& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
              const std::string& title = {});

// Replaces the real boxes (tests); an empty function restores them.
using Answerer = std::function<Answer(const MessageRequest&)>;
void setAnswerer(Answerer answerer);

} // namespace zdr::util::ui
