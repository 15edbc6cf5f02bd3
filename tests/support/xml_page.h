#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tw::test {

// One element of a page read as XML, in document order.
struct PageElement {
    QString name;
    QMap<QString, QString> attributes;
    QString text; // the element's own text nodes, references resolved
};

// The elements of a page that must be well-formed XML (HTML written in its XML-compatible
// form); false with the parser's message in *error when it is not.
bool readXmlPage(const QByteArray& page, QList<PageElement>* elements, QString* error);

} // namespace tw::test
