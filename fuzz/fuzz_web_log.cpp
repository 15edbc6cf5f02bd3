// Any bytes as a web log in every format: no crash; every field a view into its line or into the
// record's own bytes, valid UTF-8, empty where the format does not log it; dates of one shape;
// the address field only for addresses; a part parsed from the state found before it gives what
// parsing the whole gives.
#include "core/web_log.h"
#include "fuzz_support.h"

#include <QStringDecoder>

#include <arpa/inet.h>

using namespace tw::weblog;

namespace {

bool within(QByteArrayView part, QByteArrayView whole)
{
    return part.isEmpty() || (part.begin() >= whole.begin() && part.end() <= whole.end());
}

bool isAddress(QByteArrayView text)
{
    if (text.contains('\0'))
        return false;
    const QByteArray z = text.toByteArray(); // NUL-terminated for inet_pton
    unsigned char buffer[16];
    return inet_pton(AF_INET, z.constData(), buffer) == 1 ||
           inet_pton(AF_INET6, z.constData(), buffer) == 1;
}

// Decoded apart from the parser's own check; a byte order mark is a character like any other.
bool isUtf8(QByteArrayView text)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString decoded = decoder(text);
    return !decoder.hasError() && decoded.toUtf8() == text;
}

bool isDateTimeShape(QByteArrayView t)
{
    static constexpr char kShape[] = "0000/00/00 00:00:00";
    if (t.size() != 19)
        return false;
    for (int i = 0; i < 19; ++i) {
        const bool digit = t[i] >= '0' && t[i] <= '9';
        if (kShape[i] == '0' ? !digit : t[i] != kShape[i])
            return false;
    }
    return true;
}

struct CheckingSink {
    QList<QByteArray> transcript;

    void record(const Record& r)
    {
        for (int k = 0; k < kWebFieldCount; ++k) {
            const QByteArrayView f = r.fields[std::size_t(k)];
            TW_FUZZ_CHECK(within(f, r.line) || within(f, r.scratch.used()));
            TW_FUZZ_CHECK(isUtf8(f));
            TW_FUZZ_CHECK(r.logged[std::size_t(k)] || f.isEmpty());
            transcript << f.toByteArray();
        }
        const QByteArrayView dateTime = r.field(DateTime);
        TW_FUZZ_CHECK(dateTime.isEmpty() || isDateTimeShape(dateTime));
        const QByteArrayView host = r.field(Host), ip = r.field(IP);
        TW_FUZZ_CHECK(ip.isEmpty() ? !isAddress(host) : ip == host && isAddress(ip));
    }
    void skipped(QByteArrayView line) { transcript << "skipped:" + line.toByteArray(); }
};

QList<QByteArray> parsed(Format format, QByteArrayView bytes, ParseState state)
{
    CheckingSink sink;
    parseBody(format, bytes.begin(), bytes.end(), state, sink);
    return sink.transcript;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = tw::fuzz::bytesOf(data, size);
    (void)detectFormat(bytes);
    // A cut at a line start somewhere, picked by the first byte.
    qsizetype cut = size > 0 ? bytes.indexOf('\n', qsizetype(data[0]) * bytes.size() / 256) : -1;
    cut = cut < 0 ? bytes.size() : cut + 1;
    const QByteArrayView before = QByteArrayView(bytes).first(cut);
    const QByteArrayView after = QByteArrayView(bytes).sliced(cut);

    for (Format format :
         {Format::Common, Format::Combined, Format::VirtualHostCombined, Format::W3C}) {
        const QList<QByteArray> whole = parsed(format, bytes, ParseState());
        const QList<QByteArray> head = parsed(format, before, ParseState());
        TW_FUZZ_CHECK(head + parsed(format, after, stateBefore(format, bytes, cut)) == whole);
        ParseState carried;
        advanceState(format, before, carried);
        TW_FUZZ_CHECK(head + parsed(format, after, carried) == whole);
    }
    return 0;
}
