#include "analysis/regex_literals.h"

#include <algorithm>

namespace tw {
namespace {

using Alternatives = std::vector<std::string>;
using Requirements = std::vector<Alternatives>;

constexpr std::size_t kShortestUseful = 2;     // a single letter rules out almost nothing
constexpr std::size_t kMostAlternatives = 256; // the data set lists model names by hundreds
constexpr std::size_t kMostKept = 4;

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// How strongly an entry rules out subjects: by its shortest text, then by fewer texts.
std::pair<std::size_t, std::size_t> strength(const Alternatives& a)
{
    std::size_t shortest = std::string::npos;
    for (const std::string& s : a)
        shortest = std::min(shortest, s.size());
    return {shortest, kMostAlternatives - std::min(a.size(), kMostAlternatives)};
}

const Alternatives* strongest(const Requirements& r)
{
    const auto it = std::max_element(
        r.begin(), r.end(), [](const auto& a, const auto& b) { return strength(a) < strength(b); });
    return it == r.end() ? nullptr : &*it;
}

// A recursive reader of PCRE syntax that gives up (unsure) on anything it does not know.
class Reader {
public:
    explicit Reader(std::string_view pattern) : m_p(pattern) {}

    RequiredLiterals read()
    {
        Requirements all = alternation();
        if (m_unsure || m_at != m_p.size())
            return {{}, m_ignoresCase};
        std::sort(all.begin(), all.end(),
                  [](const auto& a, const auto& b) { return strength(a) > strength(b); });
        if (all.size() > kMostKept)
            all.resize(kMostKept);
        return {std::move(all), m_ignoresCase};
    }

private:
    bool atEnd() const { return m_at >= m_p.size(); }
    char peek(std::size_t ahead = 0) const
    {
        return m_at + ahead < m_p.size() ? m_p[m_at + ahead] : '\0';
    }

    // Branches up to ')' or the end: what every branch requires, as one entry of alternatives.
    Requirements alternation()
    {
        std::vector<Requirements> branches{sequence()};
        while (!atEnd() && peek() == '|') {
            ++m_at;
            branches.push_back(sequence());
        }
        if (branches.size() == 1)
            return std::move(branches.front());
        Alternatives any;
        for (const Requirements& branch : branches) {
            const Alternatives* best = strongest(branch);
            if (!best)
                return {};
            any.insert(any.end(), best->begin(), best->end());
        }
        std::sort(any.begin(), any.end());
        any.erase(std::unique(any.begin(), any.end()), any.end());
        if (any.size() > kMostAlternatives)
            return {};
        return {any};
    }

    enum class Atom { Literal, Other, Group, Nothing };

    Requirements sequence()
    {
        Requirements out;
        std::string run;
        const auto flush = [&] {
            if (run.size() >= kShortestUseful)
                out.push_back({run});
            run.clear();
        };
        while (!atEnd() && peek() != '|' && peek() != ')' && !m_unsure) {
            char literal = 0;
            Requirements group;
            const Atom atom = readAtom(literal, group);
            if (atom == Atom::Nothing)
                continue;
            const int least = quantifierMinimum();
            if (atom == Atom::Literal) {
                if (least == 0) {
                    flush();
                } else if (least == 1 && m_lastQuantifierWasNone) {
                    run += literal;
                } else {
                    // Repeated: the text runs up to the first copy and on from the last.
                    run += literal;
                    flush();
                    run = literal;
                }
                continue;
            }
            flush();
            if (atom == Atom::Group && least > 0)
                out.insert(out.end(), group.begin(), group.end());
        }
        flush();
        return out;
    }

    Atom readAtom(char& literal, Requirements& group)
    {
        const char c = m_p[m_at++];
        switch (c) {
        case '\\':
            return escape(literal);
        case '[':
            return readClass(literal);
        case '(':
            return openGroup(group);
        case '.':
        case '^':
        case '$':
        case '{': // not after an atom: PCRE reads it as itself; nothing is lost by not using it
            return Atom::Other;
        case '*':
        case '+':
        case '?':
            m_unsure = true; // a quantifier with nothing before it
            return Atom::Other;
        default:
            if (static_cast<unsigned char>(c) >= 0x80)
                return Atom::Other;
            literal = asciiLower(c);
            return Atom::Literal;
        }
    }

    Atom escape(char& literal)
    {
        if (atEnd()) {
            m_unsure = true;
            return Atom::Other;
        }
        const char e = m_p[m_at++];
        if (!isAsciiAlnum(e)) {
            if (static_cast<unsigned char>(e) >= 0x80)
                return Atom::Other;
            literal = e;
            return Atom::Literal;
        }
        // Classes, anchors and single control characters; anything longer (\x.., \p{..}, back
        // references, \Q..\E) is not read here.
        if (std::string_view("dDwWsShHvVRNbBAzZGntrfea").find(e) == std::string_view::npos)
            m_unsure = true;
        return Atom::Other;
    }

    // A class; one that holds only the two cases of a letter ("[Ss]") is that letter.
    Atom readClass(char& literal)
    {
        const std::size_t start = m_at;
        if (peek() == '^')
            ++m_at;
        if (peek() == ']')
            ++m_at;
        while (!atEnd()) {
            const char c = m_p[m_at++];
            if (c == '\\') {
                ++m_at;
            } else if (c == '[' && peek() == ':') {
                const std::size_t close = m_p.find(":]", m_at + 1);
                if (close == std::string_view::npos)
                    break;
                m_at = close + 2;
            } else if (c == ']') {
                const std::string_view body = m_p.substr(start, m_at - 1 - start);
                const bool oneLetter =
                    !body.empty() && std::all_of(body.begin(), body.end(), [&](char b) {
                        return ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')) &&
                               asciiLower(b) == asciiLower(body.front());
                    });
                if (!oneLetter)
                    return Atom::Other;
                literal = asciiLower(body.front());
                return Atom::Literal;
            }
        }
        m_unsure = true;
        return Atom::Other;
    }

    Atom openGroup(Requirements& group)
    {
        bool counts = true; // the group's text is part of the match
        if (peek() == '*') {
            m_unsure = true;
            return Atom::Other;
        }
        if (peek() == '?') {
            ++m_at;
            const char kind = peek();
            if (kind == ':' || kind == '>' || kind == '|') {
                ++m_at;
            } else if (kind == '=' || kind == '!') {
                ++m_at;
                counts = false;
            } else if (kind == '<' && (peek(1) == '=' || peek(1) == '!')) {
                m_at += 2;
                counts = false;
            } else if (kind == '#') {
                const std::size_t close = m_p.find(')', m_at);
                m_at = close == std::string_view::npos ? m_p.size() : close + 1;
                return Atom::Nothing;
            } else if (kind == '<' || kind == '\'' || (kind == 'P' && peek(1) == '<')) {
                const std::size_t close = m_p.find(kind == '\'' ? '\'' : '>', m_at + 1);
                if (close == std::string_view::npos) {
                    m_unsure = true;
                    return Atom::Other;
                }
                m_at = close + 1;
            } else {
                return flags();
            }
        }
        Requirements inner = alternation();
        if (peek() != ')') {
            m_unsure = true;
            return Atom::Other;
        }
        ++m_at;
        if (!counts)
            return Atom::Other;
        group = std::move(inner);
        return Atom::Group;
    }

    // "(?i)" for the rest of the enclosing group, or "(?i:...)".
    Atom flags()
    {
        while (!atEnd() && (isAsciiAlnum(peek()) || peek() == '-' || peek() == '^')) {
            const char f = m_p[m_at++];
            if (f == 'i')
                m_ignoresCase = true;
            else if (f != '-' && f != 's' && f != 'm' && f != 'U')
                m_unsure = true; // 'x' changes what blanks mean, and others are rare
        }
        if (peek() == ')') {
            ++m_at;
            return Atom::Nothing;
        }
        if (peek() != ':') {
            m_unsure = true;
            return Atom::Other;
        }
        ++m_at;
        alternation();
        if (peek() != ')') {
            m_unsure = true;
            return Atom::Other;
        }
        ++m_at;
        // Quantifiers after it are read by the caller; its texts are dropped, which is safe.
        return Atom::Other;
    }

    // Reads a quantifier after an atom, if any: the fewest copies it allows (1 without one).
    int quantifierMinimum()
    {
        m_lastQuantifierWasNone = false;
        int least = 1;
        const char c = peek();
        if (c == '?' || c == '*') {
            ++m_at;
            least = 0;
        } else if (c == '+') {
            ++m_at;
        } else if (c == '{') {
            std::size_t i = m_at + 1;
            int n = 0;
            bool digits = false;
            while (i < m_p.size() && m_p[i] >= '0' && m_p[i] <= '9') {
                n = std::min(n * 10 + (m_p[i++] - '0'), 1000);
                digits = true;
            }
            if (!digits) {
                m_lastQuantifierWasNone = true;
                return 1;
            }
            if (i < m_p.size() && m_p[i] == ',') {
                ++i;
                while (i < m_p.size() && m_p[i] >= '0' && m_p[i] <= '9')
                    ++i;
            }
            if (i >= m_p.size() || m_p[i] != '}') {
                m_lastQuantifierWasNone = true;
                return 1;
            }
            m_at = i + 1;
            least = n == 0 ? 0 : 2; // 2: "repeated", whatever the count
        } else {
            m_lastQuantifierWasNone = true;
            return 1;
        }
        if (peek() == '?' || peek() == '+')
            ++m_at; // lazy or possessive
        return least;
    }

    std::string_view m_p;
    std::size_t m_at = 0;
    bool m_unsure = false;
    bool m_ignoresCase = false;
    bool m_lastQuantifierWasNone = true;
};

} // namespace

RequiredLiterals requiredLiterals(std::string_view pattern)
{
    return Reader(pattern).read();
}

} // namespace tw
