#pragma once

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace carexa {

/// Keeps the children of a widget where they stand at its first size, and moves or stretches
/// the ones it is told to by as much as the widget grows beyond that size (and back as it
/// shrinks, never below their first geometry).
class Anchors : public QObject
{
    Q_OBJECT

public:
    enum Anchor {
        Stay = 0,
        MoveRight = 1, ///< keeps its distance to the right edge
        MoveDown = 2, ///< keeps its distance to the bottom edge
        GrowWidth = 4, ///< widens by the growth
        GrowHeight = 8, ///< heightens by the growth
        MoveHalfRight = 16, ///< keeps its place relative to the centre
        MoveHalfDown = 32,
        Proportional = 64, ///< keeps its place as a share of the size
    };
    Q_DECLARE_FLAGS(Flags, Anchor)

    /// Follows `container`, whose present size is the first size.
    explicit Anchors(QWidget *container);

    /// Anchors `child` (a child of the container) at its present geometry.
    void add(QWidget *child, Flags flags);
    /// Anchors every direct child of the container not yet anchored: under `growing` (when
    /// valid, and in its columns) they move down, right of it (in its rows) they move right; the
    /// bottom row (from `bottomRow` down) moves down, and its buttons at the right edge move right
    /// too.
    void addOthers(const QRect &growing, int bottomRow);

    QSize firstSize() const { return first_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();

    struct Entry
    {
        QPointer<QWidget> widget;
        QRect first;
        Flags flags;
    };
    QWidget *container_;
    QSize first_;
    std::vector<Entry> entries_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Anchors::Flags)

} // namespace carexa
