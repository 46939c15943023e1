#include "util/CommandLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>

namespace zdr::util::ui {

CommandLabel::CommandLabel(const QString& objectName, const QString& caption, QWidget* parent) : QLabel(parent)
{
    setObjectName(objectName);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setMargin(3);
    setFocusPolicy(Qt::TabFocus);
    setCaption(caption);
    setPressedLook(false);
}

void CommandLabel::setCaption(const QString& caption)
{
    caption_ = caption;
    QString shown;
    QChar mnemonic;
    for (int i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != QLatin1Char('&') && mnemonic.isNull())
                mnemonic = caption[i];
        }
        shown += caption[i];
    }
    setText(shown);
    setAccessibleName(shown);
    delete shortcut_;
    shortcut_ = nullptr;
    if (!mnemonic.isNull()) {
        shortcut_ = new QShortcut(QKeySequence(QStringLiteral("Alt+") + mnemonic), this);
        shortcut_->setContext(Qt::WindowShortcut);
        connect(shortcut_, &QShortcut::activated, this, &CommandLabel::click);
    }
}

bool CommandLabel::repeatIfRunning()
{
    if (!repeatWhileRunning_ || tag_ != QLatin1String("RUN"))
        return false;
    emit command();
    return true;
}

void CommandLabel::click()
{
    if (!isEnabled() || repeatIfRunning() || !tag_.isEmpty())
        return;
    tag_ = QStringLiteral("DOWN");
    release();
}

void CommandLabel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        && event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CommandLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && tag_.isEmpty()) {
        tag_ = QStringLiteral("DOWN");
        setPressedLook(true);
    }
    QLabel::mousePressEvent(event);
}

void CommandLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && tag_ == QLatin1String("DOWN"))
        release();
    else if (event->button() != Qt::LeftButton || !repeatIfRunning())
        QLabel::mouseReleaseEvent(event);
}

void CommandLabel::release()
{
    tag_ = QStringLiteral("RUN");
    QPointer<CommandLabel> self(this);
    emit command();
    if (!self)
        return; // the command closed the window that held the label
    setPressedLook(false);
    tag_.clear();
}

void CommandLabel::enterEvent(QEnterEvent* event)
{
    if (tag_.isEmpty())
        setCursor(Qt::PointingHandCursor);
    QLabel::enterEvent(event);
}

void CommandLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        setPressedLook(tag_ == QLatin1String("DOWN"));
    QLabel::changeEvent(event);
}

void CommandLabel::setPressedLook(bool pressed)
{
    // Pressed: opaque in the tool-tip background colour with a single border.
    setAutoFillBackground(pressed);
    setFrameShape(pressed ? QFrame::Box : QFrame::NoFrame);
    setBackgroundRole(pressed ? QPalette::ToolTipBase : QPalette::Window);
    setStyleSheet(isEnabled() ? QStringLiteral("QLabel { color: palette(link); text-decoration: underline; }"
                                               "QLabel:focus { border: 1px dotted palette(text); }")
                              : QString());
}

} // namespace zdr::util::ui
