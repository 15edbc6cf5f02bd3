#include "support/xml_page.h"

#include <QXmlStreamReader>

namespace tw::test {

bool readXmlPage(const QByteArray& page, QList<PageElement>* elements, QString* error)
{
    QXmlStreamReader xml(page);
    QList<qsizetype> open; // indexes of the elements not yet closed
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            PageElement e;
            e.name = xml.name().toString();
            for (const QXmlStreamAttribute& a : xml.attributes())
                e.attributes.insert(a.qualifiedName().toString(), a.value().toString());
            open.append(elements->size());
            elements->append(e);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.removeLast();
            break;
        case QXmlStreamReader::Characters:
            if (!open.isEmpty())
                (*elements)[open.last()].text += xml.text();
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        *error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
        return false;
    }
    return true;
}

} // namespace tw::test
