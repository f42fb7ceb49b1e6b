#pragma once

// The real alerts and file panels as they come up, for tests that look at
// them or answer them.

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace testing_support {

// Acts on the alert once it is up (from inside its own event loop). Each try
// schedules the next one itself: a poll that held itself would never be
// freed.
inline void whenAlertShows(std::function<void(QMessageBox*)> act, int tries = 0) {
    QTimer::singleShot(10, [act = std::move(act), tries]() mutable {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return act(box);
        if (tries + 1 < 200) whenAlertShows(std::move(act), tries + 1);
    });
}

// The label of the alert that shows `text`, if one does.
inline QLabel* alertLabel(QMessageBox* box, const QString& text) {
    for (QLabel* label : box->findChildren<QLabel*>())
        if (label->text() == text) return label;
    return nullptr;
}

// Clicks the alert's button titled `title`.
inline void clickAlertButton(QMessageBox* box, const QString& title) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == title) return b->click();
}

// The file panel on screen, once there is one.
inline QFileDialog* shownFileDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

} // namespace testing_support
