#pragma once

#include "app/batch_command.h"

#include <string>
#include <vector>

namespace carexa::batch {

/// One picture asked for with --graph: a series (column 1 to 11) and the file it goes to.
struct GraphOutput
{
    int column = 1;
    std::string file;
};

/// The pictures of --graph COLUMN:FILE (in the order given) at the size of --graph-size WxH
/// (800 x 600 unless given): pixels for PNG and SVG, points for PDF.
struct GraphOutputs
{
    std::vector<GraphOutput> graphs;
    int width = 800;
    int height = 600;
};

/// Reads --graph and --graph-size. Throws UsageError for a column outside 1..11, a file that
/// does not end in .png, .svg or .pdf, a size that is not WIDTHxHEIGHT with each side from 100
/// to 10000, or a size without any graph.
GraphOutputs ParseGraphOutputs(const ParsedArguments &parsed);

/// Draws each picture as "Export graph..." draws the graph of that series after "Simulate", with
/// the automatic maximum, from the data sheet as the session's run leaves it and the session's
/// observed values, which are shown when any series of the project holds one. Each file appears complete or not at all. Needs no display;
/// throws Error (saying why) when a picture cannot be drawn or written.
void WriteGraphOutputs(const GraphOutputs &outputs, const Session &session);

} // namespace carexa::batch
