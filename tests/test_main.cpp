// Entry point of every test program (the programs are built with -municode).
#include <gmock/gmock.h>

int wmain(int argc, wchar_t** argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
