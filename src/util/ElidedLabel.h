#pragma once

#include <QLabel>

namespace zdr::util::ui {

// A label for texts that may be longer than its place (paths, task
// descriptions): each line that does not fit is shown shortened in the
// middle with "…", so its beginning and its end stay readable, and the tool
// tip shows the whole text. text() is always the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text = {}, QWidget* parent = nullptr);

    // What the label shows in its present width.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};

} // namespace zdr::util::ui
