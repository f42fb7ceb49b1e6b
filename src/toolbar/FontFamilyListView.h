#pragma once

// The font picker's family list: one 28-point row per entry, each name
// shown in its own face, the chosen one tinted and checked. Only the rows
// in view are painted, and a face is loaded the first time its row shows,
// then kept (the most recently shown few hundred), so thousands of
// families scroll smoothly.

#include <QAbstractScrollArea>
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <list>

class FontFamilyListView : public QAbstractScrollArea {
public:
    static constexpr int kRowHeight = 28;
    static constexpr int kHeight = 180;
    static constexpr int kHorizontalPadding = 12;
    static constexpr double kNamePixelSize = 13;
    // Faces kept for rows scrolled away.
    static constexpr int kFaceCacheSize = 256;

    // Told of a tap (press and release on the same row) on an entry.
    using Pick = std::function<void(const QString& entry)>;

    explicit FontFamilyListView(Pick pick, QWidget* parent = nullptr);

    // The entries, the empty one standing for the system font; the scroll
    // position stays where it was, as far as the new list reaches.
    void setEntries(QStringList entries);
    const QStringList& entries() const { return entries_; }
    // The entry equal to `name` shows as chosen.
    void setSelectedName(const QString& name);
    const QString& selectedName() const { return selected_; }

    // The row under a viewport point, or -1.
    int rowAt(QPoint viewportPoint) const;
    // The rows at least partly in view: [first, last], empty when last < first.
    std::pair<int, int> visibleRows() const;
    // The row's rectangle in the viewport.
    QRect rowRect(int row) const;
    // Brings the row into view.
    void scrollToRow(int row);

    // For measurements and tests: faces loaded so far, faces held now, rows
    // painted so far.
    std::int64_t faceLoads() const { return faceLoads_; }
    int cachedFaces() const { return static_cast<int>(faces_.size()); }
    std::int64_t paintedRows() const { return paintedRows_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Face {
        QFont font;
        // The name as shown, elided to `width`, laid out once.
        QStaticText text;
        double width = -1;
        double textHeight = 0;
        std::list<QString>::iterator age;
    };

    Face& face(const QString& entry, double width);
    void updateScrollRange();
    void dropFaces();

    Pick pick_;
    QStringList entries_;
    QString selected_;
    int pressedRow_ = -1;
    QHash<QString, Face> faces_;
    // Most recently shown first.
    std::list<QString> ages_;
    std::int64_t faceLoads_ = 0;
    std::int64_t paintedRows_ = 0;
};
