#pragma once

#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// A text to try many patterns on, prepared once: as UTF-16 for the expressions, and lowercased
// for the substring tests that rule most of them out.
class PatternSubject {
public:
    explicit PatternSubject(QByteArrayView utf8);

    const QString& text() const { return m_text; }
    std::string_view lowered() const { return m_lowered; }
    bool isAscii() const { return m_ascii; }
    // A text whose pairs of neighbouring bytes are not all in the subject is not in it either;
    // most texts are ruled out that way without a search.
    static quint16 pairIndex(char first, char second);
    bool mayHoldPair(quint16 index) const { return m_pairs[index / 64] >> (index % 64) & 1; }
    const std::array<quint64, 64>& pairBits() const { return m_pairs; }
    static constexpr int kPairIndexes = 4096;

private:
    std::array<quint64, 64> m_pairs{}; // a bit per hashed pair of lowercased bytes
    QString m_text;
    std::string m_lowered;
    bool m_ascii = true;
};

// Regular expressions tried in order, of which the first that matches wins. Each is compiled
// (with the JIT) the first time a subject gets past the texts it requires; a subject lacking one
// of them never runs it. Safe to use from several threads at once.
class PatternList {
public:
    struct Pattern {
        QString regex;
        bool ignoreCase = false;
    };
    // Without the prefilter every pattern runs: for tests that compare.
    explicit PatternList(const std::vector<Pattern>& patterns, bool prefilter = true);
    ~PatternList();

    // The index of the first pattern that matches, with its match; -1 when none does.
    qsizetype firstMatch(const PatternSubject& subject,
                         QRegularExpressionMatch* match = nullptr) const;

    qsizetype size() const { return qsizetype(m_entries.size()); }
    const QRegularExpression& regex(qsizetype i) const { return m_entries[std::size_t(i)].regex; }
    // How many patterns no substring test can rule out.
    qsizetype alwaysRun() const;

private:
    struct Span {
        quint32 begin = 0;
        quint32 end = 0;
    };
    struct Literal {
        std::string text;
        std::array<quint16, 4> pairs{}; // pairIndex of some of its neighbours, spread over it
        quint8 pairCount = 0;
    };
    struct Entry {
        QRegularExpression regex;
        Span required;              // into m_requirements
        bool foldsNonAscii = false; // ignores case: the texts hold only for ASCII subjects
    };
    static Literal literalOf(const std::string& text);
    void fileLiterals();
    // met[r]: whether the subject holds a literal of requirement r.
    void meetRequirements(const PatternSubject& subject, std::vector<char>& met) const;
    bool mayMatch(const Entry& e, const PatternSubject& subject,
                  const std::vector<char>& met) const;
    bool holds(const PatternSubject& subject, const Literal& literal) const;
    bool isUsable(std::size_t i) const;

    std::vector<Entry> m_entries;
    std::vector<Literal> m_literals;
    std::vector<Span> m_requirements;    // each into m_alternatives: one of them must be there
    std::vector<quint32> m_alternatives; // indexes into m_literals
    // The literals by the pair each is filed under (its rarest among all literals), so that a
    // subject looks only at those whose pair it holds: those of pair p are
    // m_filed[m_filedStart[p]] up to m_filed[m_filedStart[p + 1]].
    std::vector<quint32> m_filedStart;
    std::vector<quint32> m_filed;
    // The requirements each literal meets: those of literal i are m_meets[m_meetsStart[i]] up
    // to m_meets[m_meetsStart[i + 1]].
    std::vector<quint32> m_meetsStart;
    std::vector<quint32> m_meets;
    // Per pattern: 0 not yet compiled, 1 valid, 2 invalid (never run, never warned about twice).
    std::unique_ptr<std::atomic<signed char>[]> m_state;
    bool m_prefilter;
};

} // namespace tw
