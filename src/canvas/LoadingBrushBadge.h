#pragma once

// The badge in the middle of a canvas while the active brush's cells load:
// a small spinner over "Loading brush…" on a rounded translucent plate. It
// takes no pointer events.

#include <QTimer>
#include <QWidget>

class LoadingBrushBadge : public QWidget {
    Q_OBJECT
public:
    explicit LoadingBrushBadge(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // Centres the badge in its parent.
    void centreInParent();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer spin_;
    int phase_ = 0;
};
