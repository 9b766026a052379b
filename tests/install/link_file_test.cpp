// The property store block of a link in the serialized property storage
// form, checked against bytes laid out by hand from the format.
#include <gtest/gtest.h>
#include <windows.h>
#include <propsys.h>
#include <propkey.h>

#include "link_file.h"
#include "task_scheduler_extra.h"

using tapdeck::sim::LinkProperty;

namespace {

std::vector<BYTE> Bytes(std::initializer_list<int> values)
{
    std::vector<BYTE> out;
    for (int v : values) out.push_back(static_cast<BYTE>(v));
    return out;
}

void Append(std::vector<BYTE>& to, const std::vector<BYTE>& more) { to.insert(to.end(), more.begin(), more.end()); }

const std::vector<BYTE> kAppUserModelFormat =
    Bytes({0x55, 0x28, 0x4c, 0x9f, 0x79, 0x9f, 0x39, 0x4b, 0xa8, 0xd0, 0xe1, 0xd4, 0x2d, 0xe1, 0xd5, 0xf3});

// "Ab" as VT_LPWSTR under id 5, then 0 as VT_UI4 under id 12.
std::vector<BYTE> HandMadeStore()
{
    std::vector<BYTE> store = Bytes({0x46, 0, 0, 0, 0x31, 0x53, 0x50, 0x53});
    Append(store, kAppUserModelFormat);
    Append(store, Bytes({0x19, 0, 0, 0, 5, 0, 0, 0, 0, 0x1f, 0, 0, 0, 3, 0, 0, 0, 'A', 0, 'b', 0, 0, 0, 0, 0}));
    Append(store, Bytes({0x11, 0, 0, 0, 12, 0, 0, 0, 0, 0x13, 0, 0, 0, 0, 0, 0, 0}));
    Append(store, Bytes({0, 0, 0, 0, 0, 0, 0, 0}));
    return store;
}

std::vector<LinkProperty> TwoProperties()
{
    LinkProperty id;
    id.formatId = PKEY_AppUserModel_ID.fmtid;
    id.id = PKEY_AppUserModel_ID.pid;
    id.type = VT_LPWSTR;
    id.text = L"Ab";
    LinkProperty pin;
    pin.formatId = sdk::PKEY_AppUserModel_StartPinOption.fmtid;
    pin.id = sdk::PKEY_AppUserModel_StartPinOption.pid;
    pin.type = VT_UI4;
    return {id, pin};
}

// A link with no target list, no location, no strings and no extra data.
std::vector<BYTE> BareLink()
{
    std::vector<BYTE> link(0x4C, 0);
    link[0] = 0x4C;
    Append(link, Bytes({0, 0, 0, 0}));
    return link;
}

TEST(LinkPropertyStore, SerializesAsTheFormatLaysItOut)
{
    EXPECT_EQ(HandMadeStore(), tapdeck::sim::SerializePropertyStore(TwoProperties()));
}

TEST(LinkPropertyStore, ParsesHandMadeBytes)
{
    const std::vector<BYTE> store = HandMadeStore();
    std::vector<LinkProperty> read;
    ASSERT_TRUE(tapdeck::sim::ParsePropertyStore(store.data(), store.size(), read));
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(L"Ab", read[0].text);
    EXPECT_EQ(12u, read[1].id);
    EXPECT_EQ(VT_UI4, read[1].type);
}

TEST(LinkPropertyStore, RejectsAStorageCutShort)
{
    std::vector<BYTE> store = HandMadeStore();
    store.resize(40);
    std::vector<LinkProperty> read;
    EXPECT_FALSE(tapdeck::sim::ParsePropertyStore(store.data(), store.size(), read));
}

TEST(LinkFile, PropertyBlockGoesBeforeTheTerminalBlockAndIsReplacedOnTheNextSave)
{
    const std::vector<BYTE> once = tapdeck::sim::WithProperties(BareLink(), TwoProperties());
    const std::vector<BYTE> twice = tapdeck::sim::WithProperties(once, TwoProperties());
    EXPECT_EQ(once, twice);
    tapdeck::sim::LinkLayout layout;
    ASSERT_TRUE(tapdeck::sim::ParseLink(once, layout));
    EXPECT_EQ(2u, layout.properties.size());
    EXPECT_EQ(once.size() - 4, layout.terminalBlock);
    EXPECT_EQ(BareLink(), tapdeck::sim::WithProperties(once, {}));
}

}  // namespace
