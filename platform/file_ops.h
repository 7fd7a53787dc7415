// File operations on the user's files: hooked copy and delete, and the shell-style move,
// copy and delete (to the trash) that ask the user through Questions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tf {

class Questions;

// Operation codes of ShellFileOp.
constexpr int FO_MOVE = 1;
constexpr int FO_COPY = 2;

// Optional callback around CopyFileHooked/DeleteFileHooked, called with the target path:
// the before hook gets -1 and cancels the operation by returning 0; the after hook gets the
// operation's result (1/0) and its return value becomes the result.
using FileHook = std::function<int(const std::string& target, int value)>;

// Told how far a copy has got (bytes written, bytes in all) after every chunk; answering
// false cancels the copy, which then fails and leaves nothing behind.
using CopyProgress = std::function<bool(int64_t copied, int64_t total)>;

// The question asked when a move or copy finds its destination taken. Yes replaces the
// destination, No skips this file, Cancel stops; skipping and stopping both fail.
constexpr const char* kReplaceQuestion =
    "%s\nA file with this name already exists in the destination folder.\n"
    "Do you want to replace it?";
constexpr const char* kReplaceCaption = "Replace file ?";
// The question asked before a confirmed delete.
constexpr const char* kTrashQuestion = "%s\nAre you sure you want to move this file to the trash?";
constexpr const char* kTrashCaption = "Delete file ?";

// Copies sourceFolder/sourceName to targetFolder/targetName (targetName empty: the same
// name). The copy is written under a temporary name beside the target, synced, checked for
// size and given the source's modification time and mode before it takes the target's
// name, so a failed copy leaves no partial target. With failIfExists an existing target is
// kept and the copy fails; without, it is replaced. `progress` is told how far it got
// and may stop it. Result 1/0, or the after hook's.
int CopyFileHooked(const std::string& sourceName, const std::string& targetName,
                   const std::string& sourceFolder, const std::string& targetFolder,
                   bool failIfExists, const FileHook& before = {}, const FileHook& after = {},
                   const CopyProgress& progress = {});
// Moves folder/name to the trash; with `confirm` asks kTrashQuestion first (Yes, No).
// Never deletes for good: a file that cannot be trashed stays and the answer is false, with
// the reason in `why` (left empty when the user answered No).
bool ShellDelete(Questions* questions, const std::string& name, const std::string& folder,
                 bool confirm, std::string* why = nullptr);
// Moves or copies one file `from` to the path `to` (an existing folder there receives the
// file under its own name). A move within one file system is a rename; across file systems
// a copy as in CopyFileHooked, after which the source is removed. A taken destination is
// asked about with kReplaceQuestion when `confirm` is set (and questions given); without
// it the operation fails. Nothing is overwritten without a Yes, and a Yes sends the
// replaced file to the trash before the new one takes its place (when it cannot be
// trashed, nothing happens; when the move or copy then fails, it is put back). True when
// done; otherwise `why` says what stood in the way, or stays empty when the user chose to
// skip or stop.
bool ShellFileOp(Questions* questions, int operation, const std::string& from,
                 const std::string& to, bool confirm, const CopyProgress& progress = {},
                 std::string* why = nullptr);

// Test hook: the safe copy fails with ENOSPC once this many bytes were written to the
// temporary file (negative: never).
void TEST_FailCopyAfterBytes(int64_t bytes);

}  // namespace tf
