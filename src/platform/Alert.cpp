#include "platform/Alert.h"

#include "platform/Dispatch.h"
#include "platform/KeyboardDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {
Alert::Runner& runner() {
    static Alert::Runner r;
    return r;
}

int runMessageBox(const Alert& alert) {
    KeyboardDialog<QMessageBox> box;
    box.setWindowTitle(QStringLiteral("Overink"));
    // Alerts carry text from outside (an update feed's versions, paths, the
    // system's error strings): shown as written, never as markup, which
    // could name files to load (a FIFO that never answers, /dev/zero) and
    // draw links. Each label is made plain before it is given any text.
    box.setTextFormat(Qt::PlainText);
    box.setText(alert.messageText);
    if (!alert.informativeText.isEmpty()) {
        box.setInformativeText(QStringLiteral(" "));
        for (QLabel* label : box.findChildren<QLabel*>()) {
            label->setTextFormat(Qt::PlainText);
            label->setOpenExternalLinks(false);
        }
        box.setInformativeText(alert.informativeText);
    }
    switch (alert.alertStyle) {
    case Alert::Style::warning: box.setIcon(QMessageBox::Warning); break;
    case Alert::Style::informational: box.setIcon(QMessageBox::Information); break;
    case Alert::Style::critical: box.setIcon(QMessageBox::Critical); break;
    }
    std::vector<QAbstractButton*> buttons;
    auto titles = alert.buttons();
    if (titles.empty()) titles.push_back(QStringLiteral("OK"));
    QAbstractButton* escape = nullptr;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const bool cancel = titles[i] == QLatin1String("Cancel");
        auto* b = box.addButton(titles[i], i == 0   ? QMessageBox::AcceptRole
                                           : cancel ? QMessageBox::RejectRole
                                                    : QMessageBox::ActionRole);
        if (cancel) escape = b;
        buttons.push_back(b);
    }
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    // Without a Cancel button a single button still answers Esc; otherwise Esc
    // does nothing, as the alert has no neutral answer.
    if (!escape && buttons.size() == 1) escape = buttons.front();
    box.setEscapeButton(escape);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked) clicked = escape ? escape : buttons.back();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == clicked) return Alert::kFirstButtonReturn + static_cast<int>(i);
    return Alert::kFirstButtonReturn;
}
} // namespace

int Alert::runModal() {
    assertMainThread("Alert::runModal");
    if (runner()) return runner()(*this);
    return runMessageBox(*this);
}

void Alert::setRunnerForTesting(Runner r) { runner() = std::move(r); }

} // namespace platform
