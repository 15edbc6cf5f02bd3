#include "core/log_tally.h"

#include "core/list_body_parser.h"
#include "core/log_list.h"

#include <QHash>

#include <memory>
#include <vector>

namespace tw {
namespace {

// Counts records by the classes of their browser field. Logs repeat the same few hundred user
// agents, so the classes are kept per distinct field as the file holds it: the label is skipped
// by character count, so equal bytes give equal texts, and only a new one is decoded.
class TallySink {
public:
    explicit TallySink(const UserPlatforms* user) : m_user(user) {}

    void operator()(const detail::ListRecord& record)
    {
        const QByteArrayView raw = record.labelled(ColBrowser);
        auto it = m_cache.constFind(raw);
        if (it == m_cache.constEnd())
            it = m_cache.insert(keep(raw), classes(record));
        ++tally.browser[std::size_t(it->browser)];
        ++tally.platform[std::size_t(it->platform)];
        ++tally.rows;
    }

    ClassTally tally;

private:
    struct Classes {
        BrowserClass browser;
        PlatformClass platform;
    };

    Classes classes(const detail::ListRecord& record) const
    {
        const QByteArray text = cp932::decodeToUtf8(record.value(ColBrowser));
        return {classifyBrowser(text), classifyPlatform(text, *m_user)};
    }

    // The cache keys point into the parse buffer until they are copied here.
    QByteArrayView keep(QByteArrayView raw)
    {
        m_keys.push_back(std::make_unique_for_overwrite<char[]>(std::size_t(raw.size())));
        if (!raw.isEmpty())
            std::memcpy(m_keys.back().get(), raw.data(), std::size_t(raw.size()));
        return QByteArrayView(m_keys.back().get(), raw.size());
    }

    const UserPlatforms* m_user;
    QHash<QByteArrayView, Classes> m_cache;
    std::vector<std::unique_ptr<char[]>> m_keys;
};

// Other layouts: counted as the list counts the rows it is given.
void tallyByList(ReadResult read, const UserPlatforms& user, TallyResult& result)
{
    result.status = read.status;
    result.detail = read.detail;
    result.skippedLines = read.skippedLines;
    result.cutShort = read.cutShort;
    result.layout = read.layout;
    if (read.status != ReadStatus::Ok)
        return;
    LogList list;
    list.setUserPlatforms(user);
    list.append(std::move(read.batch));
    result.tally.browser = list.browserTally();
    result.tally.platform = list.platformTally();
    result.tally.rows = list.rowCount();
}

} // namespace

ClassTally& ClassTally::operator+=(const ClassTally& other)
{
    for (std::size_t k = 0; k < browser.size(); ++k)
        browser[k] += other.browser[k];
    for (std::size_t k = 0; k < platform.size(); ++k)
        platform[k] += other.platform[k];
    rows += other.rows;
    return *this;
}

TallyResult tallyLogFile(const QString& path, const UserPlatforms& user, LogLayout layout)
{
    detail::LogSource source = detail::openLogSource(path, layout);
    TallyResult result;
    result.status = source.status;
    result.detail = source.detail;
    result.fileSize = source.fileSize;
    result.layout = source.layout;
    if (source.status != ReadStatus::Ok)
        return result;
    if (source.bodyStart < 0) {
        const std::optional<QByteArrayView> body =
            source.layout == LogLayout::List && !source.cutShort ? detail::listBodyOf(source.bytes)
                                                                 : std::nullopt;
        if (body) {
            TallySink sink(&user);
            detail::parseListBody(body->data(), body->data() + body->size(), sink);
            result.tally = sink.tally;
        } else {
            source = {}; // the full read opens the file again
            tallyByList(readLogFile(path, nullptr, layout), user, result);
        }
        return result;
    }
    const std::vector<qint64> cuts =
        detail::listBodyRanges(*source.file, source.bodyStart, source.fileSize);
    std::vector<TallySink> sinks;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i)
        sinks.emplace_back(&user);
    if (!detail::parseListRanges(*source.file, cuts, sinks, result.detail)) {
        result.status = ReadStatus::ReadError;
        return result;
    }
    for (const TallySink& sink : sinks)
        result.tally += sink.tally;
    return result;
}

} // namespace tw
