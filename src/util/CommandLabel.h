#pragma once

#include <QLabel>

class QShortcut;

namespace zdr::util::ui {

// A label that acts as a command button. Its tag is "DOWN" while pressed,
// "RUN" while the command executes and empty at rest, so a command cannot
// start twice; the hand cursor shows while hovering. Tab reaches it (a click
// does not take the focus from the field being edited), Space or Enter
// starts it, and a dotted frame shows the focus.
class CommandLabel : public QLabel {
    Q_OBJECT
public:
    // The caption may carry a mnemonic ("&Schließen"): it is shown without the
    // "&" and Alt with that letter starts the command.
    explicit CommandLabel(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Starts the command as a click would: tag "DOWN", then the release.
    void click();

    // While the command runs (tag "RUN") a further click raises the command
    // again instead of being refused: a start button whose command is a long
    // run uses that second click to ask whether to cancel.
    void setRepeatWhileRunning(bool repeat) { repeatWhileRunning_ = repeat; }

signals:
    // The command; handlers run while the tag is "RUN".
    void command();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void release();
    bool repeatIfRunning();
    void setPressedLook(bool pressed);

    QString tag_;
    QString caption_;
    QShortcut* shortcut_ = nullptr;
    bool repeatWhileRunning_ = false;
};

} // namespace zdr::util::ui
