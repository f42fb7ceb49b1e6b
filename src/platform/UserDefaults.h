#pragma once

// The typed store of preferences.

#include <QByteArray>
#include <QHash>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace platform {

// A typed key-value store of preferences. Values change in memory at once;
// a file-backed store writes its file atomically, at most about twice a
// second, and when flushed (at quit and on SIGTERM). The types are kept
// apart so that a value read back as the wrong type can be told from one
// that is missing. Entries of the file that this program does not understand
// (a later version's, or damaged ones) are kept exactly as they were found:
// a save changes only the keys the program sets or removes.
class UserDefaults {
public:
    enum class Type { Bool, Double, String, StringArray, NumberArray, Data };
    using Value = std::variant<bool, double, QString, QStringList, std::vector<double>, QByteArray>;

    // An empty store that never touches the disk (tests).
    static std::shared_ptr<UserDefaults> inMemory();
    // A store backed by `path`. A file that cannot be read or decoded is
    // moved aside (to "<path>.bad", earlier copies kept under their time; the
    // target copied when the path is a link to it) and the store starts
    // empty; either is logged. Saves follow storedFile::writeAtomically's
    // rules for links.
    static std::shared_ptr<UserDefaults> fileBacked(const QString& path);
    // The program's store: $XDG_CONFIG_HOME/overink/defaults.json.
    static std::shared_ptr<UserDefaults> standard();
    static QString standardPath();

    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    bool contains(const QString& key) const { return values_.contains(key); }
    // Whether the file holds an entry for the key that could not be decoded
    // (kept as found, but no getter answers for it).
    bool keepsUnreadEntry(const QString& key) const { return kept_.contains(key); }
    std::optional<Type> type(const QString& key) const;
    std::optional<Value> value(const QString& key) const;

    // Each getter answers only when the key holds a value of its type.
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<double> doubleValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    std::optional<QStringList> stringArray(const QString& key) const;
    std::optional<std::vector<double>> numberArray(const QString& key) const;
    std::optional<QByteArray> data(const QString& key) const;

    void set(const QString& key, Value value);
    void setBool(const QString& key, bool v) { set(key, Value(v)); }
    void setDouble(const QString& key, double v) { set(key, Value(v)); }
    void setString(const QString& key, const QString& v) { set(key, Value(v)); }
    void setStringArray(const QString& key, const QStringList& v) { set(key, Value(v)); }
    void setNumberArray(const QString& key, const std::vector<double>& v) { set(key, Value(v)); }
    void setData(const QString& key, const QByteArray& v) { set(key, Value(v)); }
    void remove(const QString& key);

    // Writes pending changes now (file-backed stores only). A failed write
    // leaves the previous file, is logged, and stays pending: the next change
    // and the next flush try again.
    bool flush();
    // Flushes every live file-backed store (quit, SIGTERM).
    static void flushAll();

    QString path() const { return path_; }
    int fileWriteCount() const { return writes_; }
    // Where an unreadable file was moved, if it was.
    QString movedAsidePath() const { return movedAside_; }

    static constexpr int kWriteDelayMs = 500;
    // Larger files are not preferences of this program: never read whole.
    static constexpr qint64 kMaxFileBytes = qint64(16) << 20;

    // The file's form: a JSON object of entries {"<type>": value}. Entries
    // not understood keep their exact text, key and value ("key": value).
    struct FileContents {
        QHash<QString, Value> values;
        QHash<QString, QByteArray> kept;
    };
    // None when the bytes are not a JSON object.
    static std::optional<FileContents> decodeFile(const QByteArray& bytes);
    static QByteArray encodeFile(const FileContents& contents);

private:
    explicit UserDefaults(QString path);
    void load();
    void scheduleWrite();

    QString path_;
    QHash<QString, Value> values_;
    // Entries not understood, as their JSON text ("key": value).
    QHash<QString, QByteArray> kept_;
    bool dirty_ = false;
    // The reason of the last failed write, so that a run of failures is
    // logged once.
    QString writeFailure_;
    int writes_ = 0;
    QString movedAside_;
    std::unique_ptr<QTimer> timer_;
};

} // namespace platform
