// The window and its project document: what the window writes itself is told to the project,
// which judges what is stale; the Forcing Functions line and the question before a run show it.

#include "model/number_text.h"
#include "ui/fit_statistics_panel.h"
#include "ui/graph_box.h"
#include "ui/result_explorer.h"
#include "ui/tform1.h"
#include "ui/project_grid_models.h"
#include "ui/widget_factory.h"

#include <QLabel>
#include <QLineEdit>

namespace carexa {

using namespace Qt::StringLiterals;

void TForm1::showStaleness()
{
    if (!staleForcingLabel)
        return;
    const QString text = QString::fromStdString(project_.staleForcingText());
    staleForcingLabel->setText(text);
    staleForcingLabel->setVisible(!text.isEmpty());
}

void TForm1::recalculateWaterVolume()
{
    project_.calculateWaterVolume();
    Edit4->setText(ui::NumberText(project_.waterVolume()));
}

// The grid's other cells keep what they hold (a text that is no number included); column 11
// shows the new retention times. Like every button that rewrites the grid, it ends what the
// grid can undo, so no undo puts back a retention time the calculation replaced.
void TForm1::recalculateRetentionTimes()
{
    project_.calculateRetentionTimes();
    reloadInfluenceGrid();
    applyRetentionWarning();
}

void TForm1::showResultStaleness()
{
    const auto &shown = PaintBox1->request();
    if (shown && shown->stale != project_.stale(Derived::Results))
        refreshGraph();
    if (fitStatisticsPanel_)
        fitStatisticsPanel_->setStale(project_.stale(Derived::Fit));
    if (resultExplorer)
        resultExplorer->setStale(project_.stale(Derived::Results), project_.stale(Derived::Bands));
}

bool TForm1::settleStaleValuesBeforeRun()
{
    if (!project_.stale(Derived::WaterVolume) && !project_.stale(Derived::RetentionTimes))
        return true;
    const int answer = dialogs_.choose(this,
        u"The water volumes and retention times were calculated for other flows or another "
        "design. Recalculate them before simulating?"_s,
        u"Simulate"_s, {u"Recalculate"_s, u"Simulate as is"_s, u"Cancel"_s});
    if (answer == 2)
        return false;
    if (answer == 0) {
        // As the two buttons, in their order: the retention times come from the water volume.
        recalculateWaterVolume();
        recalculateRetentionTimes();
    }
    return true;
}

} // namespace carexa
