#include "analysis/row_filter.h"

#include "analysis/search.h"
#include "core/access_record.h"
#include "core/cp932.h"
#include "core/log_list.h"
#include "core/worker_threads.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QThread>

#include <algorithm>
#include <numeric>
#include <string_view>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

constexpr qsizetype kDateTimeLength = 19; // "YYYY/MM/DD HH:MM:SS"

QString fieldName(int field)
{
    if (field == kAnyField)
        return u"すべて"_s;
    return field >= 0 && field < kMaxFieldCount ? columnCaption(field) : u"(%1)"_s.arg(field);
}

// A field number that names no field (a damaged saved filter) reads as an empty text.
QByteArrayView fieldOf(const LogRow& row, int field)
{
    return field >= 0 ? row.field(field) : QByteArrayView();
}

// Cheaper kinds first: the order does not change which rows pass.
int costRank(FilterCondition::Kind kind)
{
    switch (kind) {
    case FilterCondition::Kind::DateRange:
        return 0;
    case FilterCondition::Kind::Contains:
        return 1;
    case FilterCondition::Kind::Regex:
        return 2;
    case FilterCondition::Kind::Custom:
        break;
    }
    return 3;
}

QRegularExpression::PatternOptions regexOptions(bool matchCase)
{
    return matchCase ? QRegularExpression::NoPatternOption
                     : QRegularExpression::CaseInsensitiveOption;
}

// One condition as one thread tests it: matchers keep buffers of their own.
class ConditionMatcher {
public:
    explicit ConditionMatcher(const FilterCondition& condition) : m_condition(condition)
    {
        if (condition.kind == FilterCondition::Kind::Contains)
            m_contains.emplace(condition.text, condition.matchCase);
        if (condition.kind == FilterCondition::Kind::Regex) {
            m_regex = QRegularExpression(condition.text, regexOptions(condition.matchCase));
            m_regexValid = m_regex.isValid();
        }
    }

    bool passes(const LogList& list, qsizetype index) const
    {
        const FilterCondition& c = m_condition;
        const LogRow& row = list.row(index);
        switch (c.kind) {
        case FilterCondition::Kind::Contains:
            return c.negated != (c.field == kAnyField
                                     ? m_contains->matches(row)
                                     : m_contains->matchesText(fieldOf(row, c.field)));
        case FilterCondition::Kind::Regex:
            // A pattern that cannot be used matches nothing (and Qt would warn on every row).
            return c.negated != (m_regexValid && regexMatches(row));
        case FilterCondition::Kind::DateRange:
            return inRange(row.field(ColDateTime));
        case FilterCondition::Kind::Custom:
            return c.test(list, index);
        }
        return false;
    }

private:
    bool regexMatches(const LogRow& row) const
    {
        if (m_condition.field != kAnyField)
            return regexMatches(fieldOf(row, m_condition.field));
        for (int k = 0; k < row.fieldCount; ++k) {
            if (regexMatches(row.field(k)))
                return true;
        }
        return false;
    }

    // Decodes into a buffer kept from row to row; code marks count for nothing, as in search.
    bool regexMatches(QByteArrayView utf8) const
    {
        if (cp932::mayHoldCodeMarks(utf8)) {
            m_unmarked.resize(0);
            cp932::appendWithoutCodeMarks(utf8, m_unmarked);
            utf8 = m_unmarked;
        }
        if (m_text.size() < utf8.size())
            m_text.resize(utf8.size());
        const QChar* end = m_decoder.appendToBuffer(m_text.data(), utf8);
        m_decoder.resetState();
        // The decoder gives valid UTF-16: PCRE need not check it again.
        return m_regex
            .match(QStringView(m_text.constData(), end), 0, QRegularExpression::NormalMatch,
                   QRegularExpression::DontCheckSubjectStringMatchOption)
            .hasMatch();
    }

    bool inRange(QByteArrayView dateTime) const
    {
        if (!isListDateTime(dateTime))
            return false;
        // Bytes in order: a bound of another length is compared as it is, never read past.
        const std::string_view at(dateTime.data(), std::size_t(dateTime.size()));
        const QByteArray& from = m_condition.from;
        const QByteArray& until = m_condition.until;
        if (!from.isEmpty() && at < std::string_view(from.constData(), std::size_t(from.size())))
            return false;
        return until.isEmpty() ||
               at < std::string_view(until.constData(), std::size_t(until.size()));
    }

    const FilterCondition& m_condition;
    std::optional<RowMatcher> m_contains;
    QRegularExpression m_regex;
    bool m_regexValid = false;
    mutable QString m_text;
    mutable QByteArray m_unmarked;
    mutable QStringDecoder m_decoder{QStringDecoder::Utf8};
};

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

FilterCondition FilterCondition::contains(int field, const QString& text, bool matchCase,
                                          bool negated)
{
    FilterCondition c;
    c.kind = Kind::Contains;
    c.field = field;
    c.text = text;
    c.matchCase = matchCase;
    c.negated = negated;
    return c;
}

FilterCondition FilterCondition::regex(int field, const QString& pattern, bool matchCase,
                                       bool negated)
{
    FilterCondition c = contains(field, pattern, matchCase, negated);
    c.kind = Kind::Regex;
    return c;
}

FilterCondition FilterCondition::dateRange(const QByteArray& from, const QByteArray& until)
{
    FilterCondition c;
    c.kind = Kind::DateRange;
    c.field = ColDateTime;
    c.from = from;
    c.until = until;
    return c;
}

FilterCondition FilterCondition::custom(const QString& label, Test test)
{
    FilterCondition c;
    c.kind = Kind::Custom;
    c.customLabel = label;
    c.test = std::move(test);
    return c;
}

FilterCondition FilterCondition::drillDown(const DrillDown& entry)
{
    FilterCondition c = custom(entry.label(), [entry](const LogList& list, qsizetype row) {
        return entry.keeps(list, row);
    });
    c.drill = entry;
    return c;
}

QString FilterCondition::label() const
{
    switch (kind) {
    case Kind::Contains:
        return u"%1 に %2 %3"_s.arg(fieldName(field), text,
                                    negated ? u"を含まない"_s : u"を含む"_s);
    case Kind::Regex:
        return u"%1 が /%2/ %3"_s.arg(fieldName(field), text,
                                      negated ? u"に一致しない"_s : u"に一致"_s);
    case Kind::DateRange: {
        QString out = fieldName(ColDateTime) + u' ';
        if (!from.isEmpty())
            out += QString::fromLatin1(from) + u' ';
        out += u'〜';
        if (!until.isEmpty())
            out += u' ' + QString::fromLatin1(until);
        return out;
    }
    case Kind::Custom:
        break;
    }
    return customLabel;
}

QString RowFilter::error() const
{
    for (const FilterCondition& c : conditions) {
        if (c.kind == FilterCondition::Kind::Regex) {
            if (QString error = regexError(c.text); !error.isEmpty())
                return error;
        }
    }
    return {};
}

QString regexError(const QString& pattern)
{
    const QRegularExpression re(pattern);
    if (re.isValid())
        return {};
    return u"%1 (offset %2)"_s.arg(re.errorString()).arg(re.patternErrorOffset());
}

std::optional<std::pair<QByteArray, QByteArray>> dateTimeSpan(const LogList& list)
{
    QByteArrayView first, last;
    for (qsizetype row = 0; row < list.rowCount(); ++row) {
        const QByteArrayView at = list.field(row, ColDateTime);
        if (!isListDateTime(at))
            continue;
        if (first.isEmpty() || at < first)
            first = at;
        if (last.isEmpty() || at > last)
            last = at;
    }
    if (first.isEmpty())
        return std::nullopt;
    return std::pair(first.toByteArray(), last.toByteArray());
}

bool isListDateTime(QByteArrayView text)
{
    static constexpr char kShape[] = "0000/00/00 00:00:00";
    if (text.size() != kDateTimeLength)
        return false;
    for (qsizetype i = 0; i < kDateTimeLength; ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == '0' ? !digit : text[i] != kShape[i])
            return false;
    }
    const auto number = [text](int at, int digits) {
        int n = 0;
        for (int i = at; i < at + digits; ++i)
            n = n * 10 + (text[i] - '0');
        return n;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month) &&
           number(11, 2) <= 23 && number(14, 2) <= 59 && number(17, 2) <= 59;
}

std::optional<std::vector<quint32>> filterRows(const LogList& list, const RowFilter& filter,
                                               const std::atomic<bool>* cancel, qsizetype firstRow)
{
    const auto first = std::size_t(std::clamp<qsizetype>(firstRow, 0, list.rowCount()));
    const auto rows = std::size_t(list.rowCount()) - first;
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    std::vector<quint32> kept;
    if (filter.isEmpty()) {
        kept.resize(rows);
        std::iota(kept.begin(), kept.end(), quint32(first));
        return cancelled() ? std::nullopt : std::optional(std::move(kept));
    }

    std::vector<const FilterCondition*> ordered;
    for (const FilterCondition& c : filter.conditions)
        ordered.push_back(&c);
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto* a, const auto* b) {
        return costRank(a->kind) < costRank(b->kind);
    });

    constexpr std::size_t kRowsPerWorker = 50000;
    const std::size_t workers = std::clamp<std::size_t>(
        rows / kRowsPerWorker, 1, std::size_t(std::max(1, QThread::idealThreadCount())));
    std::vector<std::vector<quint32>> parts(workers);
    runOnThreads(workers, [&](std::size_t w) {
        std::vector<ConditionMatcher> matchers;
        matchers.reserve(ordered.size());
        for (const FilterCondition* c : ordered)
            matchers.emplace_back(*c);
        std::vector<quint32>& out = parts[w];
        const std::size_t end = rows * (w + 1) / workers;
        // Checked on every row: a pattern that backtracks can take milliseconds over one text.
        for (std::size_t i = first + rows * w / workers; i < first + end && !cancelled(); ++i) {
            const bool passes = std::all_of(matchers.begin(), matchers.end(),
                                            [&](auto& m) { return m.passes(list, qsizetype(i)); });
            if (passes)
                out.push_back(quint32(i));
        }
    });
    if (cancelled())
        return std::nullopt;

    std::size_t total = 0;
    for (const auto& part : parts)
        total += part.size();
    kept.reserve(total);
    for (const auto& part : parts)
        kept.insert(kept.end(), part.begin(), part.end());
    return kept;
}

} // namespace tw
