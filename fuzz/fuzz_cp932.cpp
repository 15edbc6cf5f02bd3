// CP932 decoding is lossless: every byte sequence comes back unchanged through both paths.
#include "core/cp932.h"
#include "fuzz_support.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray in = fuzz::bytesOf(data, size);

    const QString text = cp932::decode(in);
    TW_FUZZ_CHECK(cp932::encode(text) == in);

    const QByteArray utf8 = cp932::decodeToUtf8(in);
    TW_FUZZ_CHECK(utf8 == text.toUtf8());
    TW_FUZZ_CHECK(cp932::encodeUtf8(utf8) == in);
    QByteArray appended("x");
    cp932::appendEncodedUtf8(utf8, appended);
    TW_FUZZ_CHECK(appended == "x" + in);

    // skipChars counts characters as decode does.
    for (qsizetype n : {qsizetype(0), qsizetype(1), text.size() / 2, qsizetype(text.size())}) {
        const qsizetype at = cp932::skipChars(in, n);
        TW_FUZZ_CHECK(at >= 0 && at <= in.size());
    }
    TW_FUZZ_CHECK(cp932::skipChars(in, in.size() + 1) == in.size());
    return 0;
}
