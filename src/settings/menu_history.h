#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace tw {

// What one recent-files menu item shows.
struct MenuHistoryItem {
    QString caption;
    bool visible = false;
    bool enabled = false;

    bool operator==(const MenuHistoryItem&) const = default;
};

// The recent-files list behind the File menu's submenu. It owns the paths and the captions; the
// window owns the menu items, binds slot i to its i-th item and re-reads item(i) on refreshed().
// Slot 0 holds the newest path; used slots always form a prefix. Public indices are 1-based.
class MenuHistory final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MenuHistory)

public:
    explicit MenuHistory(QObject* parent = nullptr);

    void setMenu(); // attaches one more (free) slot at the end
    void addItem(const QString& path);
    void itemSort(int mode); // 1 ascending, 2 descending, anything else nothing
    void removeItem(int index);
    QString menuItem(int index) const; // "" for a free slot or an index out of range
    int menuCount() const;
    int slotCount() const;
    MenuHistoryItem item(int slot) const; // 0-based

    QString historyNothingMessage() const;
    void setHistoryNothingMessage(const QString& message);
    bool itemCompress() const;
    void setItemCompress(bool compress);
    int compSize() const;
    void setCompSize(int size);

    // Drops folder names right after the head ("C:/" or "/") until the text is shorter than
    // compSize() or only the last folder is left.
    QString shortenedPath(const QString& path) const;

signals:
    void overFlowItem(const QString& path);
    void historyAddItem(const QString& path);
    void refreshed();

private:
    void refresh();
    int lastUsedSlot() const;

    QList<QString> m_paths;
    QList<MenuHistoryItem> m_items;
    QString m_nothingMessage;
    bool m_compress = true;
    int m_compSize = 30;
};

} // namespace tw
