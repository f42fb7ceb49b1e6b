#pragma once

// Decoding of stored lists of JSON records, with the policy for a record
// that does not decode named at each call: skip it and keep the rest, or
// refuse the whole list.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <optional>
#include <vector>

namespace platform {

enum class BadRecordPolicy {
    // The others are kept; the next save must not erase good records.
    skipRecord,
    // The list is read as a whole or not at all.
    rejectList,
};

template <typename T>
struct DecodedRecords {
    std::vector<T> records;
    int skipped = 0; // records left out under skipRecord
};

// None when the data is not a JSON array, or, under rejectList, when any
// element is not an object that `decodeOne` (QJsonObject → optional<T>)
// accepts.
template <typename T, typename Decode>
std::optional<DecodedRecords<T>> decodeRecordList(const QByteArray& data, Decode decodeOne, BadRecordPolicy policy) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray()) return std::nullopt;
    const QJsonArray array = doc.array();
    DecodedRecords<T> result;
    result.records.reserve(static_cast<std::size_t>(array.size()));
    for (const QJsonValue& v : array) {
        std::optional<T> record;
        if (v.isObject()) record = decodeOne(v.toObject());
        if (record) {
            result.records.push_back(std::move(*record));
        } else if (policy == BadRecordPolicy::rejectList) {
            return std::nullopt;
        } else {
            ++result.skipped;
        }
    }
    return result;
}

} // namespace platform
