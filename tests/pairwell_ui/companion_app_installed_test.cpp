// Activating the companion app through the activation manager, and asking
// the Store for its page.
#include <gtest/gtest.h>

#include <objbase.h>

#include <thread>

#include "companion_app.h"
#include "sim_records.h"

namespace tapdeck {
namespace {

using test::Records;
using test::WaitForRecord;

constexpr wchar_t kCompanion[] = L"VexaCorporation.KoxPhotoCompanion_r7tq3m9xk2b4e!App";

class CompanionApp : public ::testing::Test {
protected:
    void SetUp() override { test::ForgetUiRecords(); }
};

TEST_F(CompanionApp, ActivatesByAppUserModelIdAndLeavesComAsItFoundIt)
{
    HRESULT afterwards = E_FAIL;
    std::thread([&] {
        ActivateCompanionApp(kCompanion);
        // The activation initialised COM for itself and uninitialised it again.
        afterwards = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(afterwards)) ::CoUninitialize();
    }).join();
    EXPECT_TRUE(WaitForRecord(L"activation", std::wstring(L"activate\t") + kCompanion + L"\t\t0\n"))
        << Records(L"activation");
    EXPECT_EQ(afterwards, S_OK);
}

TEST_F(CompanionApp, ActivatesFromASingleThreadedApartmentAndKeepsIt)
{
    HRESULT afterwards = E_FAIL;
    std::thread([&] {
        if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
        ActivateCompanionApp(kCompanion);
        afterwards = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(afterwards)) ::CoUninitialize();
        ::CoUninitialize();
    }).join();
    EXPECT_TRUE(WaitForRecord(L"activation", std::wstring(L"activate\t") + kCompanion + L"\t\t0\n"));
    // S_FALSE: the thread's own apartment was still there.
    EXPECT_EQ(afterwards, S_FALSE);
}

TEST_F(CompanionApp, StorePageUriCarriesTheFamilyNameUnchanged)
{
    const wchar_t* name = L"Vexa.Kox_r7tq3m9xk2b4e&x=1%20y";
    EXPECT_TRUE(OpenStorePage(name));
    EXPECT_TRUE(WaitForRecord(L"store", std::wstring(L"open\tms-windows-store:PDP?PFN=") + name + L"\n"))
        << Records(L"store");
}

TEST_F(CompanionApp, EmptyStoreNameAsksTheStoreNothing)
{
    EXPECT_FALSE(OpenStorePage(L""));
    EXPECT_FALSE(OpenStorePage(nullptr));
    // A request made after them is the only one the Store receives.
    EXPECT_TRUE(OpenStorePage(L"Vexa.Kox_after"));
    ASSERT_TRUE(WaitForRecord(L"store", L"Vexa.Kox_after\n"));
    EXPECT_EQ(Records(L"store"), L"open\tms-windows-store:PDP?PFN=Vexa.Kox_after\n");
}

}  // namespace
}  // namespace tapdeck
