#pragma once

// Starting the program at login.

#include <QString>

namespace platform {

// Starting the program at login, through an XDG autostart entry.
class LoginItem {
public:
    enum class Status { Enabled, NotRegistered };

    // The entry in $XDG_CONFIG_HOME/autostart, starting the running program.
    static LoginItem& main();
    LoginItem(QString autostartDir, QString executable);

    Status status() const;
    // Both return false when the file could not be written or removed.
    bool registerItem();
    bool unregisterItem();

    QString filePath() const;

private:
    QString dir_;
    QString executable_;
};

} // namespace platform
