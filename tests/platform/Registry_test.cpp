#include "platform/Registry.h"

#include <gtest/gtest.h>

#include "platform/Seam.h"

namespace rendix::platform {
namespace {

TEST(RegistryTest, OnlyTheFakeRegistryAnswersWithValuesThatFitTheBuffer) {
    const QByteArray key = "SOFTWARE\\Microsoft\\Shared Tools\\MSInfo";
    EXPECT_EQ(queryRegistryValue(kHkeyLocalMachine, key, "Path"), std::nullopt);
    TestSeam seam;
    seam.setRegistryValue(kHkeyLocalMachine, key, "Path", {kRegistryString, QByteArray(1024, 'x')});
    seam.setRegistryValue(kHkeyLocalMachine, key, "Huge", {kRegistryString, QByteArray(1025, 'x')});
    const auto value =
        queryRegistryValue(kHkeyLocalMachine, "software\\microsoft\\SHARED TOOLS\\msinfo", "PATH");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->data, QByteArray(1024, 'x'));
    EXPECT_EQ(queryRegistryValue(kHkeyLocalMachine, key, "Huge"), std::nullopt);
    EXPECT_EQ(queryRegistryValue(0x80000001u, key, "Path"), std::nullopt);
}

}  // namespace
}  // namespace rendix::platform
