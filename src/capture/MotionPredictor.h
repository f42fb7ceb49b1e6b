#pragma once

// The motion predictor of a pinned window's origin: an unscented Kalman
// filter over a constant-velocity model, and the small dense matrix it
// computes with.

#include <vector>

// A dense matrix of doubles, row-major. A column vector has one column.
// Every operation returns a new matrix, except symmetrize().
struct Mat {
    int rows = 0;
    int cols = 0;
    std::vector<double> d;

    Mat() = default;
    // rows × cols zeros.
    Mat(int rows, int cols);
    // rows × cols with the given entries in row-major order.
    Mat(int rows, int cols, std::vector<double> entries);

    double& operator()(int i, int j) { return d[static_cast<std::size_t>(i * cols + j)]; }
    double operator()(int i, int j) const { return d[static_cast<std::size_t>(i * cols + j)]; }

    static Mat identity(int n);
    Mat scaled(double s) const;
    // Sums over k in increasing order, starting from 0. Requires cols == b.rows.
    Mat multiplied(const Mat& b) const;
    // Entry-wise; b has the same shape.
    Mat adding(const Mat& b) const;
    Mat subtracting(const Mat& b) const;
    Mat transposed() const;
    // Square matrices: each pair below and above the diagonal becomes the
    // mean of the two. In place.
    void symmetrize();
    // The inverse of a 2×2 matrix; a determinant of magnitude up to 1e-12
    // (or not a number) is taken as +1e-12, so there is always a result.
    Mat inverse2x2() const;
};

// Estimates the origin [x, y] and velocity [vx, vy] (points, points per
// second) from measured origins, and extrapolates the origin ahead. Knows
// nothing of windows: only coordinate pairs and time steps in seconds.
struct UKFPredictor {
    Mat x = Mat(4, 1);
    Mat P = Mat::identity(4);
    bool isInitialized = false;

    // Starts from a measured origin at rest, with a wide covariance.
    void reset(double originX, double originY);
    // One predict-and-correct step; the first measurement only starts the
    // filter. dt ≥ 0.001 (the caller's guarantee).
    void update(double measuredX, double measuredY, double dt);

    static Mat transition(double dt);
    static Mat processNoise(double dt);
    // The lower Cholesky factor of a symmetric matrix, guarded: a pivot that
    // is not positive becomes 1e-8 and entries under a pivot of at most
    // 1e-10 become 0, so there is always a result.
    static Mat sigmaPointRoot(const Mat& a);

    // Parameters of the scaled transform (n = 4 state entries), named as
    // its formulas name them.
    // NOLINTBEGIN(readability-identifier-naming)
    static constexpr int n = 4;
    static constexpr double alpha = 0.3;
    static constexpr double beta = 2;
    static constexpr double kappa = 0;
    static constexpr double lambda = alpha * alpha * (n + kappa) - n;
    static constexpr double c = n + lambda;
    // NOLINTEND(readability-identifier-naming)
    static constexpr double Wm0 = lambda / c;
    static constexpr double Wc0 = Wm0 + (1 - alpha * alpha + beta);
    static constexpr double Wi = 1 / (2 * c);
    // Measurement noise per axis (a standard deviation of 4 points).
    static constexpr double kMeasurementVariance = 16;
    static constexpr double kResetVariance = 200;
    // A standard deviation of 600 points/s² of acceleration.
    static constexpr double kAccelerationVariance = 360000;
};
