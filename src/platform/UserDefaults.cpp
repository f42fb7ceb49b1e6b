#include "platform/UserDefaults.h"

#include "platform/Dispatch.h"
#include "platform/Xdg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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
    std::visit([&o](const auto& x) {
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
    }, v);
    return o;
}

std::optional<UserDefaults::Value> decode(const QJsonValue& json) {
    if (!json.isObject()) return std::nullopt;
    const QJsonObject o = json.toObject();
    if (o.size() != 1) return std::nullopt;
    const QString tag = o.begin().key();
    const QJsonValue v = o.begin().value();
    if (tag == "bool" && v.isBool()) return UserDefaults::Value(v.toBool());
    if (tag == "double" && v.isDouble()) return UserDefaults::Value(v.toDouble());
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
            if (!e.isDouble()) return std::nullopt;
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

void UserDefaults::load() {
    QFile file(path_);
    if (!file.exists()) return;
    bool ok = file.open(QIODevice::ReadOnly);
    QJsonDocument doc;
    if (ok) {
        QJsonParseError error{};
        doc = QJsonDocument::fromJson(file.readAll(), &error);
        ok = error.error == QJsonParseError::NoError && doc.isObject();
        file.close();
    }
    if (!ok) {
        // Keep the unreadable file for inspection instead of overwriting it.
        movedAside_ = path_ + ".bad";
        QFile::remove(movedAside_);
        if (!QFile::rename(path_, movedAside_)) movedAside_.clear();
        return;
    }
    const QJsonObject root = doc.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (auto v = decode(it.value())) values_.insert(it.key(), std::move(*v));
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
std::optional<QStringList> UserDefaults::stringArray(const QString& key) const { return get<QStringList>(values_, key); }
std::optional<std::vector<double>> UserDefaults::numberArray(const QString& key) const {
    return get<std::vector<double>>(values_, key);
}
std::optional<QByteArray> UserDefaults::data(const QString& key) const { return get<QByteArray>(values_, key); }

void UserDefaults::set(const QString& key, Value value) {
    values_.insert(key, std::move(value));
    scheduleWrite();
}

void UserDefaults::remove(const QString& key) {
    if (values_.remove(key) > 0) scheduleWrite();
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
    QJsonObject root;
    for (auto it = values_.constBegin(); it != values_.constEnd(); ++it) root.insert(it.key(), encode(it.value()));
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) return false;
    dirty_ = false;
    ++writes_;
    return true;
}

void UserDefaults::flushAll() {
    for (auto* store : liveStores()) store->flush();
}

} // namespace platform
