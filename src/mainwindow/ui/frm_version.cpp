#include "mainwindow/ui/frm_version.h"

#include "core/startup.h"
#include "core/url_open.h"
#include "mainwindow/main_commands.h"
#include "ui/dialog_pictures.h"
#include "ui/icons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tw {

VersionLinkLabel::VersionLinkLabel(const QString& text, std::function<void()> clicked,
                                   QWidget* parent)
    : QLabel(text, parent), m_clicked(std::move(clicked))
{
    setTextFormat(Qt::PlainText);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setPressed(false);
}

QColor VersionLinkLabel::restColor()
{
    return QColor(30, 73, 121);
}

QColor VersionLinkLabel::pressedColor()
{
    return QColor(166, 45, 90);
}

void VersionLinkLabel::setUnderlined(bool on)
{
    if (isUnderlined() == on)
        return;
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

void VersionLinkLabel::setPressed(bool pressed)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, pressed ? pressedColor() : restColor());
    setPalette(p);
}

QColor VersionLinkLabel::textColor() const
{
    return palette().color(QPalette::WindowText);
}

void VersionLinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    setUnderlined(true);
    event->accept();
}

void VersionLinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setPressed(true);
    event->accept();
}

void VersionLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setPressed(false);
    event->accept();
    if (rect().contains(event->position().toPoint()) && m_clicked)
        m_clicked();
}

QString VersionDialog::authorPageUrl()
{
    return MainCommands::homePageUrl(MainCommands::HomePage::Product);
}

QString VersionDialog::authorAddress()
{
    return u"author@tallyweaver.example.org"_s;
}

QString VersionDialog::copyrightText()
{
    return u"Copyright (C) 2001-2024 The Tallyweaver authors. All rights reserved."_s;
}

VersionDialog::VersionDialog(UrlOpener& opener, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"frmVersion"_s);
    setWindowTitle(u"バージョン情報"_s);
    setWindowIcon(applicationIcon());
    setModal(true);
    setMouseTracking(true);

    auto* title = new QLabel(this);
    title->setObjectName(u"imgTitlePic"_s);
    title->setPixmap(dialogPicture(201));

    auto* version = new QLabel(u"Ver "_s + versionText(), this);
    version->setObjectName(u"lblVersion"_s);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);

    m_copyright = new QLabel(copyrightText(), this);
    m_copyright->setObjectName(u"lblCopyright"_s);
    m_copyright->setMouseTracking(true);

    m_message = new QLabel(u"最新版はこちら..."_s, this);
    m_message->setObjectName(u"lblMsg1"_s);
    m_message->setMouseTracking(true);

    m_links[0] = new VersionLinkLabel(
        authorPageUrl(), [this, &opener] { opener.openUrl(m_links[0]->text()); }, this);
    m_links[1] = new VersionLinkLabel(
        authorAddress(), [this, &opener] { opener.openUrl(u"mailto:"_s + m_links[1]->text()); },
        this);
    for (int i = 0; i < 2; ++i)
        m_links[std::size_t(i)]->setObjectName(u"lblLink(%1)"_s.arg(i));

    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"cmdOk"_s);
    ok->setDefault(true);
    ok->setMinimumWidth(ok->fontMetrics().horizontalAdvance(u"OK"_s) + 64);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* links = new QGridLayout;
    links->setHorizontalSpacing(12);
    links->addWidget(m_message, 0, 0);
    links->addWidget(m_links[0], 0, 1);
    links->addWidget(m_links[1], 1, 1);
    links->setColumnStretch(2, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(title);
    layout->addSpacing(6);
    layout->addWidget(version);
    layout->addWidget(m_copyright);
    layout->addSpacing(10);
    layout->addLayout(links);
    layout->addSpacing(6);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void VersionDialog::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over children without tracking (picture, version, button) arrive here too; only the
    // background and the two plain labels count.
    QWidget* under = childAt(event->position().toPoint());
    if (under == nullptr || under == m_message || under == m_copyright) {
        for (VersionLinkLabel* link : m_links)
            link->setUnderlined(false);
    }
    QDialog::mouseMoveEvent(event);
}

} // namespace tw
