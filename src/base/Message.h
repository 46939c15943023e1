#pragma once

#include <string>

// The kinds of message boxes the program shows, without any window code, so
// the engine can ask its questions through an interface and a window or a
// test script answers them.
namespace zdr::base {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct MessageRequest {
    std::string text; // line breaks as the program writes them (CR LF)
    std::string title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// Whoever answers questions: a message box, or a script in tests.
class Questioner {
public:
    virtual ~Questioner() = default;
    virtual Answer ask(const MessageRequest& request) = 0;
};

} // namespace zdr::base
