// The ports through which the core reaches the outside world. Each platform or toolkit
// implements them; tests implement them with fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace framora {

// Per-user store of string values addressed by application, section and key.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Returns nothing when no value was ever stored under the address.
  virtual std::optional<std::string> Read(const std::string& app, const std::string& section,
                                          const std::string& key) = 0;
  virtual void Write(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

enum class MessageIcon { None, Critical };

// Modal message box with a single OK button.
class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  virtual void ShowMessage(const std::string& prompt, MessageIcon icon,
                           const std::string& title) = 0;
};

enum class FileDialogKind { Open, Save };

// What the shared file dialog shows; the front-end's dialog reads it and returns the chosen
// full path (see FileDialogChoice), or nothing when the user cancelled.
struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string fileName;
  std::string filter;  // "description|pattern|description|pattern..."
  std::string defaultExt;
  std::string dialogTitle;
  // An open dialog that lets the user choose several files at once.
  bool multiSelect = false;
};

// What the user chose: the file, and the entry of the filter that was selected then (1 is
// the first), by which a save dialog tells what kind of file the user asked for.
struct FileDialogChoice {
  std::string fileName;
  int filterIndex = 1;
  // Every file chosen, full paths (one without multiSelect); fileName is the first of them.
  std::vector<std::string> fileNames;
};

class FileDialogPort {
 public:
  virtual ~FileDialogPort() = default;
  // Opens on the filter's first entry; nothing when the user cancelled.
  virtual std::optional<FileDialogChoice> Run(const FileDialogRequest& request) = 0;
};

// Opening web addresses and starting programs; both fire and forget.
class DesktopPort {
 public:
  virtual ~DesktopPort() = default;
  virtual void OpenUrl(const std::string& url) = 0;
  // Starts the program at path without waiting; false when it could not be started. On POSIX
  // the text may carry the program's arguments too (see info/desktop_sys_info.h).
  virtual bool StartProgram(const std::string& path, int showState) = 0;
  // Shows the folder in the file manager, with the file `selected` in it picked out where the
  // file manager can do that; false when no file manager could be started.
  virtual bool ShowFolder(const std::string& folder, const std::string& selected) = 0;
};

// What stands at a name, the name itself looked at: a symbolic link is a link, whatever it
// points to (or whether it points anywhere).
enum class PathKind { None, File, Folder, Link, Other };

// Which file a name leads to, as the system tells files apart: device and inode on POSIX,
// volume and file index on Windows. Two names of one file have one identity.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileIdentity&) const = default;
};

class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;
  // First ordinary file whose name matches the pattern ('*' and '?' are the only wildcards;
  // a relative pattern is looked up from the current directory); nothing when none matches.
  virtual std::optional<std::string> FindFirstFile(const std::string& pattern) = 0;
  // Whether a normal file (not a folder, not hidden, not a system file) exists at path.
  virtual bool IsNormalFile(const std::string& path) = 0;
  // Whether path names an existing folder.
  virtual bool IsFolder(const std::string& path) = 0;
  // What stands at path, without following a link.
  virtual PathKind KindAt(const std::string& path) = 0;
  // Removes the file at path (never a folder); false when it could not.
  virtual bool RemoveFile(const std::string& path) = 0;
  // At most `count` bytes of the file from `offset` on: fewer at its end, none when it cannot
  // be read or is no regular file (a named pipe or a device is never waited on). What a
  // decision that must know a file's content reads, rather than its name.
  virtual std::string ReadBytes(const std::string& path, std::uint64_t offset,
                                std::size_t count) = 0;
  // The names in a folder, without "." and ".."; empty when it cannot be read.
  virtual std::vector<std::string> ListFolder(const std::string& folder) = 0;
  // The path from the system's root: a relative one is taken from the current folder.
  virtual std::string FullPath(const std::string& path) = 0;
  // The system's folder for temporary files.
  virtual std::string TempFolder() = 0;
  // Makes a folder that only the user can look into; false when it could not, or when something
  // stands at that name already.
  virtual bool MakeFolder(const std::string& path) = 0;
  // Writes the file anew with this content, with the permissions the user gives a new file;
  // false when it could not.
  virtual bool WriteFile(const std::string& path, std::string_view content) = 0;
  // Gives the file `from` the name `to` in one step, replacing a file that stands there; false
  // when it could not.
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  // The identity of the file the name leads to (through links); nothing when there is none.
  virtual std::optional<FileIdentity> IdentityOf(const std::string& path) = 0;
  // Removes an empty folder; false when it could not.
  virtual bool RemoveFolder(const std::string& path) = 0;
};

// The program's button in the task bar or dock, where desktops show how far a long job has got.
class TaskbarProgressPort {
 public:
  virtual ~TaskbarProgressPort() = default;
  // Shows the fraction done, between 0 and 1.
  virtual void ShowProgress(double fraction) = 0;
  // Shows no progress any more.
  virtual void ClearProgress() = 0;
};

// What the system needs to find a program by its name, as a shell or cmd.exe does.
class ProgramSearchPort {
 public:
  virtual ~ProgramSearchPort() = default;
  // The value of the PATH variable; empty when it is not set.
  virtual std::string SearchPath() = 0;
  // Whether path names a file (not a folder) that the system would start as a program.
  virtual bool IsProgramFile(const std::string& path) = 0;
};

// The file system and the program search of the system the program is built for (the platform
// adapters define them).
std::unique_ptr<FileSystemPort> MakeFileSystem();
std::unique_ptr<ProgramSearchPort> MakeProgramSearch();

}  // namespace framora

namespace framora {

// Handles the user-interface events that are already queued, then returns. Long loops on the
// user-interface thread call it so the windows keep reacting.
class YieldPort {
 public:
  virtual ~YieldPort() = default;
  // False once the program is ending: a loop that yields must then stop at once.
  virtual bool Yield() = 0;
};

}  // namespace framora
