#include "test_support.h"

#include <gtest/gtest.h>

namespace varnok {
namespace {

    using namespace varnok::testing;

    TEST(MainFlow, Placeholder) { SUCCEED(); }

} // namespace
} // namespace varnok
