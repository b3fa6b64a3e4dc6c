// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "keyframes/keyframe_tables.h"

namespace zerka::testing {

// A fresh folder per test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &Path() const { return path_; }
    // The path of name inside the folder, as the UTF-8 text the core takes.
    std::string operator/(const std::string &name) const;

private:
    std::filesystem::path path_;
};

// Paths are UTF-8, as everywhere in the core.
void WriteFile(const std::string &path, const std::string &bytes);
std::string ReadFile(const std::string &path);

// Whether the folder's file system keeps "a.key" and "A.key" apart (Windows does not).
bool FolderTellsCaseApart(const std::filesystem::path &folder);

// Whether permission bits can deny this process anything: not for root, and not on
// Windows, where they only set the read-only attribute, which folders ignore.
bool PermissionBitsApply();

// The marker line an output of sourceName starts with, up to its date: "# KEYFRAME
// sourceName has been zerka by ZerKA MAJOR.MINOR on ", with the version this build writes.
std::string MarkerLineStart(const std::string &sourceName);

// A message's "New/a.key" as this system's messages write it: "New\\a.key" on Windows.
std::string Native(std::string message);

// "a\nb\n" -> "a\r\nb\r\n", to write fixtures readably.
std::string Crlf(const std::string &lfText);

// One record of a model file's hierarchy section.
struct ModelNode {
    std::string Name;
    std::string X, Y, Z;
    std::string Num = {};  // its first token; empty: its index and a colon ("3:")
};

// A model file text (LF breaks): some geometry, then a "HIERARCHY NODES" section with
// one 18-token record per node, the name last.
std::string ModelText(const std::vector<ModelNode> &nodes);

// One entry of a key file fixture: frame, position and position deltas; the rotation
// fields get fixed values.
struct EntrySpec {
    int Frame;
    std::string X, Y, Z, DX, DY, DZ;
};
struct NodeSpec {
    std::string Mesh;
    std::vector<EntrySpec> Entries;
    int Num = -1;  // its NODE number; -1: its index
};

// A key file text (LF breaks) with a header whose FLAGS line reads flags; extraHeader
// (lines ending in LF) goes below it.
std::string KeyText(const std::vector<NodeSpec> &nodes, const std::string &flags = "0x0000",
                    const std::string &extraHeader = "");

// How a shell command line ended: its exit status (-1 when a signal ended it), what it
// wrote to dir/"out" (if it sent its output there) and its standard error.
struct ShellRun {
    int Status;
    std::string Out;
    std::string Err;
};
ShellRun RunShell(const TempDir &dir, const std::string &commandLine);

// ConvertKeyFile into the file at path, its folder opened as the hidden save opens New.
void ConvertKeyFileTo(KeyframeTables &tables, const std::string &path);

// Sets one field of an entry to text, as the conversion sets several at once.
void SetField(KeyEntry &entry, int index, std::string_view text);

// Runs action, expects it to throw FileError with this code; returns the error for
// further checks of its file, line and message.
FileError ExpectFileError(const std::function<void()> &action, ErrorCode code);

}  // namespace zerka::testing
