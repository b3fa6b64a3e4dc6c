// SPDX-License-Identifier: MIT
#include "keyframes/key_header.h"

#include <gtest/gtest.h>

namespace zerka {
namespace {

TEST(KeyHeader, AJointsLineGivesACountWrittenAsAJointNumberIs)
{
    const struct {
        const char *line;
        int count;  // -1: none
    } rows[] = {
        {"JOINTS 31", 31}, {"joints\t31", 31}, {"JOINTS  +31 ", 31}, {"JOINTS 031", 31},
        {"JOINTS 31:", -1}, {"JOINTS 40000", -1}, {"JOINTS -1", -1}, {"JOINTS", -1},
        {"JOINTS ", -1}, {"JOINTSX 31", -1}, {"JOINTS 3 1", -1}, {"JOINTS 0x1f", -1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(JointsLineCount(row.line), row.count);
    }
}

TEST(KeyHeader, TwoOutputsAreTheSameApartFromTheirMarkerLinesOnly)
{
    const std::string marker1 = "# KEYFRAME walk.key has been zerka by ZerKA 0.2 on 1/1/24\r\n";
    const std::string marker2 = "# KEYFRAME walk.key has been zerka by ZerKA 0.2 on 2/2/25\r\n";
    const std::string body = "FLAGS 0x0000\r\nNODES 0\r\n";
    const struct {
        const char *name;
        std::string a, b;
        bool same;
    } rows[] = {
        {"other dates", marker1 + body, marker2 + body, true},
        {"the same bytes", "edited\r\n", "edited\r\n", true},
        {"other content", marker1 + body, marker2 + "FLAGS 0x0003\r\nNODES 0\r\n", false},
        {"a hand-edited first line", "# my notes\r\n" + body, marker2 + body, false},
        {"one line only", marker1, marker2, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SameOutput(row.a, row.b), row.same);
        EXPECT_EQ(SameOutput(row.b, row.a), row.same);
    }
}

}  // namespace
}  // namespace zerka
