// The motion predictor and its matrices, against hand-worked numbers.
#include "capture/MotionPredictor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectMat(const Mat& m, int rows, int cols, const std::vector<double>& entries, double tolerance) {
    ASSERT_EQ(m.rows, rows);
    ASSERT_EQ(m.cols, cols);
    ASSERT_EQ(m.d.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_NEAR(m.d[i], entries[i], tolerance) << "entry " << i;
}

} // namespace

TEST(Mat, ProductsSumsTransposeAndSymmetrize) {
    const Mat a(2, 3, {1, 2, 3, 4, 5, 6});
    const Mat b(3, 2, {7, 8, 9, 10, 11, 12});
    expectMat(a.multiplied(b), 2, 2, {58, 64, 139, 154}, 0);
    expectMat(a.transposed(), 3, 2, {1, 4, 2, 5, 3, 6}, 0);
    expectMat(a.adding(a).subtracting(a.scaled(3)), 2, 3, {-1, -2, -3, -4, -5, -6}, 0);
    // The operands are left as they were.
    expectMat(a, 2, 3, {1, 2, 3, 4, 5, 6}, 0);
    expectMat(Mat::identity(3), 3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0);

    Mat s(2, 2, {1, 2, 4, 3});
    s.symmetrize();
    expectMat(s, 2, 2, {1, 3, 3, 3}, 0);
}

TEST(Mat, Inverse2x2GuardsItsDeterminant) {
    expectMat(Mat(2, 2, {2, 0, 0, 4}).inverse2x2(), 2, 2, {0.5, 0, 0, 0.25}, 0);
    expectMat(Mat(2, 2, {1, 2, 3, 4}).inverse2x2(), 2, 2, {-2, 1, 1.5, -0.5}, 1e-12);
    // Zero, negative tiny and not-a-number determinants all become +1e-12.
    expectMat(Mat(2, 2).inverse2x2(), 2, 2, {0, 0, 0, 0}, 0);
    const Mat tiny = Mat(2, 2, {1e-7, 0, 0, -1e-7}).inverse2x2();
    EXPECT_NEAR(tiny(0, 0), -1e-7 / 1e-12, 1e-3);
    EXPECT_NEAR(tiny(1, 1), 1e-7 / 1e-12, 1e-3);
    const Mat nan = Mat(2, 2, {NAN, 0, 0, 1}).inverse2x2();
    EXPECT_DOUBLE_EQ(nan(0, 0), 1 / 1e-12);
}

TEST(UKFPredictor, TheScaledTransformsParameters) {
    EXPECT_DOUBLE_EQ(UKFPredictor::lambda, -3.64);
    EXPECT_EQ(UKFPredictor::c, 4 + (0.3 * 0.3 * 4 - 4));
    EXPECT_NEAR(UKFPredictor::c, 0.36, 1e-15);
    EXPECT_NEAR(UKFPredictor::Wm0, -10.1111111, 1e-6);
    EXPECT_NEAR(UKFPredictor::Wc0, -7.2011111, 1e-6);
    EXPECT_NEAR(UKFPredictor::Wi, 1.3888889, 1e-6);
    // The mean weights add up to 1.
    EXPECT_NEAR(UKFPredictor::Wm0 + 8 * UKFPredictor::Wi, 1, 1e-12);
}

TEST(UKFPredictor, GuardedCholesky) {
    expectMat(UKFPredictor::sigmaPointRoot(Mat(2, 2, {4, 2, 2, 3})), 2, 2, {2, 0, 1, std::sqrt(2.0)}, 1e-15);
    // A pivot that is not positive becomes 1e-8.
    expectMat(UKFPredictor::sigmaPointRoot(Mat(2, 2, {0, 0, 0, 1})), 2, 2, {1e-8, 0, 0, 1}, 0);
    expectMat(UKFPredictor::sigmaPointRoot(Mat(2, 2, {-1, 5, 5, 4})), 2, 2, {1e-8, 0, 5e8, 1e-8}, 1e-6);
    // Entries under a pivot of at most 1e-10 are 0.
    expectMat(UKFPredictor::sigmaPointRoot(Mat(2, 2, {1e-22, 3, 3, 4})), 2, 2, {1e-11, 0, 0, 2}, 1e-20);
}

TEST(UKFPredictor, ModelMatricesAndLookAhead) {
    const Mat f = UKFPredictor::transition(0.5);
    expectMat(f, 4, 4, {1, 0, 0.5, 0, 0, 1, 0, 0.5, 0, 0, 1, 0, 0, 0, 0, 1}, 0);
    const Mat q = UKFPredictor::processNoise(0.1);
    EXPECT_NEAR(q(0, 0), 360000 * 1e-4 / 4, 1e-9);
    EXPECT_NEAR(q(0, 2), 360000 * 1e-3 / 2, 1e-9);
    EXPECT_NEAR(q(3, 1), 360000 * 1e-3 / 2, 1e-9);
    EXPECT_NEAR(q(2, 2), 360000 * 1e-2, 1e-9);
    EXPECT_EQ(q(0, 1), 0);

    const Mat ahead = UKFPredictor::transition(0.03).multiplied(Mat(4, 1, {10, 20, 100, -50}));
    EXPECT_NEAR(ahead(0, 0), 13, 1e-12);
    EXPECT_NEAR(ahead(1, 0), 18.5, 1e-12);
}

TEST(UKFPredictor, AFirstMeasurementOnlyStartsTheFilter) {
    UKFPredictor p;
    expectMat(p.x, 4, 1, {0, 0, 0, 0}, 0);
    expectMat(p.P, 4, 4, Mat::identity(4).d, 0);
    EXPECT_FALSE(p.isInitialized);

    p.update(100, 50, 0.5);
    EXPECT_TRUE(p.isInitialized);
    expectMat(p.x, 4, 1, {100, 50, 0, 0}, 0);
    expectMat(p.P, 4, 4, Mat::identity(4).scaled(200).d, 0);
}

TEST(UKFPredictor, AMeasurementAtTheEstimateLeavesItThere) {
    UKFPredictor p;
    p.reset(100, 50);
    p.update(100, 50, 1.0 / 60);
    expectMat(p.x, 4, 1, {100, 50, 0, 0}, 1e-9);
    // The covariance stays symmetric.
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(p.P(i, j), p.P(j, i));
}

TEST(UKFPredictor, OneUpdateFromRest) {
    UKFPredictor p;
    p.reset(0, 0);
    p.update(10, 0, 0.016);
    expectMat(p.x, 4, 1, {9.2594, 0, 0.1481, 0}, 5e-5);
    EXPECT_NEAR(p.P(0, 0), 14.821, 5e-4);
    EXPECT_NEAR(p.P(1, 1), 14.821, 5e-4);
    EXPECT_NEAR(p.P(2, 2), 292.113, 5e-4);
    EXPECT_NEAR(p.P(3, 3), 292.113, 5e-4);
    EXPECT_NEAR(p.P(0, 2), 0.9743, 5e-5);
    EXPECT_EQ(p.P(0, 2), p.P(2, 0));
}

TEST(UKFPredictor, FollowsAConstantVelocity) {
    // 300 points per second to the right at 60 Hz: after half a second the
    // filter knows the velocity and predicts the next position.
    UKFPredictor p;
    p.reset(0, 0);
    const double dt = 1.0 / 60;
    for (int i = 1; i <= 30; ++i) p.update(300 * dt * i, 20, dt);
    EXPECT_NEAR(p.x(2, 0), 300, 15);
    EXPECT_NEAR(p.x(3, 0), 0, 1);
    const Mat next = UKFPredictor::transition(dt).multiplied(p.x);
    EXPECT_NEAR(next(0, 0), 300 * dt * 31, 1);
}
