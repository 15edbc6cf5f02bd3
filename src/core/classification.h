#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>

namespace tw {

enum class BrowserClass : quint8 { IE = 0, NN = 1, WWWC = 2, EXE = 3 };
constexpr int kBrowserClassCount = 4;

enum class PlatformClass : quint8 {
    Win95 = 0,
    Win98,
    WinCE,
    WinNT,
    Win2000,
    PowerMac,
    Mac68K,
    Wwwc,
    Unix,
    Dreamcast,
    DoCoMo,
    ReGet,
    User1,
    User2,
    User3,
    Other
};
constexpr int kPlatformClassCount = 16;

// The three user-added platform strings, kept as UTF-8 so rows are tested without decoding.
class UserPlatforms {
public:
    UserPlatforms() = default;
    explicit UserPlatforms(const QStringList& strings);
    const QByteArray& utf8(int slot) const { return m_utf8.at(std::size_t(slot)); }
    QString text(int slot) const { return QString::fromUtf8(m_utf8.at(std::size_t(slot))); }
    bool operator==(const UserPlatforms&) const = default;

private:
    std::array<QByteArray, 3> m_utf8;
};

// The key stored with a row and naming its list icon: "IE", "NN", "WWWC" or "EXE".
QString browserClassKey(BrowserClass c);

// Case-sensitive substring rules; the first rule that matches decides. Texts are UTF-8.
BrowserClass classifyBrowser(QByteArrayView userAgent);
PlatformClass classifyPlatform(QByteArrayView userAgent, const UserPlatforms& user);

struct BrowserDescription {
    QString name;  // "InternetExplorer", "Netscape", "WWWC" or "その他"
    int pictureId; // 141 to 144, 0 for no picture
};
BrowserDescription describeBrowser(QByteArrayView userAgent);

} // namespace tw
