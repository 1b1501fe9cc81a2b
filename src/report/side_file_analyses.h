#pragma once

#include "project/kept_analyses.h"

#include <QJsonObject>
#include <QJsonValue>

#include <string>
#include <vector>

namespace carexa {

/// The "analyses" object of a side file: one member per analysis kept.
QJsonObject AnalysesJson(const KeptAnalyses &analyses);

/// Reads the analyses of a side file's "analyses" value. A part with a value missing, of the
/// wrong kind or out of its range is left aside whole and named in `damaged` ("the Sobol'
/// indices"); the others are read.
KeptAnalyses AnalysesOf(const QJsonValue &value, std::vector<std::string> &damaged);

} // namespace carexa
