// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "keyframe_tables.h"

// The only place the core talks to the file system. Everything above it reads and writes
// whole texts by name; the system calls, their error numbers and the care that a hostile
// folder needs (FIFOs, devices, links, full disks, kills at any instant) stay here.
namespace zerka {

// A key file, or a model's hierarchy section, larger than this is refused: a real key file
// has at most 100 nodes of 100 entries, a few MB, and a bound keeps memory bounded.
inline constexpr std::uint64_t kMaxTextBytes = std::uint64_t{64} << 20;

// The temporary names outputs are staged under: short whatever the output's name, and
// hidden, so folder listings never offer them as key files.
inline constexpr std::string_view kTempPrefix = ".zerka-";
inline constexpr std::string_view kTempSuffix = ".tmp";

// What messages call name in folder: "New/walk.key", and "New\\walk.key" on Windows, where
// users know paths by backslashes.
std::string ShownPath(const std::string &folder, const std::string &name);

// The code a failed system call is reported with: 53 missing, 70 not permitted, 57 a
// device failure, 75 anything else about the path.
ErrorCode CodeForSystemError(int error);

// Throws the error of a failed system call: "doing: the system's reason", naming file.
[[noreturn]] void ThrowSystemError(int error, const std::string &file, std::string_view doing);

// An owned file descriptor.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) { }
    FileHandle(FileHandle &&other) noexcept : fd_(other.Release()) { }
    FileHandle &operator=(FileHandle &&other) noexcept;
    ~FileHandle();
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release();

private:
    int fd_ = -1;
};

// Which file a name leads to, through any links: two names with the same identity are one
// file. Empty (all zero) where the system cannot tell.
struct FileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    friend auto operator<=>(const FileIdentity &, const FileIdentity &) = default;
};

// What a file was when it was looked at: another file under its name since, or the same
// file written since, has another stamp.
struct FileStamp {
    FileIdentity Identity;
    std::uint64_t Size = 0;
    std::int64_t Modified = 0;  // in the system's own units
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// An open folder; files in it are opened by name relative to it, so the folder cannot be
// swapped for another between a check and a use.
class Folder {
public:
    // name is what messages call the folder.
    static Folder Open(const std::string &path, const std::string &name);

    int Fd() const { return handle_.Get(); }
    const std::string &Name() const { return name_; }
    // Both are the same folder on the same device, whatever links led to them.
    bool SameAs(const Folder &other) const;
    // The file name leads to, through links; empty when there is none or it cannot be told.
    FileIdentity IdentityOf(const std::string &name) const;
    // Whether child/name in this folder is a file, not a folder (through links).
    bool HoldsFile(const std::string &child, const std::string &name) const;
    // Removes the folder child of this folder if it is empty; anything else stays.
    void RemoveIfEmpty(const std::string &child) const;
    // The folder child of this one, through links; name is what messages call it.
    Folder OpenFolder(const std::string &child, const std::string &name) const;
    // Windows: the whole path this folder was opened by, ending in a backslash, for where
    // the system cannot tell its path from its handle; empty elsewhere.
    const std::string &OpenedAs() const { return openedAs_; }

private:
    friend class OutputFolder;
#if defined(_WIN32)
    // The folder at the whole path path, which Windows has no call to open relative to a
    // folder handle.
    static Folder OpenWhole(const std::wstring &path, const std::string &name);
#else
    static Folder OpenAt(int base, const std::string &path, const std::string &name);
#endif

    FileHandle handle_;
    std::string name_;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::string openedAs_;
};

// The names of the regular files in the folder at path (through links), in the order the
// system lists them; name is what messages call the folder. Throws FileError: "not a
// folder" where path leads to none, "cannot list the folder: reason" where it cannot be read.
std::vector<std::string> ListRegularFiles(const std::string &path, const std::string &name);

// The name a backup of name in folder takes: "name.~N~", N one more than the highest such
// backup the folder holds, as `cp --backup=numbered` names them; "name.~1~" when it holds
// none, or cannot be listed.
std::string NextBackupName(const Folder &folder, const std::string &name);

// A file open for reading, and only ever a regular file: a FIFO, a device or a folder is
// refused at once, before a read could block or run on without end.
class InputFile {
public:
    // name is what messages call the file.
    static InputFile Open(const std::string &path, const std::string &name);
    static InputFile OpenIn(const Folder &folder, const std::string &name);

    // The size the file had when it was opened; no read goes past it.
    std::uint64_t Size() const { return size_; }
    const std::string &Name() const { return name_; }
    // The file as it was opened.
    const FileStamp &Stamp() const { return stamp_; }

    // The whole file, at most kMaxTextBytes (more is an error).
    std::string ReadAll() const;
    // The same into buffer's storage, which is kept for the next file: a batch then fills
    // no fresh memory per file. The text is valid while buffer is unchanged.
    std::string_view ReadAllInto(std::string &buffer) const;
    // Exactly count bytes from offset.
    void ReadAt(std::uint64_t offset, char *into, std::size_t count) const;

private:
    InputFile(FileHandle handle, std::string name);
    // Up to count bytes from offset; 0 at the end of the file.
    std::size_t ReadSome(std::uint64_t offset, char *into, std::size_t count) const;

    FileHandle handle_;
    std::string name_;
    std::uint64_t size_ = 0;
    FileStamp stamp_;
};

// A complete output that has no final name yet: unnamed where the system allows it, else
// under a locked temporary name. Destroying it before it is published removes it.
class StagedFile {
public:
    StagedFile() = default;
    StagedFile(StagedFile &&other) noexcept { *this = std::move(other); }
    StagedFile &operator=(StagedFile &&) noexcept;
    ~StagedFile();

    const std::string &Name() const { return name_; }

    // When it is published over another file, that file is first kept under the next
    // backup name (NextBackupName), unless it is still the file stamped same, whose content
    // the caller found equal to this one's.
    void KeepWhatItReplaces(std::optional<FileStamp> same)
    {
        keepReplaced_ = true;
        same_ = same;
    }

private:
    friend class OutputFolder;
    void Discard();

    FileHandle handle_;
    int folderFd_ = -1;
    bool durable_ = false;  // on the disk already, with its group
    std::string tempName_;  // empty while the file has no name at all
    std::string name_;
    std::string shown_;
    bool keepReplaced_ = false;
    std::optional<FileStamp> same_;
};

// How an output folder writes: both are for tests, which must take paths that a system or
// a file system may not take by itself.
struct WriteOptions {
    // Stage under locked temporary names even where files can be made without a name, as
    // on file systems that cannot.
    bool NamedTemporaries = false;
    // Called at every step of writing an output, from several threads at once: a test
    // build stops a run there, at a step of its choice.
    std::function<void()> Step = {};
    // Keep replaced files as copies, as on file systems without hard links.
    bool CopiedBackups = false;
};

// The folder outputs go to. An output is written in two steps so that a batch pays for
// durability once per group, not once per file: Stage writes the bytes and starts them
// towards the disk, Publish waits until they are there and then gives the file its name.
// A name therefore never points at bytes that a power loss could still take away.
class OutputFolder {
public:
    // Opens the folder childName of parent, making it if it is missing, and removes the
    // temporary files that dead runs left there. A childName that leads back to parent
    // itself (a link to ".") is refused, or outputs would replace the sources.
    static OutputFolder OpenChild(const Folder &parent, const std::string &childName,
                                  WriteOptions options = {});

    const std::string &Name() const { return folder_.Name(); }
    // The folder itself, to read what it holds.
    const Folder &Files() const { return folder_; }
    // Whether OpenChild made the folder, which did not exist before.
    bool Made() const { return made_; }

    // Writes bytes into a new file without its final name (safe from several threads at
    // once; the other calls are for one thread); name is the name it will get,
    // shownName what messages call it (the folder's name and name when empty).
    StagedFile Stage(std::string_view bytes, const std::string &name,
                     const std::string &shownName = {});
    // Makes staged files durable in one pass, so a group of outputs waits for the disk once.
    void MakeDurable(std::vector<StagedFile *> &files);
    // Makes the staged file durable and names it, replacing an existing file of that name,
    // but never a folder and never a file whose identity is in keep (a source that a link
    // leads to). A replaced file the staged one is to keep (KeepWhatItReplaces) is first
    // given its backup name, durably: a hard link, or a durable copy where the file system
    // has none, so the name holds the old or the new whole file at every instant. Returns
    // the backup's name, empty when none was made. On failure the staged file is gone and
    // nothing was replaced.
    std::string Publish(StagedFile &file, const std::set<FileIdentity> &keep = {});
    // Makes the names given by Publish durable.
    void SyncNames();

private:
    OutputFolder(Folder folder, WriteOptions options);
    void Step() const
    {
        if (options_.Step)
            options_.Step();
    }
    // Makes the folder; one that exists already is fine. True when this call made it.
    static bool MakeChild(const Folder &parent, const std::string &childName);
    std::string NewTempName();
    // Keeps the file at file's name under its backup name, as Publish says; empty when
    // there is nothing to keep.
    std::string KeepReplaced(StagedFile &file);
    // A staged file of this folder that will be called name (shownName in messages).
    StagedFile NewStaged(const std::string &name, const std::string &shownName) const;
    void RemoveDeadTemporaries();

    Folder folder_;
    WriteOptions options_;
    bool made_ = false;
    bool stagesUnnamed_ = false;  // outputs can be made without a name until published
    // Whether MakeDurable's one pass also reports every file's writeback error, so that
    // Publish need not ask each file; false for good once an error was seen.
    bool groupReportsErrors_ = false;
    std::uint64_t seed_ = 0;
    // Shared by the threads that stage into this folder at once.
    std::unique_ptr<std::atomic<std::uint64_t>> counter_ =
        std::make_unique<std::atomic<std::uint64_t>>(0);
};

}  // namespace zerka
