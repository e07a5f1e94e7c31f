// Entry of the Windows test program. `--child=NAME` runs one of the child scenarios that end the
// process (fatal errors), so a test can start this program again and judge it from outside.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/win/win_test_support.h"

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    for (int i = 1; i < argc; ++i) {
        if (std::wcsncmp(argv[i], L"--child=", 8) == 0) return kelvra::test::RunChild(argv[i] + 8);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
