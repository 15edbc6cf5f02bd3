#include "core/classification.h"

#include <string_view>

namespace tw {
namespace {

inline bool has(QByteArrayView text, std::string_view needle)
{
    return std::string_view(text.data(), std::size_t(text.size())).find(needle) !=
           std::string_view::npos;
}

inline bool hasNonEmpty(QByteArrayView text, const QByteArray& needle)
{
    return !needle.isEmpty() && has(text, std::string_view(needle.data(), needle.size()));
}

} // namespace

UserPlatforms::UserPlatforms(const QStringList& strings)
{
    for (int k = 0; k < 3; ++k)
        m_utf8[std::size_t(k)] = strings.value(k).toUtf8();
}

QString browserClassKey(BrowserClass c)
{
    switch (c) {
    case BrowserClass::IE:
        return QStringLiteral("IE");
    case BrowserClass::NN:
        return QStringLiteral("NN");
    case BrowserClass::WWWC:
        return QStringLiteral("WWWC");
    case BrowserClass::EXE:
        break;
    }
    return QStringLiteral("EXE");
}

BrowserClass classifyBrowser(QByteArrayView ua)
{
    if (has(ua, "MSIE") || has(ua, "MSPIE"))
        return BrowserClass::IE;
    if (has(ua, "Mozilla"))
        return BrowserClass::NN;
    if (has(ua, "WWWC"))
        return BrowserClass::WWWC;
    return BrowserClass::EXE;
}

PlatformClass classifyPlatform(QByteArrayView ua, const UserPlatforms& user)
{
    if (hasNonEmpty(ua, user.utf8(0)))
        return PlatformClass::User1;
    if (hasNonEmpty(ua, user.utf8(1)))
        return PlatformClass::User2;
    if (hasNonEmpty(ua, user.utf8(2)))
        return PlatformClass::User3;
    if (has(ua, "Windows 95") || has(ua, "Win95") || has(ua, "Windows_95"))
        return PlatformClass::Win95;
    if (has(ua, "Windows 98") || has(ua, "Win98") || has(ua, "Windows_98"))
        return PlatformClass::Win98;
    if (has(ua, "Windows CE"))
        return PlatformClass::WinCE;
    if (has(ua, "Windows NT 5."))
        return PlatformClass::Win2000;
    if (has(ua, "Windows NT") || has(ua, "WinNT") || has(ua, "Windows_NT"))
        return PlatformClass::WinNT;
    if ((has(ua, "PPC") && has(ua, "Macintosh")) || has(ua, "Mac_PowerPC"))
        return PlatformClass::PowerMac;
    if (has(ua, "68K") && has(ua, "Macintosh"))
        return PlatformClass::Mac68K;
    if (has(ua, "WWWC"))
        return PlatformClass::Wwwc;
    if (has(ua, "X11"))
        return PlatformClass::Unix;
    if (has(ua, "DreamPassport"))
        return PlatformClass::Dreamcast;
    if (has(ua, "DoCoMo"))
        return PlatformClass::DoCoMo;
    if (has(ua, "ReGet"))
        return PlatformClass::ReGet;
    return PlatformClass::Other;
}

BrowserDescription describeBrowser(QByteArrayView ua)
{
    BrowserDescription d;
    if (has(ua, "MSIE"))
        d = {QStringLiteral("InternetExplorer"), 141};
    else if (has(ua, "Mozilla"))
        d = {QStringLiteral("Netscape"), 142};
    else if (has(ua, "WWWC"))
        d = {QStringLiteral("WWWC"), 143};
    else
        d = {QStringLiteral("その他"), 144};
    if (ua.isEmpty() || ua == QByteArrayView("bad data"))
        d.pictureId = 0;
    return d;
}

} // namespace tw
