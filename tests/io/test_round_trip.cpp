// Exported forcing data and observed values import back into the project they came from.

#include "io/buffered_writer.h"
#include "io/csv_export.h"
#include "io/csv_import.h"
#include "io/grid_import.h"
#include "model/observed_grid.h"
#include "project/project_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace carexa;
using carexa::testing_support::ExampleFile;

namespace {

class ExampleRoundTrip : public testing::TestWithParam<const char *>
{ };

TEST_P(ExampleRoundTrip, ExportedTablesImportBackToTheSameProject)
{
    const LoadedProject loaded = ReadProjectFile(ExampleFile(GetParam()));
    ModelState original;
    ApplyProject(loaded, original);
    TextGrid observed(12, 1);
    FillObservedGrid(loaded, observed);
    const DesignTexts design = LoadedDesignTexts(loaded);
    const std::string before = ProjectText(original, observed, design);

    TextGrid forcing(12, 1);
    LayOutForcingGrid(forcing, original.simulationLength);
    RefreshForcingGrid(original, forcing);
    StringSink forcingCsv, observedCsv;
    WriteGridCsv(forcing, original.simulationLength, ForcingCsvHeadings(), forcingCsv);
    WriteGridCsv(observed, original.observedLength, SeriesCsvHeadings(), observedCsv);

    // A fresh load whose forcing data and observed values are wiped before the import.
    ModelState fresh;
    ApplyProject(loaded, fresh);
    TextGrid freshForcing(12, 1);
    LayOutForcingGrid(freshForcing, fresh.simulationLength);
    ResetForcingGrid(fresh, freshForcing);
    TextGrid freshObserved(12, 1);
    BuildObservedGrid(freshObserved, fresh.observedLength);
    ASSERT_NE(ProjectText(fresh, freshObserved, design), before);

    const ImportSettings forcingSettings = DetectImport(forcingCsv.text(), ImportTarget::Forcing);
    RequireKnownHeadings(forcingCsv.text(), forcingSettings, ImportTarget::Forcing);
    const ImportedTable forcingTable
        = ReadImport(forcingCsv.text(), forcingSettings, ImportTarget::Forcing);
    EXPECT_EQ(ImportForcingData(fresh, freshForcing, forcingTable, ExtraDays::Drop),
        fresh.simulationLength);

    const ImportSettings observedSettings
        = DetectImport(observedCsv.text(), ImportTarget::Observed);
    RequireKnownHeadings(observedCsv.text(), observedSettings, ImportTarget::Observed);
    EXPECT_EQ(ImportObservedValues(fresh.observedLength, freshObserved,
                  ReadImport(observedCsv.text(), observedSettings, ImportTarget::Observed),
                  ExtraDays::Drop),
        fresh.observedLength);

    EXPECT_EQ(ProjectText(fresh, freshObserved, design), before);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ExampleRoundTrip, testing::Values("cold_climate_bed.mdl", "warm_climate_bed.mdl"));

} // namespace
