#include "core/rotated_logs.h"

#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace tw {

namespace {

// Oldest first: dated copies, numbered ones, the live log.
enum class Kind { Dated, Numbered, Live };

struct SetName {
    QString base;
    Kind kind = Kind::Live;
    QString stamp; // the date or number, made so that text order is oldest first
    bool compressed = false;
};

bool isDigits(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Fills name from "BASE.N" or "BASE-YYYYMMDD[HH[MM[SS]]]"; false for neither.
bool parseCopy(QStringView stem, SetName* name)
{
    if (const qsizetype dot = stem.lastIndexOf(u'.'); dot > 0 && isDigits(stem.mid(dot + 1))) {
        QStringView number = stem.mid(dot + 1);
        while (number.size() > 1 && number.front() == u'0')
            number = number.mid(1);
        // Higher numbers are older: nines' complements of the padded digits sort them so.
        QString stamp =
            QString(std::max<qsizetype>(20 - number.size(), 0), u'0') + number.toString();
        for (QChar& c : stamp)
            c = QChar(u'0' + (u'9' - c.unicode()));
        name->kind = Kind::Numbered;
        name->base = stem.left(dot).toString();
        name->stamp = stamp;
        return true;
    }
    if (const qsizetype dash = stem.lastIndexOf(u'-'); dash > 0) {
        const QStringView date = stem.mid(dash + 1);
        if (isDigits(date) && date.size() >= 8 && date.size() <= 14) {
            name->kind = Kind::Dated;
            name->base = stem.left(dash).toString();
            name->stamp = date.toString().leftJustified(14, u'0');
            return true;
        }
    }
    return false;
}

SetName parseName(const QString& fileName)
{
    SetName name;
    if (fileName.endsWith(u".gz"_s) && parseCopy(QStringView(fileName).chopped(3), &name)) {
        name.compressed = true;
        return name;
    }
    if (parseCopy(fileName, &name))
        return name;
    name.kind = Kind::Live;
    name.base = fileName;
    return name;
}

} // namespace

QStringList rotatedSet(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString prefix = path.left(slash + 1);
    const QString base = parseName(path.mid(slash + 1)).base;
    if (base.isEmpty())
        return {};

    struct Found {
        SetName name;
        QString fileName;
    };
    std::vector<Found> found;
    // Files: regular files and links to them, no folders, pipes or devices.
    QDirIterator entries(prefix.isEmpty() ? u"."_s : prefix, QDir::Files | QDir::Hidden);
    while (entries.hasNext()) {
        entries.next();
        const QString fileName = entries.fileName();
        if (!fileName.startsWith(base))
            continue;
        SetName name = parseName(fileName);
        if (name.base == base)
            found.push_back({std::move(name), fileName});
    }

    // A folder that may be searched but not listed still has the file itself.
    if (found.empty())
        return QFileInfo(path).isFile() ? QStringList{path} : QStringList{};

    // Plain before compressed, so that the plain copy of a number or date wins below.
    const auto order = [](const Found& f) {
        return std::tie(f.name.kind, f.name.stamp, f.name.compressed, f.fileName);
    };
    std::sort(found.begin(), found.end(),
              [&](const Found& a, const Found& b) { return order(a) < order(b); });

    QStringList set;
    const Found* previous = nullptr;
    for (const Found& f : found) {
        const bool sameCopy =
            previous && previous->name.kind == f.name.kind && previous->name.stamp == f.name.stamp;
        if (!sameCopy)
            set.append(prefix + f.fileName);
        previous = &f;
    }
    return set;
}

} // namespace tw
