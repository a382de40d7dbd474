#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

// Every rule of the menu file assumes Shift-JIS; a test bed that came up in
// another locale would make the other tests pass or fail for the wrong reason.
TEST(TestBed, AnsiCodePageIsShiftJis) {
  ASSERT_EQ(GetACP(), 932u) << "run the tests with LANG=ja_JP.UTF-8";
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_FALSE(IsDBCSLeadByte('['));
}
#endif
