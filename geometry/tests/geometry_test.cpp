// Geometry in the host's row-vector convention, with its float rounding.
// Expected values below were worked out by hand or in an independent
// double/float model of the formulas; hex literals pin exact float results.
#include "geometry/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr float pi_f = std::numbers::pi_v<float>;

Mat4 with_element(Mat4 m, int r, int c, float value) {
    m.m[r][c] = value;
    return m;
}

void expect_same_vec(const Vec3& actual, const Vec3& expected) {
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.z, expected.z);
}

void expect_near_vec(const Vec3& actual, const Vec3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expect_same_mat(const Mat4& actual, const Mat4& expected) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(actual.m[r][c], expected.m[r][c]) << "element " << r << "," << c;
}

// A matrix with no symmetry and no zero elements, so order faults show.
const Mat4 lopsided{{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}};

}  // namespace

TEST(DegreesToRadians, UsesFloatPiSoRoundedAnglesDifferFromExactPi) {
    // float(pi) / 180, not pi / 180: for these angles the two factors round to
    // different floats, which would shift every turn of the capture grid.
    struct Case {
        int degrees;
        float radians;
    };
    const Case cases[] = {{5, 0x1.657186p-4f}, {10, 0x1.657186p-3f}, {13, 0x1.d0ad2ep-3f}, {20, 0x1.657186p-2f}};
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<float>(c.degrees * degrees_to_radians), c.radians) << c.degrees << " degrees";
        EXPECT_NE(static_cast<float>(c.degrees * (std::numbers::pi / 180.0)), c.radians) << c.degrees;
    }
}

TEST(Normalize, ScalesToUnitLength) {
    expect_same_vec(normalize({3, 0, 4}), {0.6f, 0, 0.8f});
    // Formed in double: float arithmetic would give 0x1.e5b9d0p-1 for z.
    expect_same_vec(normalize({1, 0, 3}), {0x1.43d136p-2f, 0, 0x1.e5b9d2p-1f});
}

TEST(Normalize, LeavesZeroAndNotANumberAlone) {
    expect_same_vec(normalize({0, 0, 0}), {0, 0, 0});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Vec3 out = normalize({nan, 2, 3});
    EXPECT_TRUE(std::isnan(out.x));
    EXPECT_EQ(out.y, 2.0f);
    EXPECT_EQ(out.z, 3.0f);
}

TEST(TransformPoint, TranslationSitsInTheFourthRow) {
    expect_same_vec(transform_point({1, 2, 3}, translation({10, 20, 30})), {11, 22, 33});
}

TEST(TransformPoint, ReadsRowsNotColumns) {
    // Row vector: x feeds row 0, so m[0][1] moves x into y; m[1][0] would not.
    expect_same_vec(transform_point({1, 0, 0}, with_element(identity_matrix(), 0, 1, 5)), {1, 5, 0});
    expect_same_vec(transform_point({1, 0, 0}, with_element(identity_matrix(), 1, 0, 5)), {1, 0, 0});
    // Column sums 28, 32, 36, then divided by m[3][3] = 16.
    expect_same_vec(transform_point({1, 1, 1}, lopsided), {1.75f, 2, 2.25f});
}

TEST(TransformPoint, DividesByTheLastElementOnlyWhenItIsNotOne) {
    Mat4 halving = translation({10, 20, 30});
    halving.m[3][3] = 2;
    expect_same_vec(transform_point({1, 2, 3}, halving), {5.5f, 11, 16.5f});

    // The fourth column is never read, so it cannot turn into a divisor.
    Mat4 noisy_column = translation({10, 20, 30});
    noisy_column.m[0][3] = 7;
    noisy_column.m[1][3] = -3;
    noisy_column.m[2][3] = 0.25f;
    expect_same_vec(transform_point({1, 2, 3}, noisy_column), {11, 22, 33});
    noisy_column.m[3][3] = 4;
    expect_same_vec(transform_point({1, 2, 3}, noisy_column), {2.75f, 5.5f, 8.25f});

    const Vec3 out = transform_point({1, 2, 3}, with_element(identity_matrix(), 3, 3,
                                                            std::numeric_limits<float>::quiet_NaN()));
    EXPECT_TRUE(std::isnan(out.x) && std::isnan(out.y) && std::isnan(out.z));
}

TEST(TransformPoint, SumsInDoubleBeforeRounding) {
    // 1 + 2^-24 + 2^-24: summed in float each step rounds back to 1.
    const float tiny = 0x1p-24f;
    Mat4 m = identity_matrix();
    m.m[1][0] = tiny;
    m.m[2][0] = tiny;
    EXPECT_EQ(transform_point({1, 1, 1}, m).x, 0x1.000002p+0f);
}

TEST(Multiply, IdentityOnEitherSideKeepsTheMatrix) {
    expect_same_mat(multiply(lopsided, identity_matrix()), lopsided);
    expect_same_mat(multiply(identity_matrix(), lopsided), lopsided);
}

TEST(Multiply, RowTimesColumn) {
    const Mat4 product = multiply(lopsided, lopsided);
    EXPECT_EQ(product.m[0][0], 90.0f);   // 1*1 + 2*5 + 3*9 + 4*13
    EXPECT_EQ(product.m[1][2], 254.0f);  // 5*3 + 6*7 + 7*11 + 8*15
    EXPECT_EQ(product.m[3][1], 484.0f);  // 13*2 + 14*6 + 15*10 + 16*14
}

TEST(Multiply, StoringOverAnOperandGivesTheSameValues) {
    const Mat4 expected = multiply(lopsided, translation({1, 2, 3}));
    Mat4 a = lopsided;
    a = multiply(a, translation({1, 2, 3}));
    expect_same_mat(a, expected);

    const Mat4 expected_left = multiply(translation({1, 2, 3}), lopsided);
    Mat4 b = lopsided;
    b = multiply(translation({1, 2, 3}), b);
    expect_same_mat(b, expected_left);
}

TEST(Multiply, AppliesTheLeftOperandFirst) {
    const Mat4 quarter_turn_z = axis_rotation({0, 0, 1}, 0, 1);
    // Move to (1, 0, 0), then turn: ends on the y axis.
    expect_same_vec(transform_point({0, 0, 0}, multiply(translation({1, 0, 0}), quarter_turn_z)), {0, 1, 0});
    // Turn the origin (no effect), then move.
    expect_same_vec(transform_point({0, 0, 0}, multiply(quarter_turn_z, translation({1, 0, 0}))), {1, 0, 0});
}

TEST(Multiply, SumsInDoubleBeforeRounding) {
    Mat4 a = identity_matrix();
    a.m[0][1] = 0x1p-24f;
    a.m[0][2] = 0x1p-24f;
    Mat4 b{};
    b.m[0][0] = b.m[1][0] = b.m[2][0] = 1;
    EXPECT_EQ(multiply(a, b).m[0][0], 0x1.000002p+0f);
}

TEST(AxisRotation, TurnsRightHandedForRowVectors) {
    struct Case {
        Vec3 axis;
        Vec3 from;
        Vec3 to;
    };
    const Case quarter_turns[] = {
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {{0, 5, 0}, {1, 0, 0}, {0, 0, -1}},  // the axis is normalized first
    };
    for (const Case& c : quarter_turns) expect_same_vec(transform_point(c.from, axis_rotation(c.axis, 0, 1)), c.to);
    expect_same_vec(transform_point({1, 0, 0}, axis_rotation({0, 0, 1}, 0.6f, 0.8f)), {0.6f, 0.8f, 0});
}

TEST(AxisRotation, ZeroAxisLeavesTheCosineOnTheDiagonal) {
    Mat4 expected{};
    expected.m[0][0] = expected.m[1][1] = expected.m[2][2] = 0.25f;
    expected.m[3][3] = 1;
    expect_same_mat(axis_rotation({0, 0, 0}, 0.25f, 0.5f), expected);
}

TEST(AxisRotation, ElementsFormedInDoubleAndPlacedByRow) {
    // Axis (2, 3, 6) / 7 turned by one radian. Float arithmetic would miss
    // m[1][0], m[1][2], m[2][0] and m[2][1] by one unit in the last place.
    const Mat4 m = axis_rotation({2, 3, 6}, 0x1.14a28p-1f, 0x1.aed548p-1f);
    const Mat4 expected{{{0x1.27d928p-1f, 0x1.8e1b14p-1f, -0x1.fc025cp-3f, 0},
                         {-0x1.54771ep-1f, 0x1.3fdd78p-1f, 0x1.a31c9ep-2f, 0},
                         {0x1.e49104p-2f, -0x1.25136ep-4f, 0x1.c18e6p-1f, 0},
                         {0, 0, 0, 1}}};
    expect_same_mat(m, expected);
}

TEST(PivotRotation, ZeroAngleIsExactlyTheIdentity) {
    const Vec3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const Vec3& axis : axes) expect_same_mat(pivot_rotation({1.5f, -2, 7}, axis, 0), identity_matrix());
}

TEST(PivotRotation, TurnsAboutThePivotNotTheOrigin) {
    const Mat4 half_turn = pivot_rotation({0, 0, 5}, {0, 1, 0}, pi_f);
    expect_near_vec(transform_point({0, 0, 0}, half_turn), {0, 0, 10});
    expect_near_vec(transform_point({0, 0, 5}, half_turn), {0, 0, 5});

    // Translating back and forth in the wrong order would send (11, 0, 0) to (-10, 21, 0).
    const Mat4 quarter_turn = pivot_rotation({10, 0, 0}, {0, 0, 1}, pi_f / 2);
    expect_near_vec(transform_point({11, 0, 0}, quarter_turn), {10, 1, 0});
    expect_near_vec(transform_point({10, 0, 0}, quarter_turn), {10, 0, 0});
}

TEST(Distance, PythagorasInDouble) {
    EXPECT_EQ(distance(0, 0, 0, 3, 4, 0), 5.0);
    EXPECT_EQ(distance(3, 4, 0, 0, 0, 0), 5.0);
    EXPECT_EQ(distance(1, 2, 3, 1, 2, 3), 0.0);
    // The result stays a double; rounding it to float first would lose this.
    EXPECT_EQ(distance(0, 0, 0, 1, 1, 0), 1.4142135623730951);
}

TEST(Distance, RoundsEachDifferenceToFloat) {
    // 1 - 2^-30 rounds to 1 as a float, so the distance is exactly 1.
    EXPECT_EQ(distance(1, 0, 0, 0x1p-30f, 0, 0), 1.0);
    EXPECT_EQ(distance(0, 1, 0, 0, 0x1p-30f, 0), 1.0);
}
