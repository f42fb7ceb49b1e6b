// Failures gathered by cause and logged one line per cause.
#include "platform/GroupedLog.h"

#include "platform/SystemLog.h"

#include <algorithm>

namespace platform {

void GroupedLog::add(const QString& cause, const QString& name) {
    auto it = std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.cause == cause; });
    if (it == groups_.end()) it = groups_.insert(groups_.end(), Group{cause, 0, {}});
    ++it->count;
    if (it->names.size() < kNamesShown) it->names.append(name);
}

void GroupedLog::merge(const GroupedLog& other) {
    for (const Group& theirs : other.groups_) {
        auto it = std::find_if(groups_.begin(), groups_.end(), [&](const Group& g) { return g.cause == theirs.cause; });
        if (it == groups_.end()) {
            groups_.push_back(theirs);
            continue;
        }
        it->count += theirs.count;
        for (const QString& name : theirs.names) {
            if (it->names.size() >= kNamesShown) break;
            it->names.append(name);
        }
    }
}

qsizetype GroupedLog::count() const {
    qsizetype n = 0;
    for (const Group& g : groups_) n += g.count;
    return n;
}

QStringList GroupedLog::lines(const Headline& headline) const {
    QStringList result;
    for (const Group& g : groups_) {
        QString line = headline(g.count, g.cause) + QStringLiteral(": ") + g.names.join(QStringLiteral(", "));
        if (g.count > g.names.size()) line += QStringLiteral(" and %1 more").arg(g.count - g.names.size());
        result.append(line);
    }
    return result;
}

QString GroupedLog::counted(qsizetype count, const char* noun) {
    return QStringLiteral("%1 %2%3").arg(QString::number(count), QLatin1String(noun),
                                         count == 1 ? QString() : QStringLiteral("s"));
}

void GroupedLog::warn(const Headline& headline) const {
    for (const QString& line : lines(headline)) SystemLog::warning(line);
}

} // namespace platform
