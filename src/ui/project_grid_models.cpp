#include "ui/project_grid_models.h"

#include "model/forcing_grid.h"
#include "model/number_text.h"

namespace carexa {

namespace {

constexpr int kForcingGridColumns = static_cast<int>(kForcingHeadings.size());

} // namespace

ProjectGridModel::ProjectGridModel(Project &project, ProjectPart part, QObject *parent)
    : GridModel(parent), project_(project), part_(part)
{ }

void ProjectGridModel::projectChanged(const ProjectChange &change)
{
    if (rows() != shownRows_) {
        shownRows_ = rows();
        reload();
        return;
    }
    if (!change.parts.contains(part_))
        return;
    if (change.days)
        cellsChanged(1, change.days->first, columns() - 1, change.days->last - change.days->first + 1);
    else
        cellsChanged(1, 1, columns() - 1, rows() - 1);
}

// ---------------------------------------------------------------------------------------------
// Forcing values

ForcingGridModel::ForcingGridModel(Project &project, QObject *parent)
    : ProjectGridModel(project, ProjectPart::Days, parent)
{
    takeShownRows();
}

int ForcingGridModel::columns() const
{
    return kForcingGridColumns;
}

std::string ForcingGridModel::text(int column, int row) const
{
    if (column < 0 || column >= kForcingGridColumns || row < 0 || row >= rows())
        return {};
    if (row == 0)
        return std::string(kForcingHeadings[static_cast<std::size_t>(column)]);
    if (column == 0)
        return FormatInteger(row);
    return project_.forcingText(column, row);
}

void ForcingGridModel::write(int column, int row, const GridBlock &block)
{
    project_.setForcingCells(column, row, block);
}

// ---------------------------------------------------------------------------------------------
// Observed values

ObservedGridModel::ObservedGridModel(Project &project, QObject *parent)
    : ProjectGridModel(project, ProjectPart::Observed, parent)
{
    takeShownRows();
}

std::string ObservedGridModel::text(int column, int row) const
{
    if (column < 0 || column >= columns() || row < 0 || row >= rows())
        return {};
    return project_.observed().cell(column, row);
}

void ObservedGridModel::write(int column, int row, const GridBlock &block)
{
    project_.setObservedCells(column, row, block);
}

} // namespace carexa
