// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace zerka::bench {

// Sample files for the benchmarks, made from a seed so every run measures the same bytes.

// A key file in the tool's column layout: a short header, then `nodes` nodes (NODE i
// animates joint i) of `entries` entries each, made for a model of `joints` joints (0: as
// many as nodes). Some axes stand still (delta 0), as in real animations, so the conversion
// takes both of its paths.
std::string MakeKeyText(const std::string &fileName, int nodes, int entries, unsigned seed,
                        bool wrapsAround, int joints = 0);

// A hierarchy section, title line included, of `records` records of 18 values. The new
// side moves most nodes and renames one; the old side is the model before the rebuild.
std::string MakeHierarchySection(int records, bool newSide);

// Writes a model file: about `geometryBytes` of vertex text, then `section`. Written in
// blocks, so a model of hundreds of megabytes never sits in memory.
void WriteModelFile(const std::string &path, std::uint64_t geometryBytes,
                    const std::string &section);

}  // namespace zerka::bench
