#include "settings/menu_history.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace tw {

MenuHistory::MenuHistory(QObject* parent) : QObject(parent), m_nothingMessage(u"履歴無し"_s) {}

void MenuHistory::setMenu()
{
    m_paths.append(QString());
    m_items.append(MenuHistoryItem());
    refresh();
}

void MenuHistory::addItem(const QString& path)
{
    // An empty path would put a free slot on top of used ones, which the menu cannot show.
    if (path.isEmpty() || m_paths.isEmpty())
        return;
    qsizetype i = 0;
    while (i < m_paths.size() && !m_paths[i].isEmpty() && m_paths[i] != path)
        ++i;
    if (i == m_paths.size()) {
        emit overFlowItem(m_paths.back());
        i = m_paths.size() - 1;
    }
    for (qsizetype k = i; k > 0; --k)
        m_paths[k] = m_paths[k - 1];
    m_paths[0] = path;
    emit historyAddItem(path);
    refresh();
}

void MenuHistory::itemSort(int mode)
{
    if (mode != 1 && mode != 2)
        return;
    const int used = menuCount();
    for (int end = used - 1; end > 0; --end) {
        for (int k = 0; k < end; ++k) {
            const int order = m_paths[k].compare(m_paths[k + 1], Qt::CaseSensitive);
            if (mode == 1 ? order > 0 : order < 0)
                std::swap(m_paths[k], m_paths[k + 1]);
        }
    }
    refresh();
}

int MenuHistory::lastUsedSlot() const
{
    const qsizetype firstFree = m_paths.indexOf(QString());
    return int(firstFree < 0 ? m_paths.size() - 1 : firstFree - 1);
}

void MenuHistory::removeItem(int index)
{
    const int last = lastUsedSlot();
    if (last < 0)
        return;
    const int k = index - 1;
    if (k >= 0 && k <= last) {
        for (int s = k; s < last; ++s)
            m_paths[s] = m_paths[s + 1];
        m_paths[last].clear();
    }
    refresh();
}

QString MenuHistory::menuItem(int index) const
{
    return m_paths.value(index - 1);
}

int MenuHistory::menuCount() const
{
    return lastUsedSlot() + 1;
}

int MenuHistory::slotCount() const
{
    return int(m_paths.size());
}

MenuHistoryItem MenuHistory::item(int slot) const
{
    return m_items.value(slot);
}

QString MenuHistory::historyNothingMessage() const
{
    return m_nothingMessage;
}

void MenuHistory::setHistoryNothingMessage(const QString& message)
{
    m_nothingMessage = message;
    refresh();
}

bool MenuHistory::itemCompress() const
{
    return m_compress;
}

void MenuHistory::setItemCompress(bool compress)
{
    m_compress = compress;
    refresh();
}

int MenuHistory::compSize() const
{
    return m_compSize;
}

void MenuHistory::setCompSize(int size)
{
    m_compSize = size;
    refresh();
}

QString MenuHistory::shortenedPath(const QString& path) const
{
    if (!m_compress || path.size() < m_compSize)
        return path;
    const qsizetype first = path.indexOf(u'/');
    const QString head = path.left(first + 1); // empty without any "/"
    QString text = path;
    qsizetype from = first; // 0-based offset of the "/" after which the next folder starts
    while (text.size() >= m_compSize) {
        const qsizetype next = from < 0 ? -1 : text.indexOf(u'/', from + 1);
        if (next < 0)
            break;
        text = head + u"..."_s + text.mid(next);
        from = head.size() + 3;
    }
    return text;
}

void MenuHistory::refresh()
{
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        MenuHistoryItem& item = m_items[i];
        if (!m_paths[i].isEmpty()) {
            // "&" in a path would otherwise turn the next letter into an access key.
            QString shown = shortenedPath(m_paths[i]);
            shown.replace(u'&', u"&&"_s);
            item = {u"&%1: "_s.arg(i + 1) + shown, true, true};
        } else if (i == 0) {
            item = {m_nothingMessage, true, false};
        } else {
            item = {QString(), false, false};
        }
    }
    emit refreshed();
}

} // namespace tw
