// SPDX-License-Identifier: MIT
#include "app/marker_date.h"

#include "support/test_support.h"

namespace zerka {
namespace {

TEST(MarkerDate, SourceDateEpochFixesItInUtcAndABadOneIsRefused)
{
    const std::locale c = std::locale::classic();
    EXPECT_EQ(MarkerDate("86400", 999999, c), "01/02/70 00:00:00");
    EXPECT_EQ(MarkerDate("1700000000", 0, c), "11/14/23 22:13:20");
    // Unset or empty: the clock's instant, in local time.
    std::tm local{};
    const std::time_t now = 1700000000;
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char expected[32];
    std::strftime(expected, sizeof expected, "%x %X", &local);
    EXPECT_EQ(MarkerDate(nullptr, now, c), expected);
    EXPECT_EQ(MarkerDate("", now, c), expected);
    // A value that is not a date fails the save rather than passing the clock off as one.
    for (const char *bad : {"abc", "86400.5", " 1", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        testing::ExpectFileError([&] { MarkerDate(bad, now, c); }, ErrorCode::InvalidArgument);
    }
}

}  // namespace
}  // namespace zerka
