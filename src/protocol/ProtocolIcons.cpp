#include "protocol/ProtocolIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPen>
#include <QStyle>

#include <array>

namespace zdr::protocol::ui {

namespace {

constexpr int kSize = 16;
constexpr std::size_t kIconCount = 6;

enum class Mark { None, Done, Failed };

QPixmap drawIcon(bool file, Mark mark)
{
    QPixmap base =
        QApplication::style()->standardIcon(file ? QStyle::SP_FileIcon : QStyle::SP_DirIcon).pixmap(kSize, kSize);
    if (base.isNull()) {
        base = QPixmap(kSize, kSize);
        base.fill(Qt::transparent);
    }
    QPainter painter(&base);
    painter.setRenderHint(QPainter::Antialiasing);
    if (mark == Mark::Done) {
        painter.setPen(QPen(QColor(0, 150, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(7, 11), QPointF(10, 14), QPointF(15, 7)}));
    } else if (mark == Mark::Failed) {
        painter.setPen(QPen(QColor(220, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(8, 8), QPointF(14, 14));
        painter.drawLine(QPointF(14, 8), QPointF(8, 14));
    }
    return base;
}

std::array<QIcon, kIconCount * 2> makeIcons()
{
    std::array<QIcon, kIconCount * 2> icons;
    const std::array<std::pair<bool, Mark>, kIconCount> looks{{{false, Mark::None},
                                                               {false, Mark::Done},
                                                               {false, Mark::Failed},
                                                               {true, Mark::None},
                                                               {true, Mark::Done},
                                                               {true, Mark::Failed}}};
    for (std::size_t i = 0; i < kIconCount; ++i) {
        const QIcon normal(drawIcon(looks[i].first, looks[i].second));
        icons[i * 2] = normal;
        icons[i * 2 + 1] = QIcon(normal.pixmap(kSize, kSize, QIcon::Disabled));
    }
    return icons;
}

} // namespace

const QIcon& rowIcon(RowIcon icon, bool ghosted)
{
    static const std::array<QIcon, kIconCount* 2> icons = makeIcons();
    return icons[static_cast<std::size_t>(icon) * 2 + (ghosted ? 1 : 0)];
}

} // namespace zdr::protocol::ui
