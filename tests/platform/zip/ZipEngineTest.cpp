#include <gtest/gtest.h>
TEST(ZipEngineTest, Placeholder)
{
}
