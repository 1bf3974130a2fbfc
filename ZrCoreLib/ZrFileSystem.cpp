#include "ZrCoreLib/ZrFileSystem.h"

#include "ZrCoreLib/ZrLog.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr wchar_t kDeleteContext[] = L"ZrFileSystem::DeleteFile";
constexpr wchar_t kReplaceContext[] = L"ZrFileSystem::SafeReplaceFile";

// A renumbering suffix "(N)" holds one to four digits.
constexpr int kMaxSuffixDigits = 4;

bool Exists(const std::string& path) {
    struct stat st {};
    // lstat: a dangling symbolic link still occupies the name.
    return lstat(path.c_str(), &st) == 0;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The number N of a trailing "(N)" in name, or 0 when there is none.
int TrailingNumber(const ZrString& name, int& suffixStart) {
    const int length = name.GetLength();
    if (length < 3 || name[length - 1] != L')') return 0;
    const int open = name.ReverseFind(L'(');
    const int digits = length - 2 - open;
    if (open < 0 || digits < 1 || digits > kMaxSuffixDigits || name[open + 1] == L'0') return 0;
    int n = 0;
    for (int i = open + 1; i < length - 1; ++i) {
        if (name[i] < L'0' || name[i] > L'9') return 0;
        n = n * 10 + (name[i] - L'0');
    }
    suffixStart = open;
    return n;
}

// mv reads a path beginning with "-" as an option; "./" keeps it a path.
std::string AsShellOperand(const std::string& path) {
    return (!path.empty() && path[0] == '-') ? "./" + path : path;
}

bool ShellMove(const std::string& source, const std::string& destination) {
    const std::string command = "mv -f " + ZrFileSystem::QuoteForShell(AsShellOperand(source)) +
                                " " + ZrFileSystem::QuoteForShell(AsShellOperand(destination));
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void CopyAttributes(const std::string& from, const std::string& to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return;
    const int out = open(to.c_str(), O_WRONLY | O_CLOEXEC);
    struct stat st {};
    if (out >= 0 && fstat(in, &st) == 0) {
        // Owner first: changing the owner may clear set-id bits that the
        // permission copy then restores. Only root may give a file away, so
        // a refused chown leaves the owner as it is.
        const int owned = fchown(out, st.st_uid, st.st_gid);
        const int moded = fchmod(out, st.st_mode & 07777);
        (void)owned;
        (void)moded;
    }
    if (out >= 0) close(out);
    close(in);
}

} // namespace

bool ZrFileSystem::DeleteFile(const ZrString& path) {
    if (path.IsEmpty()) return false;
    const std::string name = path.ToUtf8();
    if (unlink(name.c_str()) == 0) return true;
    const int error = errno;
    if (Exists(name))
        ZrLog::Format(kDeleteContext, L"Error %d deleting existing file: %s", error, path);
    return false;
}

void ZrFileSystem::MakeUniqueFilename(ZrString& path) {
    while (Exists(path.ToUtf8())) {
        const int nameStart = path.ReverseFind(L'/') + 1;
        int dot = path.ReverseFind(L'.');
        // A dot that opens the name (".config") is not an extension.
        if (dot <= nameStart) dot = path.GetLength();
        ZrString name = path.Mid(nameStart, dot - nameStart);
        const ZrString extension = path.Mid(dot);

        int suffixStart = -1;
        int number = TrailingNumber(name, suffixStart);
        const wchar_t* separator = L" ";
        if (number > 0) {
            if (suffixStart > 0 && name[suffixStart - 1] == L' ')
                --suffixStart;
            else
                separator = L"";
            name = name.Left(suffixStart);
        }
        path = path.Left(nameStart) + name + ZrString::Format(L"%s(%d)", separator, number + 1) +
               extension;
    }
}

std::string ZrFileSystem::QuoteForShell(const std::string& path) {
    std::string quoted = "'";
    for (const char c : path) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool ZrFileSystem::MoveFile(const ZrString& source, const ZrString& destination) {
    const std::string from = source.ToUtf8();
    const std::string to = destination.ToUtf8();
    struct stat src {};
    if (stat(from.c_str(), &src) != 0 || !S_ISREG(src.st_mode)) return false;
    struct stat dst {};
    bool sameDevice;
    if (stat(to.c_str(), &dst) == 0)
        sameDevice = S_ISREG(dst.st_mode) && dst.st_dev == src.st_dev;
    else
        sameDevice =
            errno == ENOENT && stat(DirectoryOf(to).c_str(), &dst) == 0 && dst.st_dev == src.st_dev;
    if (sameDevice) return rename(from.c_str(), to.c_str()) == 0;
    return ShellMove(from, to);
}

bool ZrFileSystem::SafeReplaceFile(const ZrString& original, const ZrString& replacement,
                                   int64_t minimumSize, bool deleteReplacementOnFailure,
                                   bool copyAttributes) {
    const std::string originalName = original.ToUtf8();
    const std::string replacementName = replacement.ToUtf8();
    bool result = false;
    struct stat st {};
    const bool bigEnough =
        stat(replacementName.c_str(), &st) == 0 && int64_t(st.st_size) >= minimumSize;
    if (!bigEnough) {
        result = false;
    } else if (Exists(originalName)) {
        if (copyAttributes) CopyAttributes(originalName, replacementName);
        ZrString backup = original;
        MakeUniqueFilename(backup);
        if (!MoveFile(original, backup)) {
            ZrLog::Write(kReplaceContext, L"Error renaming original file");
        } else if (MoveFile(replacement, original)) {
            DeleteFile(backup);
            result = true;
        } else {
            MoveFile(backup, original);
            ZrLog::Write(kReplaceContext, L"Error moving new file into place of original name");
        }
    } else {
        result = MoveFile(replacement, original);
    }
    if (!result && deleteReplacementOnFailure) DeleteFile(replacement);
    return result;
}
