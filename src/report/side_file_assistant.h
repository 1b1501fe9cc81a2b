#pragma once

#include "project/report_settings.h"

#include <QJsonObject>
#include <QJsonValue>

#include <optional>

namespace carexa {

/// The "designAssistant" object of a side file.
QJsonObject AssistantJson(const KeptAssistant &assistant);

/// Reads a side file's "designAssistant" value; nothing when a value is missing, of the wrong
/// kind, or refused by the assistant (RunDesignAssistant's checks), and then `damaged` is set.
std::optional<KeptAssistant> AssistantOf(const QJsonValue &value, bool &damaged);

} // namespace carexa
