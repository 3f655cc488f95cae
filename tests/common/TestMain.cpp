// The entry point of every test program.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    fflush(stdout);
    fflush(stderr);
    // Ends here rather than through the DLL unload: a media pipeline's worker that a test
    // left inside the system's decoders can hold the unload, and the finished run with it.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
