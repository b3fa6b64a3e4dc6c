// SPDX-License-Identifier: MIT
#include "support/test_support.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "conversion/keyframe_conversion.h"
#include "support/utf8_paths.h"
#include "zerka_version.h"

namespace zerka::testing {

TempDir::TempDir()
{
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            ("zerka-test-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable to remove them.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::operator/(const std::string &name) const
{
    return Utf8FromPath(path_ / PathFromUtf8(name));
}

void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream out(PathFromUtf8(path), std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("test fixture: cannot write " + path);
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("test fixture: cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool FolderTellsCaseApart(const std::filesystem::path &folder)
{
    const std::filesystem::path probe = folder / "case-probe";
    std::ofstream(probe).put('x');
    std::error_code ec;
    const bool apart = !std::filesystem::exists(folder / "CASE-PROBE", ec);
    std::filesystem::remove(probe, ec);
    return apart;
}

bool PermissionBitsApply()
{
#if defined(_WIN32)
    return false;
#else
    return ::geteuid() != 0;
#endif
}

std::string Native(std::string message)
{
#if defined(_WIN32)
    for (char &c : message)
        if (c == '/')
            c = '\\';
#endif
    return message;
}

std::string MarkerLineStart(const std::string &sourceName)
{
    return "# KEYFRAME " + sourceName + " has been zerka by ZerKA " +
           std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + " on ";
}

std::string Crlf(const std::string &lfText)
{
    std::string out;
    out.reserve(lfText.size() * 2);
    for (char c : lfText) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string ModelText(const std::vector<ModelNode> &nodes)
{
    std::string text = "# MODEL fixture.3do\nSECTION: GEOMETRY\nVERTICES 3\n"
                       "  0:  0.0 0.0 0.0\n  1:  1.0 0.0 0.0\n  2:  0.0 1.0 0.0\n"
                       "FACES 1\n  0:  0 1 2  0x0001\n\nSECTION: HIERARCHY\n"
                       "HIERARCHY NODES " +
                       std::to_string(nodes.size()) + "\n";
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const ModelNode &node = nodes[i];
        text += "  " + (node.Num.empty() ? std::to_string(i) + ":" : node.Num) + "  0x0001 0x00010 0 -1 -1 -1 0 " + node.X + " " +
                node.Y + " " + node.Z + " 0 0 0 0 0 0 " + node.Name + "\n";
    }
    return text;
}

std::string KeyText(const std::vector<NodeSpec> &nodes, const std::string &flags,
                    const std::string &extraHeader)
{
    std::string text = "# KEYFRAME fixture.key\nSECTION: HEADER\nFLAGS " + flags +
                       "\nTYPE 0xFFFF\nFRAMES 100\nFPS 24.000\n" + extraHeader +
                       "\nSECTION: KEYFRAME NODES\nNODES " +
                       std::to_string(nodes.size()) + "\n\n";
    for (std::size_t n = 0; n < nodes.size(); ++n) {
        const NodeSpec &node = nodes[n];
        text += "NODE " + std::to_string(node.Num < 0 ? static_cast<int>(n) : node.Num) +
                "\nMESH NAME " + node.Mesh + "\nENTRIES " +
                std::to_string(node.Entries.size()) + "\n\n";
        for (std::size_t b = 0; b < node.Entries.size(); ++b) {
            const EntrySpec &e = node.Entries[b];
            text += "  " + std::to_string(b) + ":  " + std::to_string(e.Frame) + "  0x0000  " +
                    e.X + "  " + e.Y + "  " + e.Z + "  0.5  0.25  -0.125\n" + "      " + e.DX +
                    "  " + e.DY + "  " + e.DZ + "  0.0  0.0  0.0\n";
        }
        text += "\n";
    }
    return text;
}

#if !defined(_WIN32)
ShellRun RunShell(const TempDir &dir, const std::string &commandLine)
{
    std::filesystem::remove(dir / "out");
    const int status = std::system(("(" + commandLine + ") 2>" + (dir / "err")).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            std::filesystem::exists(dir / "out") ? ReadFile(dir / "out") : "",
            ReadFile(dir / "err")};
}
#endif

void ConvertKeyFileTo(KeyframeTables &tables, const std::string &path)
{
    const std::filesystem::path file = PathFromUtf8(path);
    const std::filesystem::path folder = file.parent_path();
    const Folder parent = Folder::Open(Utf8FromPath(folder.parent_path()), "parent");
    OutputFolder output = OutputFolder::OpenChild(parent, Utf8FromPath(folder.filename()));
    ConvertKeyFile(tables, output, Utf8FromPath(file.filename()), "01/02/70 00:00:00");
}

void SetField(KeyEntry &entry, int index, std::string_view text)
{
    const int indices[] = {index};
    const std::size_t ends[] = {text.size()};
    entry.SetFields(text, indices, ends);
}

FileError ExpectFileError(const std::function<void()> &action, ErrorCode code)
{
    try {
        action();
    } catch (const FileError &error) {
        EXPECT_EQ(static_cast<int>(error.Code), static_cast<int>(code)) << error.what();
        return error;
    }
    ADD_FAILURE() << "expected FileError with code " << static_cast<int>(code);
    return FileError(ErrorCode::InvalidArgument, {}, 0, "no error was thrown");
}

}  // namespace zerka::testing
