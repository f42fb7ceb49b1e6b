#pragma once

// Failures of many like items (files, records), gathered by cause so that
// each cause is logged once, with a count and the first few names: a start
// that finds a hundred thousand cell images missing logs one line, not a
// hundred thousand.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace platform {

class GroupedLog {
public:
    // Names shown per cause; the others are counted.
    static constexpr int kNamesShown = 5;

    void add(const QString& cause, const QString& name);
    void merge(const GroupedLog& other);
    bool isEmpty() const { return groups_.empty(); }
    // Items of every cause.
    qsizetype count() const;

    // Makes the start of a cause's line, before its names.
    using Headline = std::function<QString(qsizetype count, const QString& cause)>;
    // One line per cause, in the order the causes first came: the headline,
    // ": ", then the first names and how many more there are.
    QStringList lines(const Headline& headline) const;
    // Writes those lines to the system log as warnings.
    void warn(const Headline& headline) const;

    // "1 cell image", "3 cell images".
    static QString counted(qsizetype count, const char* noun);

private:
    struct Group {
        QString cause;
        qsizetype count = 0;
        QStringList names;
    };
    std::vector<Group> groups_;
};

} // namespace platform
