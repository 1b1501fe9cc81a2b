#pragma once

#include "project/project.h"
#include "ui/grid_model.h"

namespace carexa {

/// The forcing grid as a view of the project: row d shows day d's eleven forcing values (a
/// cell that holds a text that is no number shows that text, which the project keeps for the
/// cell until a number or an empty text replaces it). A typed, pasted, cleared, undone or
/// redone block is the project's setForcingCells, so the days change at once and what depends
/// on them is judged again.
class ForcingGridModel : public GridModel
{
    Q_OBJECT

public:
    ForcingGridModel(Project &project, QObject *parent = nullptr);

    int columns() const override;
    int rows() const override { return project_.state().simulationLength + 1; }
    std::string text(int column, int row) const override;
    bool editable() const override { return true; }
    void write(int column, int row, const GridBlock &block) override;

    /// Shows a change of the project: a new number of days as a new grid, other changes of the
    /// days as changed cells (so what can be undone stays).
    void projectChanged(const ProjectChange &change);

private:
    Project &project_;
    int shownRows_;
};

/// The observed values grid as a view of the project's observed values, cells as typed; a
/// block written is the project's setObservedCells.
class ObservedGridModel : public GridModel
{
    Q_OBJECT

public:
    ObservedGridModel(Project &project, QObject *parent = nullptr);

    int columns() const override { return project_.observed().columnCount(); }
    int rows() const override { return project_.state().observedLength + 1; }
    std::string text(int column, int row) const override;
    bool editable() const override { return true; }
    void write(int column, int row, const GridBlock &block) override;

    void projectChanged(const ProjectChange &change);

private:
    Project &project_;
    int shownRows_;
};

} // namespace carexa
