#include "analysis/filter_text.h"

#include "core/access_record.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

constexpr int kVersion = 1;

QString asciiOnly(const QString& json)
{
    QString out;
    out.reserve(json.size());
    for (QChar c : json) {
        if (c.unicode() < 0x80)
            out += c;
        else
            out += u"\\u%1"_s.arg(c.unicode(), 4, 16, QChar(u'0'));
    }
    return out;
}

QJsonObject conditionObject(const FilterCondition& c)
{
    QJsonObject o;
    switch (c.kind) {
    case FilterCondition::Kind::Contains:
    case FilterCondition::Kind::Regex:
        o[u"kind"_s] = c.kind == FilterCondition::Kind::Regex ? u"regex"_s : u"contains"_s;
        o[u"field"_s] = c.field;
        o[u"text"_s] = c.text;
        o[u"matchCase"_s] = c.matchCase;
        o[u"negated"_s] = c.negated;
        break;
    case FilterCondition::Kind::DateRange:
        o[u"kind"_s] = u"date"_s;
        o[u"from"_s] = QString::fromLatin1(c.from);
        o[u"until"_s] = QString::fromLatin1(c.until);
        break;
    case FilterCondition::Kind::Custom:
        if (c.drill) {
            o[u"kind"_s] = u"drill"_s;
            o[u"statistic"_s] = int(c.drill->statistic());
            o[u"number"_s] = c.drill->number();
            o[u"text"_s] = QString::fromUtf8(c.drill->text());
        }
        break;
    }
    return o;
}

bool isDateEnd(const QByteArray& end)
{
    return end.isEmpty() || isListDateTime(end);
}

std::optional<FilterCondition> conditionFrom(const QJsonObject& o)
{
    const QString kind = o.value(u"kind"_s).toString();
    if (kind == u"contains"_s || kind == u"regex"_s) {
        const int field = o.value(u"field"_s).toInt(-2);
        if (field != kAnyField && (field < 0 || field >= kMaxFieldCount))
            return std::nullopt;
        const QString text = o.value(u"text"_s).toString();
        const bool matchCase = o.value(u"matchCase"_s).toBool();
        const bool negated = o.value(u"negated"_s).toBool();
        if (kind == u"contains"_s)
            return FilterCondition::contains(field, text, matchCase, negated);
        return FilterCondition::regex(field, text, matchCase, negated);
    }
    if (kind == u"date"_s) {
        const QByteArray from = o.value(u"from"_s).toString().toLatin1();
        const QByteArray until = o.value(u"until"_s).toString().toLatin1();
        if (!isDateEnd(from) || !isDateEnd(until))
            return std::nullopt;
        return FilterCondition::dateRange(from, until);
    }
    if (kind == u"drill"_s) {
        const auto drill =
            DrillDown::restore(o.value(u"statistic"_s).toInt(-1), o.value(u"number"_s).toInt(-1),
                               o.value(u"text"_s).toString().toUtf8());
        if (drill)
            return FilterCondition::drillDown(*drill);
    }
    return std::nullopt;
}

} // namespace

QString filterToText(const FilterParts& parts)
{
    QJsonArray conditions;
    for (const FilterCondition& c : parts.filter.conditions) {
        QJsonObject o = conditionObject(c);
        if (!o.isEmpty())
            conditions.append(o);
    }
    QJsonObject root;
    root[u"version"_s] = kVersion;
    root[u"withoutBots"_s] = parts.withoutBots;
    root[u"conditions"_s] = conditions;
    return asciiOnly(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)));
}

std::optional<FilterParts> filterFromText(const QString& text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject root = doc.object();
    if (root.value(u"version"_s).toInt() != kVersion)
        return std::nullopt;
    FilterParts parts;
    parts.withoutBots = root.value(u"withoutBots"_s).toBool();
    for (const QJsonValue& v : root.value(u"conditions"_s).toArray()) {
        auto c = conditionFrom(v.toObject());
        if (!c)
            return std::nullopt;
        parts.filter.conditions.push_back(std::move(*c));
    }
    return parts;
}

} // namespace tw
