#include "settings/settings.h"

namespace tw {
namespace {

template <typename F> void forEachFlag(F&& f, Settings& s)
{
    f(s.ShwTBar, 1);
    f(s.ShwSBar, 2);
    f(s.LGridView, 4);
    f(s.LLineValue, 8);
    f(s.UrlOMode, 16);
    f(s.SearchMatchCase, 32);
    f(s.LstFontBld, 64);
    f(s.LstFontItr, 128);
    f(s.LstFontStr, 256);
    f(s.LstFontUnd, 512);
}

} // namespace

int Settings::statusValues() const
{
    int sum = 0;
    forEachFlag([&sum](int& flag, int bit) { sum += flag == 1 ? bit : 0; },
                const_cast<Settings&>(*this));
    return sum;
}

void Settings::setStatusFlags(int value)
{
    forEachFlag(
        [value](int& flag, int bit) {
            if (value & bit)
                flag = 1;
        },
        *this);
}

UrlOpenPolicy urlOpenPolicy(const Settings& s)
{
    return {s.UrlOMode != 0, s.BrowserPath};
}

} // namespace tw
