// SPDX-License-Identifier: MIT
#include "sample_data.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string_view>

namespace zerka::bench {
namespace {

// The files the benchmarks read are made apart from the code they measure, which is why
// this is not the core's text rules.
constexpr std::string_view kCrLf = "\r\n";

constexpr const char *kNodeNames[] = {
    "hips",       "spine",      "chest",     "neck",   "head",       "jaw",
    "l_clavicle", "l_upperarm", "l_forearm", "l_hand", "r_clavicle", "r_upperarm",
    "r_forearm",  "r_hand",     "l_thigh",   "l_calf", "l_foot",     "l_toe",
    "r_thigh",    "r_calf",     "r_foot",    "r_toe",  "weapon",     "cape",
};
constexpr int kNamedNodes = sizeof kNodeNames / sizeof kNodeNames[0];

std::string NodeName(int index)
{
    std::string name = kNodeNames[index % kNamedNodes];
    if (index >= kNamedNodes) {
        name += '_';
        name += std::to_string(index / kNamedNodes);
    }
    return name;
}

// printf into a std::string; every text here is short and known.
template <typename... Args> void AppendFormat(std::string &out, const char *format, Args... args)
{
    char buffer[256];
    const int length = std::snprintf(buffer, sizeof buffer, format, args...);
    out.append(buffer, static_cast<std::size_t>(length));
}

void AppendLine(std::string &out, std::string_view line)
{
    out += line;
    out += kCrLf;
}

void AppendEntry(std::string &out, int num, int frame, const double (&values)[12])
{
    char numText[16];
    std::snprintf(numText, sizeof numText, "%d:", num);
    AppendFormat(out, "%5s%9d%9s", numText, frame, "0x0000");
    for (int v = 0; v < 6; ++v)
        AppendFormat(out, "%13.6f", values[v]);
    out += kCrLf;
    out.append(23, ' ');
    for (int v = 6; v < 12; ++v)
        AppendFormat(out, "%13.6f", values[v]);
    out += kCrLf;
}

}  // namespace

namespace {

// Where the old model's hierarchy section puts joint `record`: an animation made for that
// model starts its nodes at their joints, as real ones do.
std::array<double, 3> OldJointPosition(int record)
{
    std::mt19937 random(7);  // the hierarchy's own sequence, drawn as far as that record
    std::uniform_real_distribution<double> position(-1.0, 1.0);
    std::uniform_real_distribution<double> move(-0.2, 0.2);
    std::array<double, 3> at{};
    for (int r = 0; r <= record; ++r) {
        at = {position(random), position(random), position(random)};
        for (int axis = 0; axis < 3; ++axis)
            move(random);  // the moves the new side adds
    }
    return at;
}

}  // namespace

std::string MakeKeyText(const std::string &fileName, int nodes, int entries, unsigned seed,
                        bool wrapsAround, int joints)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> angle(-180.0, 180.0);
    std::uniform_real_distribution<double> step(-0.05, 0.05);
    std::bernoulli_distribution still(0.3);
    constexpr int kFrameStep = 3;

    std::string out;
    out.reserve(static_cast<std::size_t>(nodes) * (entries * 210 + 400) + 400);
    AppendLine(out, "# KEYFRAME " + fileName + " exported for the zerka benchmark");
    AppendLine(out, "");
    AppendLine(out, "# animation");
    AppendLine(out, wrapsAround ? "FLAGS 0x0003" : "FLAGS 0x0000");
    AppendLine(out, "TYPE  0x0000");
    AppendLine(out, "FRAMES " + std::to_string(entries * kFrameStep));
    AppendLine(out, "FPS 15.000");
    AppendLine(out, "JOINTS " + std::to_string(joints > 0 ? joints : nodes));
    AppendLine(out, "");
    AppendLine(out, "NODES " + std::to_string(nodes));
    AppendLine(out, "");
    for (int n = 0; n < nodes; ++n) {
        AppendLine(out, "NODE " + std::to_string(n));
        AppendLine(out, "MESH NAME " + NodeName(n) + ".mesh");
        AppendLine(out, "ENTRIES " + std::to_string(entries));
        AppendLine(out, "");
        AppendLine(out, "# num:  frame:  flags:  x: y: z: p: y: r:");
        AppendLine(out, "#                       dx: dy: dz: dp: dy: dr:");
        const std::array<double, 3> joint = OldJointPosition(n);
        double values[12] = {joint[0] + step(random), joint[1] + step(random),
                             joint[2] + step(random), angle(random), angle(random), angle(random)};
        const bool stillAxis[3] = {still(random), still(random), still(random)};
        for (int b = 0; b < entries; ++b) {
            for (int axis = 0; axis < 3; ++axis)
                values[6 + axis] = stillAxis[axis] ? 0.0 : step(random);
            for (int axis = 0; axis < 3; ++axis)
                values[9 + axis] = step(random) * 10;
            AppendEntry(out, b, b * kFrameStep, values);
            for (int v = 0; v < 6; ++v)
                values[v] += values[6 + v] * kFrameStep;
        }
        AppendLine(out, "");
    }
    return out;
}

std::string MakeHierarchySection(int records, bool newSide)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> position(-1.0, 1.0);
    std::uniform_real_distribution<double> move(-0.2, 0.2);
    std::string out;
    AppendLine(out, "HIERARCHY NODES " + std::to_string(records));
    AppendLine(out, "# num: flags: type: mesh: parent: child: sibling: children: x: y: z: "
                    "pitch: yaw: roll: pivotx: pivoty: pivotz: name");
    for (int r = 0; r < records; ++r) {
        double x = position(random), y = position(random), z = position(random);
        const double dx = move(random), dy = move(random), dz = move(random);
        // Every fifth node keeps its place; the others move.
        if (newSide && r % 5 != 0) {
            x += dx;
            y += dy;
            z += dz;
        }
        std::string name = NodeName(r);
        if (newSide && r == records / 2)
            name += "_new";
        AppendFormat(out, "%5d:  0x0001 0x00000 %3d %3d %3d %3d %3d", r, r, r - 1, r + 1, -1, 1);
        AppendFormat(out, " %10.6f %10.6f %10.6f %10.6f %10.6f %10.6f", x, y, z, 0.0, 0.0, 0.0);
        AppendFormat(out, " %10.6f %10.6f %10.6f  %s", 0.0, 0.0, 0.0, name.c_str());
        out += kCrLf;
    }
    return out;
}

void WriteModelFile(const std::string &path, std::uint64_t geometryBytes,
                    const std::string &section)
{
    std::ofstream out(path, std::ios::binary);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out << "# model exported for the zerka benchmark\r\n\r\nSECTION: GEOMETRY\r\n\r\n";

    // One block of vertex lines, repeated: the reader must never look at it, so its
    // content matters less than the time to write hundreds of megabytes of it.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
    std::string block;
    for (int vertex = 0; block.size() < (1u << 20); ++vertex)
        AppendFormat(block, "%8d: %10.6f %10.6f %10.6f %9.6f %9.6f\r\n", vertex, coordinate(random),
                     coordinate(random), coordinate(random), coordinate(random),
                     coordinate(random));
    for (std::uint64_t written = 0; written < geometryBytes;) {
        const std::uint64_t size = std::min<std::uint64_t>(block.size(), geometryBytes - written);
        out.write(block.data(), static_cast<std::streamsize>(size));
        written += size;
    }
    out << "\r\n" << section;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

}  // namespace zerka::bench
