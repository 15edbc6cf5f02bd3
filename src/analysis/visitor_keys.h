#pragma once

#include <QByteArrayView>
#include <QDate>

#include <optional>

namespace tw {

// The texts the visitor statistics key rows by, as views into the field they come from (or into
// a constant). Each gives nothing for a row that statistic does not count.

// The key of a request that names no path ("-" of a timed-out connection, a lone word).
inline constexpr QByteArrayView kNoPathKey = "-";
// The key of a referrer that names no host ("-", empty, "file:///…").
inline constexpr QByteArrayView kNoHostKey = "-";

// The target of "METHOD TARGET [PROTOCOL]" up to its query ("GET /a/b?x=1 HTTP/1.1" → "/a/b");
// kNoPathKey when there is no target; nothing for an empty field (not logged).
std::optional<QByteArrayView> requestPathKey(QByteArrayView request);

// The status as logged; nothing when empty.
std::optional<QByteArrayView> statusKey(QByteArrayView status);

// The host of a referrer URL, without user, port, path or query; a referrer without "://" is
// read as starting with its host. "-", empty and host-less referrers are kNoHostKey.
QByteArrayView referrerHostKey(QByteArrayView referrer);

// The day of a date-time "YYYY/MM/DD[ …]", when that day exists.
std::optional<QDate> dayOfDateTime(QByteArrayView dateTime);

// The bytes of a response: "-" and anything that is not a number count 0.
qint64 responseBytes(QByteArrayView bytes);

} // namespace tw
