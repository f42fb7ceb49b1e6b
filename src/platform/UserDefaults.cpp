#include "platform/UserDefaults.h"

#include "platform/Dispatch.h"
#include "platform/JsonText.h"
#include "platform/StoredFile.h"
#include "platform/SystemLog.h"
#include "platform/Xdg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {

std::vector<UserDefaults*>& liveStores() {
    static std::vector<UserDefaults*> stores;
    return stores;
}

// On disk every entry is {"<type>": value}, so types survive the round trip.
QJsonValue encode(const UserDefaults::Value& v) {
    QJsonObject o;
    std::visit(
        [&o](const auto& x) {
            using X = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<X, bool>) {
                o.insert("bool", x);
            } else if constexpr (std::is_same_v<X, double>) {
                o.insert("double", std::isfinite(x) ? QJsonValue(x) : QJsonValue());
            } else if constexpr (std::is_same_v<X, QString>) {
                o.insert("string", x);
            } else if constexpr (std::is_same_v<X, QStringList>) {
                o.insert("strings", QJsonArray::fromStringList(x));
            } else if constexpr (std::is_same_v<X, std::vector<double>>) {
                QJsonArray a;
                for (double d : x) a.append(std::isfinite(d) ? QJsonValue(d) : QJsonValue());
                o.insert("numbers", a);
            } else {
                o.insert("data", QString::fromLatin1(x.toBase64()));
            }
        },
        v);
    return o;
}

std::optional<UserDefaults::Value> decode(const QJsonValue& json) {
    if (!json.isObject()) return std::nullopt;
    const QJsonObject o = json.toObject();
    if (o.size() != 1) return std::nullopt;
    const QString tag = o.begin().key();
    const QJsonValue v = o.begin().value();
    if (tag == "bool" && v.isBool()) return UserDefaults::Value(v.toBool());
    // Numbers beyond a double's range parse as infinities: not understood.
    if (tag == "double" && v.isDouble() && std::isfinite(v.toDouble())) return UserDefaults::Value(v.toDouble());
    if (tag == "string" && v.isString()) return UserDefaults::Value(v.toString());
    if (tag == "strings" && v.isArray()) {
        QStringList list;
        for (const auto& e : v.toArray()) {
            if (!e.isString()) return std::nullopt;
            list.append(e.toString());
        }
        return UserDefaults::Value(list);
    }
    if (tag == "numbers" && v.isArray()) {
        std::vector<double> list;
        for (const auto& e : v.toArray()) {
            if (!e.isDouble() || !std::isfinite(e.toDouble())) return std::nullopt;
            list.push_back(e.toDouble());
        }
        return UserDefaults::Value(list);
    }
    if (tag == "data" && v.isString()) {
        auto result = QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!result) return std::nullopt;
        return UserDefaults::Value(*result);
    }
    return std::nullopt;
}

// The JSON text of one value, without layout.
QByteArray compactText(const QJsonValue& v) {
    const QByteArray array = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

std::optional<QJsonValue> parseValueText(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson("[" + text + "]", &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() != 1) return std::nullopt;
    return doc.array().first();
}

template <typename T>
std::optional<T> get(const QHash<QString, UserDefaults::Value>& values, const QString& key) {
    const auto it = values.constFind(key);
    if (it == values.constEnd()) return std::nullopt;
    if (const T* v = std::get_if<T>(&*it)) return *v;
    return std::nullopt;
}

} // namespace

UserDefaults::UserDefaults(QString path) : path_(std::move(path)) {
    if (!path_.isEmpty()) {
        load();
        liveStores().push_back(this);
    }
}

UserDefaults::~UserDefaults() {
    if (!path_.isEmpty()) {
        flush();
        auto& stores = liveStores();
        stores.erase(std::remove(stores.begin(), stores.end(), this), stores.end());
    }
}

std::shared_ptr<UserDefaults> UserDefaults::inMemory() {
    return std::shared_ptr<UserDefaults>(new UserDefaults(QString()));
}

std::shared_ptr<UserDefaults> UserDefaults::fileBacked(const QString& path) {
    return std::shared_ptr<UserDefaults>(new UserDefaults(path));
}

QString UserDefaults::standardPath() { return xdg::configHome() + "/overink/defaults.json"; }

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    static std::shared_ptr<UserDefaults> store = fileBacked(standardPath());
    return store;
}

std::optional<UserDefaults::FileContents> UserDefaults::decodeFile(const QByteArray& bytes) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    const QJsonObject root = doc.object();

    // Raw member texts, when they name exactly the parsed keys (otherwise the
    // parsed values stand in for them).
    QHash<QString, QByteArray> raw;
    if (const auto members = jsonText::objectMembers(bytes)) {
        for (const auto& member : *members) {
            const auto key = parseValueText(member.key.of(bytes));
            if (!key || !key->isString()) {
                raw.clear();
                break;
            }
            raw.insert(key->toString(), member.whole.of(bytes));
        }
    }
    if (raw.size() != root.size()) raw.clear();

    FileContents contents;
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (auto v = decode(it.value())) {
            contents.values.insert(it.key(), std::move(*v));
        } else {
            const auto r = raw.constFind(it.key());
            contents.kept.insert(it.key(),
                                 r != raw.constEnd() ? *r : compactText(it.key()) + ": " + compactText(it.value()));
        }
    }
    return contents;
}

QByteArray UserDefaults::encodeFile(const FileContents& contents) {
    QStringList keys = contents.values.keys() + contents.kept.keys();
    keys.sort();
    keys.removeDuplicates();
    QByteArray out = "{";
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString& key = keys[i];
        const auto v = contents.values.constFind(key);
        out += i == 0 ? "\n    " : ",\n    ";
        if (v != contents.values.constEnd()) out += compactText(key) + ": " + compactText(encode(*v));
        else out += contents.kept.value(key);
    }
    out += keys.isEmpty() ? "}\n" : "\n}\n";
    return out;
}

void UserDefaults::load() {
    const auto file = storedFile::read(path_, kMaxFileBytes);
    if (file.status == storedFile::ReadResult::Status::missing) return;
    QString reason = file.reason;
    if (file.ok()) {
        if (auto contents = decodeFile(file.bytes)) {
            values_ = std::move(contents->values);
            kept_ = std::move(contents->kept);
            return;
        }
        reason = QStringLiteral("not a JSON object");
    }
    if (!QFileInfo(path_).isFile()) {
        // Nothing there to keep (a FIFO, a device, a folder): the next save
        // replaces it.
        SystemLog::error(QStringLiteral("Preferences file %1 cannot be read (%2); every preference starts from "
                                        "its default")
                             .arg(path_, reason));
        return;
    }
    // Keep the unreadable file for inspection instead of overwriting it (its
    // target copied, when it is a link: the link stays for the next save).
    QString why;
    movedAside_ = storedFile::quarantine(path_, storedFile::SetAside::move, &why);
    if (movedAside_.isEmpty()) {
        SystemLog::error(QStringLiteral("Preferences file %1 cannot be read (%2) nor set aside (%3); every "
                                        "preference starts from its default")
                             .arg(path_, reason, why));
    } else {
        SystemLog::error(QStringLiteral("Preferences file %1 cannot be read (%2); kept as %3; every preference "
                                        "starts from its default")
                             .arg(path_, reason, movedAside_));
    }
}

std::optional<UserDefaults::Type> UserDefaults::type(const QString& key) const {
    const auto it = values_.constFind(key);
    if (it == values_.constEnd()) return std::nullopt;
    return static_cast<Type>(it->index());
}

std::optional<UserDefaults::Value> UserDefaults::value(const QString& key) const {
    const auto it = values_.constFind(key);
    if (it == values_.constEnd()) return std::nullopt;
    return *it;
}

std::optional<bool> UserDefaults::boolValue(const QString& key) const { return get<bool>(values_, key); }
std::optional<double> UserDefaults::doubleValue(const QString& key) const { return get<double>(values_, key); }
std::optional<QString> UserDefaults::stringValue(const QString& key) const { return get<QString>(values_, key); }
std::optional<QStringList> UserDefaults::stringArray(const QString& key) const {
    return get<QStringList>(values_, key);
}
std::optional<std::vector<double>> UserDefaults::numberArray(const QString& key) const {
    return get<std::vector<double>>(values_, key);
}
std::optional<QByteArray> UserDefaults::data(const QString& key) const { return get<QByteArray>(values_, key); }

void UserDefaults::set(const QString& key, Value value) {
    kept_.remove(key);
    values_.insert(key, std::move(value));
    scheduleWrite();
}

void UserDefaults::remove(const QString& key) {
    const bool removed = values_.remove(key) > 0;
    if (kept_.remove(key) > 0 || removed) scheduleWrite();
}

void UserDefaults::scheduleWrite() {
    if (path_.isEmpty()) return;
    dirty_ = true;
    if (!QCoreApplication::instance() || !isMainThread()) return; // written at the next flush
    if (!timer_) {
        timer_ = std::make_unique<QTimer>();
        timer_->setSingleShot(true);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { flush(); });
    }
    if (!timer_->isActive()) timer_->start(kWriteDelayMs);
}

bool UserDefaults::flush() {
    if (path_.isEmpty() || !dirty_) return true;
    if (timer_) timer_->stop();
    QString reason;
    if (!storedFile::writeAtomically(path_, encodeFile({values_, kept_}), &reason)) {
        // Still dirty: the next change and the flush at quit try again.
        if (reason != writeFailure_) {
            SystemLog::error(QStringLiteral("Cannot save preferences to %1: %2; the previous file is kept and "
                                            "saving is tried again at the next change and at quit")
                                 .arg(path_, reason));
        }
        writeFailure_ = reason;
        return false;
    }
    if (!writeFailure_.isEmpty()) SystemLog::info(QStringLiteral("Preferences saved to %1 again").arg(path_));
    writeFailure_.clear();
    dirty_ = false;
    ++writes_;
    return true;
}

void UserDefaults::flushAll() {
    for (auto* store : liveStores()) store->flush();
}

} // namespace platform
