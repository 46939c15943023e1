#pragma once

#include <string>
#include <utility>

namespace zdr::engine {

// An error a step hands back to its caller instead of leaving it in a
// shared field: the German text, empty when the step went well.
class [[nodiscard]] StepError {
public:
    StepError() = default;
    explicit StepError(std::string text) : text_(std::move(text)) {}

    bool failed() const { return !text_.empty(); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace zdr::engine
