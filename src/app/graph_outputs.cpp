#include "app/graph_outputs.h"

#include "io/output_file.h"
#include "model/error.h"
#include "model/output_series.h"
#include "results/data_sheet.h"
#include "results/graph.h"
#include "ui/picture_export.h"

#include <charconv>
#include <string_view>

namespace carexa::batch {

namespace {

// A whole number that is the whole of `text`, within [lowest, highest].
bool ReadWhole(std::string_view text, int lowest, int highest, int &value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size()
        && value >= lowest && value <= highest;
}

GraphOutput ReadGraph(const std::string &text)
{
    const std::size_t colon = text.find(':');
    GraphOutput graph;
    if (colon == std::string::npos
        || !ReadWhole(std::string_view(text).substr(0, colon), 1, kSeriesCount, graph.column))
        throw UsageError("--graph takes COLUMN:FILE with COLUMN a series from 1 to 11, not '"
            + QuotedText(text) + "'");
    graph.file = text.substr(colon + 1);
    if (!PictureFormatOf(QString::fromStdString(graph.file)))
        throw UsageError("--graph writes a picture whose name ends in .png, .svg or .pdf, not '"
            + QuotedText(graph.file) + "'");
    return graph;
}

} // namespace

GraphOutputs ParseGraphOutputs(const ParsedArguments &parsed)
{
    GraphOutputs outputs;
    for (const std::string &text : parsed.all("--graph"))
        outputs.graphs.push_back(ReadGraph(text));
    if (const auto size = parsed.value("--graph-size")) {
        if (outputs.graphs.empty())
            throw UsageError(
                "--graph-size sets the size of the pictures of --graph; none is given");
        const std::size_t x = size->find('x');
        const std::string_view text(*size);
        if (x == std::string::npos
            || !ReadWhole(text.substr(0, x), kPictureMinSide, kPictureMaxSide, outputs.width)
            || !ReadWhole(text.substr(x + 1), kPictureMinSide, kPictureMaxSide, outputs.height))
            throw UsageError("--graph-size takes WIDTHxHEIGHT, each from "
                + std::to_string(kPictureMinSide) + " to " + std::to_string(kPictureMaxSide)
                + ", not '" + QuotedText(*size) + "'");
    }
    return outputs;
}

void WriteGraphOutputs(const GraphOutputs &outputs, const Session &session)
{
    if (outputs.graphs.empty())
        return;
    // The data sheet as a run leaves it in the window, which "Export graph..." draws from.
    TextGrid sheet(5, 5);
    FillSimulationDataSheet(session.state(), sheet, kRunSheet);
    const PictureSession pictures;
    GraphRequest request;
    request.simulationDays = session.state().simulationLength;
    request.observedDays = session.state().observedLength;
    request.showObserved = HasObservations(session.observed(), session.state().observedLength);
    for (const GraphOutput &graph : outputs.graphs) {
        request.column = graph.column;
        const QByteArray bytes = RenderPicture(*PictureFormatOf(QString::fromStdString(graph.file)),
            QSize(outputs.width, outputs.height), QSize(kGraphPictureWidth, kGraphPictureHeight),
            [&](Canvas &canvas) { DrawGraphPicture(canvas, request, sheet, session.observed()); });
        WriteFileAtomically(graph.file,
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
            "The picture");
    }
}

} // namespace carexa::batch
