#pragma once

#include "project/project.h"
#include "ui/grid_model.h"

namespace carexa {

/// A grid that shows part of the project and writes into it through the project's operations.
/// A change of the project shows as a new grid when the number of rows changed (which ends
/// what the view can undo), else as changed cells of that part.
class ProjectGridModel : public GridModel
{
    Q_OBJECT

public:
    bool editable() const override { return true; }
    /// Shows a change of the project.
    void projectChanged(const ProjectChange &change);

protected:
    ProjectGridModel(Project &project, ProjectPart part, QObject *parent);
    /// Call at the end of the derived constructor: the rows on show.
    void takeShownRows() { shownRows_ = rows(); }

    Project &project_;

private:
    ProjectPart part_;
    int shownRows_ = 0;
};

/// The forcing grid as a view of the project: row d shows day d's eleven forcing values (a
/// cell that holds a text that is no number shows that text, which the project keeps for the
/// cell until a number or an empty text replaces it). A typed, pasted, cleared, undone or
/// redone block is the project's setForcingCells, so the days change at once and what depends
/// on them is judged again.
class ForcingGridModel : public ProjectGridModel
{
    Q_OBJECT

public:
    ForcingGridModel(Project &project, QObject *parent = nullptr);

    int columns() const override;
    int rows() const override { return project_.state().simulationLength + 1; }
    std::string text(int column, int row) const override;
    void write(int column, int row, const GridBlock &block) override;
};

/// The observed values grid as a view of the project's observed values, cells as typed; a
/// block written is the project's setObservedCells.
class ObservedGridModel : public ProjectGridModel
{
    Q_OBJECT

public:
    ObservedGridModel(Project &project, QObject *parent = nullptr);

    int columns() const override { return project_.observed().columnCount(); }
    int rows() const override { return project_.state().observedLength + 1; }
    std::string text(int column, int row) const override;
    void write(int column, int row, const GridBlock &block) override;
};

} // namespace carexa
