#pragma once

// A drawing state with placed strokes on one screen and that screen's
// canvas, shown in a translucent window (offscreen), for the canvas
// benchmarks.

#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/RandomStrokes.h"
#include "support/TestDrawingState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <random>
#include <vector>

// `n` mixed strokes of 80 samples spread over the screen, on display 1.
inline std::vector<DrawingStroke> mixedStrokes(int n, QSize screen, unsigned seed = 4242) {
    std::mt19937 rng(seed);
    std::vector<DrawingStroke> strokes;
    strokes.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        DrawingStroke s = testing_support::randomStroke(testing_support::mixedTool(i), rng, QSizeF(screen), 80);
        s.displayID = 1;
        strokes.push_back(std::move(s));
    }
    return strokes;
}

struct CanvasScene {
    CanvasScene(int placed, QSize screen)
        : t({testing_support::FakeScreenProvider::makeScreen(1,
                                                             platform::Rect(0, 0, screen.width(), screen.height()))}) {
        DrawingState& s = *t.state;
        s.currentDrawingDisplayID = 1;
        s.strokes.setSilently(mixedStrokes(placed, screen));
        t.mouse->setLocation(platform::Point{screen.width() / 2.0, screen.height() / 2.0});
        window.setAttribute(Qt::WA_TranslucentBackground);
        window.resize(screen);
        canvas = new DrawingCanvasView(t.state, 1, &window);
        canvas->resize(screen);
        window.show();
        QElapsedTimer wait;
        wait.start();
        while (!(window.windowHandle() && window.windowHandle()->isExposed()) && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        settle();
        QCoreApplication::processEvents();
    }

    // Runs the reaction pass and the repaint it asks for.
    static void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents();
    }

    testing_support::TestDrawingState t;
    QWidget window;
    DrawingCanvasView* canvas = nullptr;
};
