#pragma once

// The user's home and XDG folders.

#include <QString>

namespace platform::xdg {

// $HOME, else the user's entry in the password database.
QString home();
// $XDG_CONFIG_HOME when absolute, else ~/.config.
QString configHome();
// $XDG_DATA_HOME when absolute, else ~/.local/share.
QString dataHome();

} // namespace platform::xdg
