#pragma once

#include <QDialog>
#include <QLabel>

#include <array>
#include <functional>

class QPushButton;

namespace tw {

class UrlOpener;

// A label that acts as a link: coloured while the mouse button is held on it, underlined from
// the moment the pointer moves over it until the dialog takes the underline away.
class VersionLinkLabel final : public QLabel {
public:
    VersionLinkLabel(const QString& text, std::function<void()> clicked, QWidget* parent);

    void setUnderlined(bool on);
    bool isUnderlined() const { return font().underline(); }
    void setPressed(bool pressed);
    QColor textColor() const;

    static QColor restColor();    // RGB(30, 73, 121)
    static QColor pressedColor(); // RGB(166, 45, 90)

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void()> m_clicked;
};

// The version dialog: the title picture, the version, the copyright line and two links to the
// author.
class VersionDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VersionDialog)

public:
    explicit VersionDialog(UrlOpener& opener, QWidget* parent = nullptr);

    static QString authorPageUrl(); // "https://tallyweaver.example.org/"
    static QString authorAddress(); // "author@tallyweaver.example.org"
    static QString copyrightText();

    VersionLinkLabel* link(int index) const { return m_links.at(std::size_t(index)); }

protected:
    // Moves over the background, lblMsg1 or lblCopyright take the links' underline away.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::array<VersionLinkLabel*, 2> m_links{};
    QLabel* m_message = nullptr;
    QLabel* m_copyright = nullptr;
};

} // namespace tw
