#pragma once

#include "analysis/observations.h"
#include "analysis/sensitivity.h"
#include "analysis/sobol.h"
#include "model/model_state.h"
#include "project/frozen_run.h"
#include "project/project.h"
#include "report/report_document.h"

#include <memory>
#include <optional>
#include <vector>

namespace carexa {

/// The data sheet grid of a run (columns 1..11, rows 1..days, as numbers) that the result
/// figures of one report share.
std::shared_ptr<const TextGrid> ReportSheetGrid(const FrozenRun &run);

/// The axis maximum a figure uses: the largest value rounded up to two significant digits.
double NiceMaximum(double largest);

/// The figure of result series `column` (1..11) drawn by the program's graph drawing: the
/// simulated line, the measured values as markers (when there are any), the uncertainty band's
/// 2.5th and 97.5th percentiles as grey lines (when `bands`), and a permit limit as a green line.
FigureDrawing SeriesFigure(std::shared_ptr<const TextGrid> sheet, int days,
    std::shared_ptr<const TextGrid> observed, int observedDays, int column,
    const ProjectBands *bands, std::optional<double> limit);

/// Temperature and flow of the days, as two graphs side by side.
FigureDrawing ForcingFigure(const ModelState &state);

/// The residuals (simulated - measured) of one series over the days.
FigureDrawing ResidualFigure(std::vector<std::pair<int, double>> residuals, int days,
    std::string unit);

/// The mean absolute elementary effects (mu*) of the sixteen parameters on one series, as bars
/// from the largest down.
FigureDrawing ScreeningFigure(const SensitivityResult &result, int column);

/// The Sobol' indices of the varied parameters on one series (1..11): the total index ST as an
/// outlined bar and the first-order index S1 filled within it, from the largest ST down; an
/// index that is no number counts as 0.
FigureDrawing SobolFigure(const SobolResult &result, int column);

} // namespace carexa
