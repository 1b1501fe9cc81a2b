#include "ui/anchors.h"

#include <QEvent>

#include <algorithm>

namespace carexa {

namespace {

// A child this close to the right edge at the first size stands at the edge.
constexpr int kEdgeMargin = 20;

} // namespace

Anchors::Anchors(QWidget *container)
    : QObject(container), container_(container), first_(container->size())
{
    container->installEventFilter(this);
}

void Anchors::add(QWidget *child, Flags flags)
{
    for (Entry &entry : entries_) {
        if (entry.widget == child) {
            entry.flags = flags;
            return;
        }
    }
    entries_.push_back({child, child->geometry(), flags});
}

void Anchors::addOthers(const QRect &growing, int bottomRow)
{
    for (QWidget *child : container_->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const bool known = std::any_of(entries_.begin(), entries_.end(),
            [child](const Entry &e) { return e.widget == child; });
        if (known)
            continue;
        const QRect g = child->geometry();
        Flags flags = Stay;
        if (growing.isValid()) {
            // Under it (in its columns) or beside it (in its rows).
            const bool columns = g.right() >= growing.left() && g.left() <= growing.right();
            const bool rows = g.bottom() >= growing.top() && g.top() <= growing.bottom();
            if (g.top() > growing.bottom() && columns)
                flags |= MoveDown;
            if (g.left() > growing.right() && rows)
                flags |= MoveRight;
        }
        if (g.top() >= bottomRow) {
            flags |= MoveDown;
            if (g.right() >= first_.width() - kEdgeMargin)
                flags |= MoveRight;
        }
        entries_.push_back({child, g, flags});
    }
}

bool Anchors::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == container_ && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}

void Anchors::apply()
{
    const int dx = std::max(0, container_->width() - first_.width());
    const int dy = std::max(0, container_->height() - first_.height());
    for (const Entry &entry : entries_) {
        if (!entry.widget)
            continue;
        QRect g = entry.first;
        if (entry.flags & Proportional) {
            const int width = std::max(container_->width(), first_.width());
            const int height = std::max(container_->height(), first_.height());
            g.moveTo(g.left() * width / std::max(1, first_.width()),
                g.top() * height / std::max(1, first_.height()));
        }
        if (entry.flags & MoveRight)
            g.translate(dx, 0);
        if (entry.flags & MoveDown)
            g.translate(0, dy);
        if (entry.flags & MoveHalfRight)
            g.translate(dx / 2, 0);
        if (entry.flags & MoveHalfDown)
            g.translate(0, dy / 2);
        if (entry.flags & GrowWidth)
            g.setWidth(g.width() + dx);
        if (entry.flags & GrowHeight)
            g.setHeight(g.height() + dy);
        if (entry.widget->geometry() != g)
            entry.widget->setGeometry(g);
    }
}

} // namespace carexa
