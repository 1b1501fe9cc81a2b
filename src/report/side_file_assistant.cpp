// The design assistant's inputs in a side file, read whole or left aside.

#include "report/side_file_assistant.h"

#include "report/side_file.h"

#include "model/error.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace carexa {

namespace {

struct Damaged
{
};

QString Key(const char *key)
{
    return QString::fromLatin1(key);
}

void Optional(QJsonObject &object, const char *key, const std::optional<double> &value)
{
    if (value)
        object.insert(Key(key), *value);
}

double NumberOf(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(Key(key));
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        throw Damaged {};
    return value.toDouble();
}

std::optional<double> OptionalOf(const QJsonObject &object, const char *key)
{
    if (!object.contains(Key(key)))
        return std::nullopt;
    return NumberOf(object, key);
}

QJsonObject ObjectOf(const QJsonValue &value)
{
    if (!value.isObject())
        throw Damaged {};
    return value.toObject();
}

} // namespace

QJsonObject AssistantJson(const KeptAssistant &assistant)
{
    const AssistantInputs &in = assistant.inputs;
    QJsonArray pollutants;
    for (const PollutantInput &p : in.sizing.pollutants) {
        pollutants.append(QJsonObject {{Key("pollutant"), QString::fromLatin1(PollutantKey(p.pollutant))},
            {Key("inflow"), p.inflow}, {Key("target"), p.target}, {Key("k20"), p.constants.k20},
            {Key("theta"), p.constants.theta}, {Key("cStar"), p.constants.cStar},
            {Key("tanks"), p.constants.tanks}});
    }
    QJsonObject json {{Key("flow"), in.sizing.flow}, {Key("temperature"), in.sizing.temperature},
        {Key("depth"), in.depth}, {Key("porosity"), in.porosity}, {Key("pollutants"), pollutants}};
    if (in.hydraulics) {
        json.insert(Key("hydraulics"),
            QJsonObject {{Key("conductivity"), in.hydraulics->conductivity},
                {Key("slope"), in.hydraulics->slope}, {Key("longTermFactor"), in.hydraulics->longTermFactor}});
    }
    Optional(json, "width", in.width);
    Optional(json, "designScreenWidth", in.designScreenWidth);
    Optional(json, "length", in.length);
    return json;
}

std::optional<KeptAssistant> AssistantOf(const QJsonValue &value, bool &damaged)
{
    damaged = false;
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    try {
        const QJsonObject json = ObjectOf(value);
        KeptAssistant kept;
        AssistantInputs &in = kept.inputs;
        in.sizing.flow = NumberOf(json, "flow");
        in.sizing.temperature = NumberOf(json, "temperature");
        in.depth = NumberOf(json, "depth");
        in.porosity = NumberOf(json, "porosity");
        if (json.contains(Key("hydraulics"))) {
            const QJsonObject h = ObjectOf(json.value(Key("hydraulics")));
            in.hydraulics = HydraulicInputs {.conductivity = NumberOf(h, "conductivity"),
                .slope = NumberOf(h, "slope"), .longTermFactor = NumberOf(h, "longTermFactor")};
        }
        in.width = OptionalOf(json, "width");
        in.designScreenWidth = OptionalOf(json, "designScreenWidth");
        in.length = OptionalOf(json, "length");
        const QJsonValue pollutants = json.value(Key("pollutants"));
        if (!pollutants.isArray() || pollutants.toArray().isEmpty())
            throw Damaged {};
        for (const QJsonValue &entry : pollutants.toArray()) {
            const QJsonObject p = ObjectOf(entry);
            const std::optional<Pollutant> pollutant
                = PollutantFromKey(p.value(Key("pollutant")).toString().toStdString());
            if (!pollutant)
                throw Damaged {};
            in.sizing.pollutants.push_back(PollutantInput {.pollutant = *pollutant,
                .inflow = NumberOf(p, "inflow"), .target = NumberOf(p, "target"),
                .constants = RateConstants {.k20 = NumberOf(p, "k20"), .theta = NumberOf(p, "theta"),
                    .cStar = NumberOf(p, "cStar"), .tanks = NumberOf(p, "tanks")}});
        }
        RunDesignAssistant(in); // inputs the assistant refuses are damaged
        return kept;
    } catch (const Damaged &) {
    } catch (const Error &) {
    }
    damaged = true;
    return std::nullopt;
}

bool operator==(const KeptAssistant &a, const KeptAssistant &b)
{
    return QJsonDocument(AssistantJson(a)).toJson(QJsonDocument::Compact)
        == QJsonDocument(AssistantJson(b)).toJson(QJsonDocument::Compact);
}

} // namespace carexa
