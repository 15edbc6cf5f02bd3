#include "analysis/pattern_list.h"

#include "analysis/regex_literals.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <numeric>

namespace tw {

PatternSubject::PatternSubject(QByteArrayView utf8) : m_text(QString::fromUtf8(utf8))
{
    m_lowered.resize(std::size_t(utf8.size()));
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        m_ascii = m_ascii && static_cast<unsigned char>(c) < 0x80;
        m_lowered[std::size_t(i)] = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    for (std::size_t i = 1; i < m_lowered.size(); ++i) {
        const quint16 pair = pairIndex(m_lowered[i - 1], m_lowered[i]);
        m_pairs[pair / 64] |= quint64(1) << (pair % 64);
    }
}

quint16 PatternSubject::pairIndex(char first, char second)
{
    const auto a = quint32(static_cast<unsigned char>(first));
    const auto b = quint32(static_cast<unsigned char>(second));
    return quint16(((a * 0x9E3779B1u) ^ (b * 0x85EBCA6Bu)) >> 20);
}

PatternList::Literal PatternList::literalOf(const std::string& text)
{
    Literal literal;
    literal.text = text;
    const std::size_t pairs = text.size() - 1; // texts have two bytes at least
    const std::size_t used = std::min(pairs, literal.pairs.size());
    for (std::size_t k = 0; k < used; ++k) {
        const std::size_t at = used == 1 ? 0 : k * (pairs - 1) / (used - 1);
        literal.pairs[k] = PatternSubject::pairIndex(text[at], text[at + 1]);
    }
    literal.pairCount = quint8(used);
    return literal;
}

PatternList::PatternList(const std::vector<Pattern>& patterns, bool prefilter)
    : m_state(new std::atomic<signed char>[patterns.size()]), m_prefilter(prefilter)
{
    QHash<QByteArray, quint32> literalIds;
    m_entries.reserve(patterns.size());
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        const Pattern& p = patterns[i];
        m_state[i].store(0, std::memory_order_relaxed);
        Entry e;
        e.regex =
            QRegularExpression(p.regex, p.ignoreCase ? QRegularExpression::CaseInsensitiveOption
                                                     : QRegularExpression::NoPatternOption);
        const QByteArray utf8 = p.regex.toUtf8();
        const RequiredLiterals literals =
            requiredLiterals(std::string_view(utf8.constData(), std::size_t(utf8.size())));
        e.foldsNonAscii = p.ignoreCase || literals.ignoresCase;
        e.required.begin = quint32(m_requirements.size());
        for (const auto& alternatives : literals.allOf) {
            Span& any = m_requirements.emplace_back();
            any.begin = quint32(m_alternatives.size());
            for (const std::string& text : alternatives) {
                const QByteArray key = QByteArray::fromStdString(text);
                auto it = literalIds.constFind(key);
                if (it == literalIds.constEnd()) {
                    it = literalIds.insert(key, quint32(m_literals.size()));
                    m_literals.push_back(literalOf(text));
                }
                m_alternatives.push_back(*it);
            }
            any.end = quint32(m_alternatives.size());
        }
        e.required.end = quint32(m_requirements.size());
        m_entries.push_back(std::move(e));
    }
    fileLiterals();
}

PatternList::~PatternList() = default;

qsizetype PatternList::alwaysRun() const
{
    return std::count_if(m_entries.begin(), m_entries.end(),
                         [](const Entry& e) { return e.required.begin == e.required.end; });
}

void PatternList::fileLiterals()
{
    std::vector<quint32> literalsWithPair(PatternSubject::kPairIndexes);
    for (const Literal& literal : m_literals) {
        for (quint8 k = 0; k < literal.pairCount; ++k)
            ++literalsWithPair[literal.pairs[k]];
    }
    std::vector<quint16> filedUnder;
    filedUnder.reserve(m_literals.size());
    m_filedStart.assign(PatternSubject::kPairIndexes + 1, 0);
    for (const Literal& literal : m_literals) {
        const auto rarest = std::min_element(
            literal.pairs.begin(), literal.pairs.begin() + literal.pairCount,
            [&](quint16 a, quint16 b) { return literalsWithPair[a] < literalsWithPair[b]; });
        filedUnder.push_back(*rarest);
        ++m_filedStart[*rarest + 1u];
    }
    std::partial_sum(m_filedStart.begin(), m_filedStart.end(), m_filedStart.begin());
    m_filed.resize(m_literals.size());
    std::vector<quint32> next(m_filedStart.begin(), m_filedStart.end() - 1);
    for (std::size_t i = 0; i < m_literals.size(); ++i)
        m_filed[next[filedUnder[i]]++] = quint32(i);

    m_meetsStart.assign(m_literals.size() + 1, 0);
    for (const quint32 literal : m_alternatives)
        ++m_meetsStart[literal + 1];
    std::partial_sum(m_meetsStart.begin(), m_meetsStart.end(), m_meetsStart.begin());
    m_meets.resize(m_alternatives.size());
    next.assign(m_meetsStart.begin(), m_meetsStart.end() - 1);
    for (quint32 r = 0; r < m_requirements.size(); ++r) {
        for (quint32 a = m_requirements[r].begin; a < m_requirements[r].end; ++a)
            m_meets[next[m_alternatives[a]]++] = r;
    }
}

void PatternList::meetRequirements(const PatternSubject& subject, std::vector<char>& met) const
{
    const auto& bits = subject.pairBits();
    for (std::size_t word = 0; word < bits.size(); ++word) {
        for (quint64 w = bits[word]; w; w &= w - 1) {
            const std::size_t pair = word * 64 + std::size_t(std::countr_zero(w));
            for (quint32 k = m_filedStart[pair]; k < m_filedStart[pair + 1]; ++k) {
                const quint32 literal = m_filed[k];
                if (!holds(subject, m_literals[literal]))
                    continue;
                for (quint32 m = m_meetsStart[literal]; m < m_meetsStart[literal + 1]; ++m)
                    met[m_meets[m]] = 1;
            }
        }
    }
}

bool PatternList::mayMatch(const Entry& e, const PatternSubject& subject,
                           const std::vector<char>& met) const
{
    if (e.foldsNonAscii && !subject.isAscii())
        return true;
    for (quint32 r = e.required.begin; r < e.required.end; ++r) {
        if (!met[r])
            return false;
    }
    return true;
}

bool PatternList::holds(const PatternSubject& subject, const Literal& literal) const
{
    for (quint8 k = 0; k < literal.pairCount; ++k) {
        if (!subject.mayHoldPair(literal.pairs[k]))
            return false;
    }
    return subject.lowered().find(literal.text) != std::string_view::npos;
}

bool PatternList::isUsable(std::size_t i) const
{
    signed char state = m_state[i].load(std::memory_order_acquire);
    if (state == 0) {
        // Compiles it; two threads may both ask, and get the same answer.
        state = m_entries[i].regex.isValid() ? 1 : 2;
        m_state[i].store(state, std::memory_order_release);
    }
    return state == 1;
}

qsizetype PatternList::firstMatch(const PatternSubject& subject,
                                  QRegularExpressionMatch* match) const
{
    std::vector<char> met(m_prefilter ? m_requirements.size() : 0);
    if (m_prefilter)
        meetRequirements(subject, met);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& e = m_entries[i];
        if (m_prefilter && !mayMatch(e, subject, met))
            continue;
        if (!isUsable(i))
            continue;
        // Decoded from UTF-8 with replacements: valid UTF-16, which PCRE need not check again.
        QRegularExpressionMatch m =
            e.regex.match(subject.text(), 0, QRegularExpression::NormalMatch,
                          QRegularExpression::DontCheckSubjectStringMatchOption);
        if (m.hasMatch()) {
            if (match)
                *match = std::move(m);
            return qsizetype(i);
        }
    }
    return -1;
}

} // namespace tw
