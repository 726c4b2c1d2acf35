// Rows of a parameterised test carry their own name (a `name` field), which
// becomes the last part of the test's name:
//   INSTANTIATE_TEST_SUITE_P(Layer, Suite, ::testing::Values(...), KL_VRXTest::RowName());
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace KL_VRXTest {

struct RowName {
    template <typename TRow>
    std::string operator()(const ::testing::TestParamInfo<TRow>& info) const {
        return info.param.name;
    }
};

}  // namespace KL_VRXTest
