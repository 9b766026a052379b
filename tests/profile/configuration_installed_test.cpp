// The companion profile as the product installs it.
#include <gtest/gtest.h>

#include "companion_profile.h"
#include "support/process.h"

using namespace tapdeck;

TEST(InstalledProfile, NamesTheCompanionAppAndThreeAttemptsOfTenSeconds)
{
    EXPECT_EQ(test::InstalledPath(L"Pairwell Profile\\Configuration.xml"), InstalledProfilePath());
    CompanionProfileReader reader;
    ASSERT_TRUE(reader.ReadProfile(InstalledProfilePath()));
    ASSERT_EQ(1u, reader.Entries().size());
    const AppInfoEntry& entry = reader.Entries()[0];
    EXPECT_EQ(L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e", entry.packageFamilyName);
    EXPECT_EQ(entry.packageFamilyName + L"!App", entry.appUserModelId);
    EXPECT_EQ(3, entry.retryTimes);
    EXPECT_EQ(10, entry.retryInterval);
}
