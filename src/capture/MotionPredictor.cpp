// The unscented Kalman filter behind the pinned window's predicted origin.

#include "capture/MotionPredictor.h"

#include <array>
#include <cassert>
#include <cmath>
#include <utility>

// ---- Mat ----

Mat::Mat(int r, int c) : rows(r), cols(c), d(static_cast<std::size_t>(r * c), 0.0) {}

Mat::Mat(int r, int c, std::vector<double> entries) : rows(r), cols(c), d(std::move(entries)) {
    assert(d.size() == static_cast<std::size_t>(r * c));
}

Mat Mat::identity(int n) {
    Mat m(n, n);
    for (int i = 0; i < n; ++i) m(i, i) = 1;
    return m;
}

Mat Mat::scaled(double s) const {
    Mat m = *this;
    for (double& v : m.d) v *= s;
    return m;
}

Mat Mat::multiplied(const Mat& b) const {
    assert(cols == b.rows);
    Mat m(rows, b.cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < b.cols; ++j) {
            double sum = 0;
            for (int k = 0; k < cols; ++k) sum += (*this)(i, k) * b(k, j);
            m(i, j) = sum;
        }
    return m;
}

Mat Mat::adding(const Mat& b) const {
    assert(rows == b.rows && cols == b.cols);
    Mat m = *this;
    for (std::size_t i = 0; i < m.d.size(); ++i) m.d[i] += b.d[i];
    return m;
}

Mat Mat::subtracting(const Mat& b) const {
    assert(rows == b.rows && cols == b.cols);
    Mat m = *this;
    for (std::size_t i = 0; i < m.d.size(); ++i) m.d[i] -= b.d[i];
    return m;
}

Mat Mat::transposed() const {
    Mat m(cols, rows);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m(j, i) = (*this)(i, j);
    return m;
}

void Mat::symmetrize() {
    assert(rows == cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < i; ++j) {
            const double mean = ((*this)(i, j) + (*this)(j, i)) * 0.5;
            (*this)(i, j) = mean;
            (*this)(j, i) = mean;
        }
}

Mat Mat::inverse2x2() const {
    assert(rows == 2 && cols == 2);
    const double a = d[0], b = d[1], c = d[2], e = d[3];
    double det = a * e - b * c;
    // Written so that a determinant that is not a number is replaced too.
    if (!(std::abs(det) > 1e-12)) det = 1e-12;
    return Mat(2, 2, {e / det, -b / det, -c / det, a / det});
}

// ---- UKFPredictor ----

namespace {

// x·yᵀ scaled by w.
Mat outer(const Mat& x, const Mat& y, double w) { return x.multiplied(y.transposed()).scaled(w); }

const Mat& measurementMatrix() {
    static const Mat kH(2, 4, {1, 0, 0, 0, 0, 1, 0, 0});
    return kH;
}

} // namespace

void UKFPredictor::reset(double originX, double originY) {
    x = Mat(4, 1, {originX, originY, 0, 0});
    P = Mat::identity(4).scaled(kResetVariance);
    isInitialized = true;
}

Mat UKFPredictor::transition(double t) { return Mat(4, 4, {1, 0, t, 0, 0, 1, 0, t, 0, 0, 1, 0, 0, 0, 0, 1}); }

Mat UKFPredictor::processNoise(double t) {
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    const Mat q(4, 4,
                {t4 / 4, 0, t3 / 2, 0, //
                 0, t4 / 4, 0, t3 / 2, //
                 t3 / 2, 0, t2, 0,     //
                 0, t3 / 2, 0, t2});
    return q.scaled(kAccelerationVariance);
}

Mat UKFPredictor::sigmaPointRoot(const Mat& a) {
    const int size = a.rows;
    Mat l(size, size);
    for (int i = 0; i < size; ++i)
        for (int j = 0; j <= i; ++j) {
            double s = a(i, j);
            for (int k = 0; k < j; ++k) s -= l(i, k) * l(j, k);
            if (j < i) l(i, j) = l(j, j) > 1e-10 ? s / l(j, j) : 0;
            else l(i, i) = s > 0 ? std::sqrt(s) : 1e-8;
        }
    return l;
}

void UKFPredictor::update(double measuredX, double measuredY, double dt) {
    if (!isInitialized) {
        reset(measuredX, measuredY);
        return;
    }
    const Mat z(2, 1, {measuredX, measuredY});
    const Mat f = transition(dt);
    const Mat q = processNoise(dt);
    const Mat& h = measurementMatrix();

    // Nine sigma points about the mean, propagated through the model.
    const Mat l = sigmaPointRoot(P.scaled(c));
    std::array<Mat, 9> chi;
    chi[0] = x;
    for (int j = 0; j < 4; ++j) {
        const Mat column(4, 1, {l(0, j), l(1, j), l(2, j), l(3, j)});
        chi[static_cast<std::size_t>(1 + j)] = x.adding(column);
        chi[static_cast<std::size_t>(5 + j)] = x.subtracting(column);
    }
    for (Mat& point : chi) point = f.multiplied(point);
    auto weight = [](std::size_t i, bool covariance) { return i == 0 ? (covariance ? Wc0 : Wm0) : Wi; };

    Mat xBar = chi[0].scaled(Wm0);
    for (std::size_t i = 1; i < 9; ++i) xBar = xBar.adding(chi[i].scaled(Wi));
    Mat pBar = q;
    for (std::size_t i = 0; i < 9; ++i) {
        const Mat dx = chi[i].subtracting(xBar);
        pBar = pBar.adding(outer(dx, dx, weight(i, true)));
    }

    // Measurements of the propagated points; none drawn anew from pBar.
    std::array<Mat, 9> zs;
    for (std::size_t i = 0; i < 9; ++i) zs[i] = h.multiplied(chi[i]);
    Mat zHat = zs[0].scaled(Wm0);
    for (std::size_t i = 1; i < 9; ++i) zHat = zHat.adding(zs[i].scaled(Wi));
    Mat s = Mat::identity(2).scaled(kMeasurementVariance);
    Mat pxz(4, 2);
    for (std::size_t i = 0; i < 9; ++i) {
        const Mat dz = zs[i].subtracting(zHat);
        s = s.adding(outer(dz, dz, weight(i, true)));
        pxz = pxz.adding(outer(chi[i].subtracting(xBar), dz, weight(i, true)));
    }

    const Mat k = pxz.multiplied(s.inverse2x2());
    x = xBar.adding(k.multiplied(z.subtracting(zHat)));
    P = pBar.subtracting(k.multiplied(s.multiplied(k.transposed())));
    P.symmetrize();
}
