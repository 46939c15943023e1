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

    // For messages: lines wrap instead, at blanks and inside a word (a path)
    // too long for a line, and the label grows in height to show all.
    void setWrapped(bool on);
    bool isWrapped() const { return wrapped_; }
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Grows (or shrinks) the minimum height to the wrapped text's.
    void fitHeight();

    bool wrapped_ = false;
};

} // namespace zdr::util::ui
